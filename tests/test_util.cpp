#include "tests/test_util.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace kintest {

TempDir::TempDir() {
  char tmpl[] = "/tmp/kintest.XXXXXX";
  char* d = ::mkdtemp(tmpl);
  if (!d) throw std::runtime_error("mkdtemp failed");
  path_ = d;
  old_ = std::filesystem::current_path().string();
  std::filesystem::current_path(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::current_path(old_, ec);
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string read_file(const std::string& name) {
  std::ifstream f(name, std::ios::binary);
  if (!f) throw std::runtime_error("cannot read " + name);
  std::ostringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

void write_file(const std::string& name, const std::string& content) {
  std::ofstream f(name, std::ios::binary);
  if (!f) throw std::runtime_error("cannot write " + name);
  f << content;
}

bool exists(const std::string& name) {
  struct stat st;
  return ::stat(name.c_str(), &st) == 0;
}

int stop_status(const std::function<void()>& f) {
  try {
    f();
  } catch (const kin::RunStop& s) {
    return s.status;
  }
  return -1;
}

std::string fixture_dir() { return KINSEG_FIXTURES; }

}  // namespace kintest
