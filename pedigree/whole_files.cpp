#include "pedigree/whole_files.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "pedigree/file_error.hpp"

namespace kinseg {

namespace {

std::string temporary_name(const std::string& path) {
  return path + ".tmp-kinseg-" + std::to_string(static_cast<long>(getpid()));
}

bool write_all(const std::string& path, const std::string& content, std::string& why) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    why = std::strerror(errno);
    return false;
  }
  const bool written = std::fwrite(content.data(), 1, content.size(), f) == content.size();
  if (!written) why = std::strerror(errno);
  const bool closed = std::fclose(f) == 0;
  if (written && !closed) why = std::strerror(errno);
  return written && closed;
}

}  // namespace

void write_whole_files(const std::vector<std::pair<std::string, std::string>>& files) {
  std::vector<std::string> temps;
  auto discard = [&] {
    for (const std::string& t : temps) std::remove(t.c_str());
  };
  for (const auto& [path, content] : files) {
    const std::string tmp = temporary_name(path);
    std::string why;
    temps.push_back(tmp);
    if (!write_all(tmp, content, why)) {
      discard();
      throw FileError(path + ": cannot write the file (" + why + ")");
    }
  }
  for (size_t i = 0; i < files.size(); ++i) {
    if (std::rename(temps[i].c_str(), files[i].first.c_str()) != 0) {
      const std::string why = std::strerror(errno);
      for (size_t j = i; j < temps.size(); ++j) std::remove(temps[j].c_str());
      throw FileError(files[i].first + ": cannot write the file (" + why + ")");
    }
  }
}

}  // namespace kinseg
