// What `kinseg fit` writes, from the fit's result and the facts of the run:
// PREFIX.estimates.tsv, PREFIX.families.tsv, PREFIX.json, PREFIX.log, and the
// estimates table shown on the console. Nothing here computes; every number
// comes from the FitResult or the run.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "analysis/fit_result.hpp"
#include "analysis/model.hpp"
#include "analysis/sample_summary.hpp"

namespace kinseg::cli {

// One analysed family at the estimates.
struct FamilyRow {
  std::string family;  // the pedigree id
  int persons = 0, affected = 0, probands = 0;
  double contribution = 0.0;  // -inf when the estimates refuse it
};

// The facts of the run besides the fit.
struct FitRun {
  std::string version;
  std::string command;         // the command line as given
  std::string data_file;
  SampleSummary summary;
  std::string ascertainment;   // "none" or "proband"
  int threads = 0;
  std::vector<std::string> scan_notes;  // what the family scan decided
  std::vector<FamilyRow> families;
  double seconds = 0.0;
};

// A number as every file and the console write it: the report's one rule
// (report/number_format.hpp); in the JSON, the same digits read back.
std::string number_text(double x);

std::string estimates_tsv(const FitResult& fit);
std::string families_tsv(const FitRun& run);
nlohmann::ordered_json fit_json(const FitResult& fit, const Model& model, const FitRun& run);
std::string fit_log(const FitResult& fit, const Model& model, const FitRun& run);
// The estimates as a table for people: parameter, estimate, SE, 95% profile
// interval, status.
std::string estimates_table(const FitResult& fit);
// One start as the console and the log show it.
std::string start_line(const StartRecord& start, int number, int total);

}  // namespace kinseg::cli
