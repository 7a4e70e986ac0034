// A subcommand of kinseg: each adds itself to the program's command line and
// hands back what runs it once the line is parsed. A new subcommand is a file
// of its own with an add_..._command function, registered in main.cpp.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "pedigree/file_error.hpp"
#include "pedigree/whole_files.hpp"

namespace kinseg::cli {

// Exit statuses of every subcommand.
inline constexpr int kDone = 0;
inline constexpr int kRefused = 1;  // the data are refused, every problem listed
inline constexpr int kUsage = 2;    // bad usage, or a file that cannot be read or written

struct Command {
  CLI::App* app = nullptr;
  std::function<int()> run;  // returns the exit status
};

Command add_check_command(CLI::App& app);
Command add_export_command(CLI::App& app);
Command add_eval_command(CLI::App& app);
Command add_fit_command(CLI::App& app);
Command add_battery_command(CLI::App& app);
Command add_draw_command(CLI::App& app);

// Flushes standard output: kDone when all was written, else kUsage with a
// message (a full disk or a closed pipe must not pass for success).
inline int standard_output_status() {
  std::cout.flush();
  if (std::cout) return kDone;
  std::cerr << "kinseg: cannot write to standard output\n";
  return kUsage;
}

// Checks, before the work, that every output of a run can be written
// (pedigree/whole_files.hpp): kDone, or kUsage with the message.
inline int outputs_status(const std::vector<std::string>& paths) {
  try {
    check_writable(paths);
  } catch (const FileError& e) {
    std::cerr << "kinseg: " << e.what() << "\n";
    return kUsage;
  }
  return kDone;
}

// The prefix of a set of outputs (--out PREFIX): kDone, or kUsage with the
// reason it cannot be one.
inline int prefix_status(const std::string& prefix) {
  const std::string problem = prefix_problem(prefix);
  if (problem.empty()) return kDone;
  std::cerr << "kinseg: --out " << problem << "\n";
  return kUsage;
}

// The program's version and its command line as given, set by main, for the
// logs of the analyses.
inline std::string& version() {
  static std::string v;
  return v;
}
inline std::string& command_line() {
  static std::string line;
  return line;
}

}  // namespace kinseg::cli
