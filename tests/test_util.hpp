// Helpers shared by the tests: a scratch directory that is the current
// directory for the test's lifetime, whole-file reads and writes, and a console
// bound to strings.
#pragma once

#include <functional>
#include <sstream>
#include <string>

#include "common/console.hpp"

namespace kintest {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string old_;
};

std::string read_file(const std::string& name);
void write_file(const std::string& name, const std::string& content);
bool exists(const std::string& name);

struct TestConsole {
  std::ostringstream out;
  std::istringstream in;
  kin::Console con{out, in};
  explicit TestConsole(const std::string& input = "") : in(input) {}
  std::string text() const { return out.str(); }
};

// Runs f; returns the exit status of the stop it ends with, or -1 if it returns.
int stop_status(const std::function<void()>& f);

// The directory of the committed test fixtures.
std::string fixture_dir();

}  // namespace kintest
