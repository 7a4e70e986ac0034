// Fuzz target: kinseg's command line, every subcommand, on a small study file
// whose covariates span the sizes that broke the search (age in years, a
// column of values near 1e-310 and one near 1e300). The input is the words of
// the command line after the data file, one a line; its first byte chooses
// the subcommand (check, export, eval, fit, test, draw). Words that name a
// path outside the scratch folder (holding a /) become a local name, so that
// no run writes elsewhere; --starts and --max-loop-breakers are kept small so
// that a run takes a fraction of a second.
//
// Checked besides crashes, hangs and sanitizer reports: the exit status is
// 0, 1 or 2; no temporary file is left; no file written holds a NaN or an
// infinity where a number belongs (in a tab-separated field or a JSON value).
#include <dirent.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/harness.hpp"

// kinseg's own main, called here once per input.
#define main kinseg_main
#include "kinseg/main.cpp"
#undef main

namespace {

using kinfuzz::require;

const char* const kStudy =
    "ped,id,fa,mo,sex,proband,trait,age,tiny,huge,note\n"
    "F1,1,0,0,1,0,1,61,1e-310,1e300,\n"
    "F1,2,0,0,2,0,2,58,2e-310,0,\n"
    "F1,3,1,2,1,1,2,34,0,1e300,\"twins 3, 4\"\n"
    "F1,4,1,2,2,0,1,34,3e-310,0,\"twins 3, 4\"\n"
    "F1,5,1,2,2,0,NA,30,0,1e300,\n"
    "F2,1,0,0,1,0,2,70,1e-310,0,\n"
    "F2,2,0,0,2,0,1,66,0,1e300,\n"
    "F2,3,1,2,2,1,2,41,0,0,\n"
    "F2,4,1,2,1,0,1,39,1e-310,1e300,\n"
    "F2,5,0,0,2,0,1,38,0,0,\n"
    "F2,6,4,5,1,0,2,12,0,1e300,\n"
    "F3,1,0,0,1,0,1,55,0,0,\n"
    "F3,2,0,0,2,0,1,52,1e-310,1e300,\n"
    "F3,3,1,2,1,1,2,28,0,0,\n"
    "F3,4,1,2,1,0,2,26,0,1e300,\n"
    "F3,5,1,2,2,0,1,22,2e-310,0,\n";

const char* const kCommands[] = {"check", "export", "eval", "fit", "test", "draw"};

bool ends_with(const std::string& s, const char* tail) {
  const size_t n = std::strlen(tail);
  return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

std::vector<std::string> files_here() {
  std::vector<std::string> names;
  if (DIR* d = opendir(".")) {
    while (const dirent* e = readdir(d)) {
      const std::string n = e->d_name;
      if (n != "." && n != ".." && n != "study.csv") names.push_back(n);
    }
    closedir(d);
  }
  return names;
}

bool non_finite_word(const std::string& w) {
  std::string v = w;
  if (!v.empty() && (v[0] == '-' || v[0] == '+')) v.erase(0, 1);
  return v == "nan" || v == "inf" || v == "NaN" || v == "Infinity" || v == "infinity";
}

// A NaN or an infinity standing as a number: a whole tab-separated field, or a
// JSON value after a colon or in an array.
void check_finite(const std::string& name, const std::string& text) {
  std::string word;
  for (const char c : text) {
    if (c == '\t' || c == '\n' || c == ',' || c == ':' || c == ' ' || c == '[' || c == ']') {
      require(!non_finite_word(word), ("a non-finite number in " + name + ": " + word).c_str());
      word.clear();
    } else {
      word += c;
    }
  }
  require(!non_finite_word(word), ("a non-finite number in " + name).c_str());
}

// Removes what a run wrote: a file, or a folder with the files in it (export
// --kinsort DIR), each first checked.
void check_and_remove(const std::string& name) {
  if (DIR* d = opendir(name.c_str())) {
    std::vector<std::string> inside;
    while (const dirent* e = readdir(d))
      if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) inside.push_back(e->d_name);
    closedir(d);
    for (const std::string& n : inside) check_and_remove(name + "/" + n);
    std::remove(name.c_str());
    return;
  }
  require(name.find(".tmp-kinseg-") == std::string::npos, "a temporary file left");
  const std::string text = kinfuzz::read_file(name);
  if (ends_with(name, ".tsv") || ends_with(name, ".json")) check_finite(name, text);
  std::remove(name.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool entered = false;
  if (!entered) {
    kinfuzz::enter_scratch_dir("kinseg_options");
    kinfuzz::write_file("study.csv", kStudy);
    entered = true;
  }
  if (size == 0 || size > 1024) return 0;
  std::vector<std::string> words = {"kinseg", kCommands[data[0] % 6], "study.csv"};
  std::string w;
  for (size_t i = 1; i <= size; ++i) {
    if (i == size || data[i] == '\n') {
      if (!w.empty() || (i < size)) words.push_back(w);
      w.clear();
    } else {
      w += static_cast<char>(data[i]);
    }
  }
  if (words.size() > 40) return 0;
  for (size_t i = 3; i < words.size(); ++i) {
    if (words[i].find('/') != std::string::npos) words[i] = "out";
    if ((words[i - 1] == "--starts" || words[i - 1] == "--max-loop-breakers") && words[i].size() > 1) words[i] = "2";
  }
  std::vector<char*> argv;
  for (std::string& a : words) argv.push_back(&a[0]);
  argv.push_back(nullptr);

  kinseg::cli::command_line().clear();
  std::ostringstream out, err;
  std::streambuf* const cout_buf = std::cout.rdbuf(out.rdbuf());
  std::streambuf* const cerr_buf = std::cerr.rdbuf(err.rdbuf());
  const int status = kinseg_main(static_cast<int>(words.size()), argv.data());
  std::cout.rdbuf(cout_buf);
  std::cerr.rdbuf(cerr_buf);
  std::cout.clear();
  std::cerr.clear();

  if (status < 0 || status > 2) {
    std::fprintf(stderr, "kinseg-options: wrong exit status %d\n%s", status, err.str().c_str());
    require(false, "an exit status other than 0, 1 and 2");
  }
  for (const std::string& name : files_here()) check_and_remove(name);
  return 0;
}
