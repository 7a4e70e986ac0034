// kinseg test's JSON file: everything of the run in one document for programs
// (the report page among them): how the data were read, every model with its
// estimates, variance-covariance matrix, starts and messages, the tests, the
// verdict, the family ranking and the carrier probabilities. Numbers are
// those of the tables (format_number read back); a number that does not
// exist, or is infinite, is null.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "analysis/battery_result.hpp"

namespace kinseg::cli {

// What the run adds to the result.
struct BatteryRunFacts {
  std::string version;
  std::string command;          // the command line as given
  nlohmann::json data;          // how the file was read and its summary (kinseg check's JSON)
  std::string ascertainment;    // "proband" or "none"
  int threads = 0;
  double seconds = 0.0;         // wall time of the battery
};

nlohmann::json battery_json(const BatteryResult& r, const BatteryRunFacts& facts);

}  // namespace kinseg::cli
