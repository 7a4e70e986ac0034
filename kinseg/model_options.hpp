// The options that shape a model, shared by the subcommands that fit one:
// --sex-effect, --regressive, --fix NAME=VALUE, --start NAME=VALUE,
// --bounds NAME=LO:HI, --starts N, --no-profile, and the engine's options
// (engine_options.hpp). Covariates come from the data options' --covar, one
// coefficient d.COLUMN each.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

#include "analysis/model.hpp"
#include "analysis/reference_values.hpp"
#include "analysis/sample_summary.hpp"
#include "kinseg/engine_options.hpp"

namespace kinseg::cli {

struct ModelCommandOptions {
  bool sex_effect = false;
  bool regressive = false;
  std::string onset_spread = "one";  // --onset-spread: one s, or s1 s2 s3 by type
  std::vector<std::string> fix, start, bounds;  // as written
  std::vector<std::string> reference;          // --reference NAME=VALUE, as written
  std::vector<double> risk_ages = {50, 70, 80};  // --risk-ages
  int starts = 6;
  bool no_profile = false;
  EngineCommandOptions engine;
};

void add_model_options(CLI::App& sub, ModelCommandOptions& options);

// The model options for the sample: covariates with their spread, the
// parsed --fix, --start and --bounds (names in any case; d.COLUMN by the
// --covar entry as given in COVAR or the header name). Every malformed entry
// is added to PROBLEMS ("--fix w1=x: 'x' is not a number").
// The covariates' reference values: their sample means, or --reference
// NAME=VALUE (NAME as --covar gave it or the header name). Every malformed
// entry is added to PROBLEMS.
std::vector<ReferenceValue> reference_option(const ModelCommandOptions& options, const SampleSummary& summary,
                                             const std::vector<std::string>& covar,
                                             std::vector<std::string>& problems);

ModelOptions model_options(const ModelCommandOptions& options, const SampleSummary& summary,
                           const std::vector<std::string>& covar, std::vector<std::string>& problems);

}  // namespace kinseg::cli
