#include "fuzz/harness.hpp"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace kinfuzz {

void enter_scratch_dir(const char* target) {
  const char* tmp = std::getenv("TMPDIR");
  std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/kinfuzz-" + target + ".XXXXXX";
  if (!::mkdtemp(tmpl.data()) || ::chdir(tmpl.c_str()) != 0) {
    std::perror("kinfuzz: scratch directory");
    std::abort();
  }
}

void write_file(const std::string& name, std::string_view bytes) {
  std::ofstream f(name, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!f) {
    std::fprintf(stderr, "kinfuzz: cannot write %s\n", name.c_str());
    std::abort();
  }
}

std::string read_file(const std::string& name, bool* found) {
  std::ifstream f(name, std::ios::binary);
  if (found) *found = static_cast<bool>(f);
  if (!f) return {};
  std::ostringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

void remove_file(const std::string& name) { ::unlink(name.c_str()); }

std::vector<Part> split_parts(const uint8_t* data, size_t size, size_t count) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::vector<Part> parts(count);
  for (size_t k = 0; k < count; ++k) {
    parts[k].present = true;
    if (k + 1 == count) {
      parts[k].bytes = rest;
      break;
    }
    // A separator line: "%%" at the start of the input or after a line end,
    // followed by a line end or the end of the input.
    size_t at = std::string_view::npos;
    for (size_t p = rest.find("%%"); p != std::string_view::npos; p = rest.find("%%", p + 1)) {
      const bool starts = p == 0 || rest[p - 1] == '\n';
      const bool ends = p + 2 == rest.size() || rest[p + 2] == '\n';
      if (starts && ends) {
        at = p;
        break;
      }
    }
    if (at == std::string_view::npos) {
      parts[k].bytes = rest;
      break;  // the later parts are absent
    }
    parts[k].bytes = rest.substr(0, at);
    rest.remove_prefix(std::min(rest.size(), at + 3));
  }
  return parts;
}

void require(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "kinfuzz: %s\n", what);
    std::abort();
  }
}

}  // namespace kinfuzz
