// What `kinseg fit` writes, from the fit's result and the facts of the run:
// PREFIX.estimates.tsv, PREFIX.families.tsv, PREFIX.json and PREFIX.log (the
// console shows the estimates table). The fit's own sections are written by
// kinseg/fit_output.hpp, as for each model of kinseg test; nothing here
// computes.
#pragma once

#include <string>
#include <vector>

#include "analysis/family_support.hpp"
#include "analysis/fit_result.hpp"
#include "analysis/model.hpp"
#include "analysis/sample_summary.hpp"
#include "kinseg/fit_output.hpp"
#include "kinseg/run_facts.hpp"

namespace kinseg::cli {

// A fit's run: its facts, the sample's summary for the log, and each analysed
// family's contribution at the estimates (none without them).
struct FitRun {
  RunFacts facts;
  std::string data_file;
  SampleSummary summary;
  std::vector<FamilyContribution> families;
};

std::string estimates_tsv(const FitResult& fit);
std::string families_tsv(const FitRun& run);
// The Run object's keys, the Fit object's, then the families.
Json fit_document(const FitResult& fit, const FitRun& run);
std::string fit_log(const FitResult& fit, const Model& model, const FitRun& run);

}  // namespace kinseg::cli
