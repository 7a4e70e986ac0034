// Running the kinseg program in a test: its exit status, standard output and
// standard error. The test target defines KINSEG_EXE, the program's path.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/test_util.hpp"

namespace kintest {

struct KinsegRun {
  int status = -1;
  std::string out, err;
};

inline std::string kinseg_fixture(const std::string& name) { return fixture_dir() + "/kinseg/" + name; }

inline int shell(const std::string& cmd) {
  const int rc = std::system(cmd.c_str());
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

// Runs kinseg with `args` (shell words) in the current directory.
inline KinsegRun kinseg(const std::string& args) {
  KinsegRun r;
  r.status = shell(std::string("'") + KINSEG_EXE + "' " + args + " >kinseg.out 2>kinseg.err </dev/null");
  r.out = read_file("kinseg.out");
  r.err = read_file("kinseg.err");
  std::remove("kinseg.out");
  std::remove("kinseg.err");
  return r;
}

inline bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The rows of a tab-separated text, each as its fields.
inline std::vector<std::vector<std::string>> rows_of(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> f;
    std::istringstream fields(line);
    for (std::string x; std::getline(fields, x, '\t');) f.push_back(x);
    rows.push_back(f);
  }
  return rows;
}

// A number written in a table.
inline double num(const std::string& s) { return std::strtod(s.c_str(), nullptr); }

}  // namespace kintest
