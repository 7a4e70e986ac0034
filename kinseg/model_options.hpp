// The options that shape a model, shared by the subcommands that fit one:
// --sex-effect, --regressive, --fix NAME=VALUE, --start NAME=VALUE,
// --bounds NAME=LO:HI, --ascertainment none|proband, --starts N, --no-profile,
// --threads N, --max-loop-breakers N. Covariates come from the data options'
// --covar, one coefficient d.COLUMN each.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

#include "analysis/model.hpp"
#include "analysis/sample_summary.hpp"
#include "engine/ascertainment.hpp"

namespace kinseg::cli {

struct ModelCommandOptions {
  bool sex_effect = false;
  bool regressive = false;
  std::vector<std::string> fix, start, bounds;  // as written
  std::string ascertainment;                    // none, proband, or empty: proband when the file has a proband column
  int starts = 6;
  bool no_profile = false;
  int threads = 0;
  int max_loop_breakers = 8;
};

void add_model_options(CLI::App& sub, ModelCommandOptions& options);

// The model options for the sample: covariates with their spread, the
// parsed --fix, --start and --bounds (names in any case; d.COLUMN by the
// --covar entry as given in COVAR or the header name). Every malformed entry
// is added to PROBLEMS ("--fix w1=x: 'x' is not a number").
ModelOptions model_options(const ModelCommandOptions& options, const SampleSummary& summary,
                           const std::vector<std::string>& covar, std::vector<std::string>& problems);

// --ascertainment, or its default: proband when the file has a proband column.
Ascertainment ascertainment(const ModelCommandOptions& options, bool proband_column);

}  // namespace kinseg::cli
