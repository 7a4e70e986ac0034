// What a run of an analysis (kinseg fit, kinseg test) adds to its result: the
// program and command, the data as read (kinseg check's JSON), the
// ascertainment, the family scan, the threads and the time. Both commands'
// JSON files open with these keys (docs/json.md, the Run object).
#pragma once

#include <limits>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "kinseg/fit_output.hpp"

namespace kinseg::cli {

// The date and time now, "2026-12-10 17:55 UTC".
std::string utc_now();

struct RunFacts {
  std::string program;               // "kinseg fit" or "kinseg test"
  std::string version;
  std::string command;               // the command line as given
  std::string started = utc_now();   // when the run began, "2026-12-10 17:55 UTC"
  Json data;                         // how the file was read and its summary (kinseg check's JSON)
  std::string ascertainment;         // "proband" or "none"
  int analysed_families = 0;
  std::vector<std::string> family_scan;  // what the family scan decided, one note each
  double prevalence = std::numeric_limits<double>::quiet_NaN();  // among non-probands, for the starts
  int threads = 0;
  double seconds = 0.0;              // wall time of the analysis
};

// The Run object's keys, in order, to which each command adds its own.
Json run_json(const RunFacts& facts);

// The lines with which both commands' logs open: program and version, the
// command, the data file, the date.
std::string run_log_head(const RunFacts& facts);

}  // namespace kinseg::cli
