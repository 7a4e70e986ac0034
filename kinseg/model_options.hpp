// The model options that the analysing subcommands share (kinseg fit and
// kinseg test): the terms of the model (--sex-effect, --regressive; the
// covariates are those of --covar), values held, starts and bounds by
// parameter name (--fix, --start, --bounds), the ascertainment correction, and
// the number of grid starts. Parsed here into the analyses' ModelOptions.
#pragma once

#include <CLI/CLI.hpp>

#include <iosfwd>
#include <string>
#include <vector>

#include "analysis/model.hpp"
#include "engine/ascertainment.hpp"
#include "pedigree/read_sample.hpp"

namespace kinseg::cli {

struct ModelCommandOptions {
  bool sex_effect = false;
  bool regressive = false;
  std::vector<std::string> fix;     // NAME=VALUE
  std::vector<std::string> start;   // NAME=VALUE
  std::vector<std::string> bounds;  // NAME=LO:HI
  std::string ascertainment;        // "none", "proband", or "" for the default
  int starts = 6;
};

void add_model_options(CLI::App& sub, ModelCommandOptions& options);

// The options as the analyses take them, the covariates being those of the
// sample (each with its largest absolute value, which scales its
// coefficient's bounds). Writes every malformed entry to ERR ("kinseg: ...")
// and returns false when there is one.
bool parse_model_options(const ModelCommandOptions& options, const Sample& sample, ModelOptions& out,
                         std::ostream& err);

// --ascertainment, or its default: proband when the file has a proband
// column, none otherwise.
Ascertainment ascertainment_of(const ModelCommandOptions& options, const DataRead& read);
const char* ascertainment_name(Ascertainment a);

// The options as the user gave them, for logs: "--sex-effect", "--fix q=0.1", ...
std::vector<std::string> model_options_text(const ModelCommandOptions& options);

}  // namespace kinseg::cli
