// The options every subcommand that reads a pedigree file shares: the file,
// which column holds what, how the codes read, and whether absent parents are
// added; and the loading of the sample with its problems shown on standard
// error.
#pragma once

#include <CLI/CLI.hpp>

#include <iosfwd>
#include <string>

#include "pedigree/read_sample.hpp"

namespace kinseg::cli {

struct DataOptions {
  std::string data;        // the pedigree file
  ReadOptions read;
  std::string separator;   // --sep as written
  bool decimal_comma = false;  // --decimal-comma
  std::vector<std::string> missing;
  std::string trait_only;         // --trait-only COLUMN=V[,V...] as written
  std::vector<std::string> fill;  // --fill COLUMN=VALUE|mean as written
};

// Adds DATA and the column and code options to a subcommand.
void add_data_options(CLI::App& sub, DataOptions& options);

// Reads and checks the file. Writes every problem to `err` ("kinseg: error:
// ..."), at most kShownPerKind of each kind followed by a count of the rest.
// Returns kDone with `read` filled, kRefused when the data have errors (read
// is filled then too), kUsage for a file that cannot be read or an option
// that names no column of it.
// ASCERTAINMENT is --ascertainment as given (none, proband, or empty: proband
// when the file has a proband column): under proband ascertainment a family
// left without a proband of known trait is excluded.
int load_data(const DataOptions& options, DataRead& read, std::ostream& err, const std::string& ascertainment = "");

inline constexpr int kShownPerKind = 20;

// Writes the problems as load_data does (also for problems found later, e.g.
// by the export).
void print_problems(const DataProblems& problems, std::ostream& err);

}  // namespace kinseg::cli
