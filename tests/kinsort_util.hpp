// Running kinsort in a scratch directory, for the kinsort tests.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "prep/state.hpp"
#include "tests/test_util.hpp"

namespace kintest {

// The result of one run: exit status and console text.
struct KinsortRun {
  int status = -1;
  std::string console;
};

// Writes the given files into the current directory, runs kinsort on a fresh
// state with `input` as what the user types, and returns what it did.
KinsortRun run_kinsort_with(const std::map<std::string, std::string>& files,
                            const std::string& input = "");

// The bytes of a prepared file from its records written as text: one record a
// line, its integers separated by blanks (an empty line is an empty record).
std::string records_from_text(const std::string& text);

}  // namespace kintest
