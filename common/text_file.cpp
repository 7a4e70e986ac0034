#include "common/text_file.hpp"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

namespace kin {

OutFile::OutFile(std::string name, Console& con, Mode mode) : name_(std::move(name)), con_(con) {
  f_ = std::fopen(name_.c_str(), mode == kBinary ? "wb" : "w");
  if (!f_) file_error(con_, name_, "cannot create the file");
}

OutFile::~OutFile() {
  if (f_) std::fclose(f_);
}

void OutFile::write(std::string_view bytes) {
  if (!f_) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), f_) != bytes.size()) {
    std::fclose(f_);
    f_ = nullptr;
    file_error(con_, name_, "cannot write the file");
  }
}

void OutFile::close() {
  if (!f_) return;
  std::FILE* f = f_;
  f_ = nullptr;
  if (std::fclose(f) != 0) file_error(con_, name_, "cannot write the file");
}

std::string read_input_file(const std::string& name, Console& con) {
  // A directory opens as a stream that merely reads nothing, and a device or
  // a pipe may never end: only a regular file counts as an input file.
  struct stat st;
  if (::stat(name.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    file_error(con, name, S_ISDIR(st.st_mode) ? "cannot open the file (it is a directory)"
                                              : "cannot open the file (it is not a regular file)");
  }
  std::ifstream f(name, std::ios::binary);
  if (!f) file_error(con, name, "cannot open the file (is it missing?)");
  std::ostringstream ss;
  ss << f.rdbuf();
  if (f.bad()) file_error(con, name, "cannot read the file");
  return ss.str();
}

bool file_exists(const std::string& name) {
  struct stat st;
  return ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string name_ignoring_case(const std::string& name) {
  if (file_exists(name)) return name;
  std::string found;
  if (DIR* d = ::opendir(".")) {
    while (dirent* e = ::readdir(d)) {
      if (::strcasecmp(e->d_name, name.c_str()) == 0 && file_exists(e->d_name)) {
        if (found.empty() || std::string(e->d_name) < found) found = e->d_name;
      }
    }
    ::closedir(d);
  }
  return found.empty() ? name : found;
}

}  // namespace kin
