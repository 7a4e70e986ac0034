// Helpers shared by the fuzz targets: a scratch directory that the process
// enters once, whole-file writes, the parts of one fuzz input, a console that
// swallows what a run says, and the check that ends a run with a report when
// something that must hold does not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "common/console.hpp"

namespace kinfuzz {

// Creates a scratch directory under the system's temporary directory and
// makes it the current directory for the rest of the process. Call once.
void enter_scratch_dir(const char* target);

void write_file(const std::string& name, std::string_view bytes);
// The bytes of a file, or nothing when it cannot be read; `found` tells which.
std::string read_file(const std::string& name, bool* found = nullptr);
void remove_file(const std::string& name);

// Splits a fuzz input into `count` parts at lines that hold "%%" alone; the
// line end before a separator belongs to the part before it. Parts that the
// input leaves out are absent (`present` false).
struct Part {
  std::string_view bytes;
  bool present = false;
};
std::vector<Part> split_parts(const uint8_t* data, size_t size, size_t count);

// A console whose output is dropped and whose input is at its end, so that a
// pause returns at once.
struct QuietConsole {
  std::ostringstream out;
  std::istringstream in;
  kin::Console con{out, in};
};

// A fresh state object of a program (as a new run starts with), built in the
// same storage each time: the states are large, and new storage for every
// input would cost more than most runs themselves.
template <class State>
State& fresh_state() {
  static State* storage = new State();
  storage->~State();
  return *::new (storage) State();
}

// Aborts with the message when `ok` is false: the fuzzer records the input.
void require(bool ok, const char* what);

}  // namespace kinfuzz
