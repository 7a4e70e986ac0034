// The options that set up the likelihood engine, shared by every subcommand
// that evaluates the likelihood (eval, fit, test): --ascertainment
// none|proband, --threads N, --max-width K; and the engine's set-up from
// them, with the refusal of a pedigree whose loops are beyond the limit told
// as the user can act on it, and a warning when an evaluation will be slow.
#pragma once

#include <CLI/CLI.hpp>

#include <iosfwd>
#include <memory>
#include <string>

#include "engine/engine.hpp"

namespace kinseg::cli {

struct EngineCommandOptions {
  std::string ascertainment;  // none, proband, or empty: proband when the file has a proband column
  int threads = 0;            // 0: one per core
  int max_width = kDefaultMaxWidth;
  int max_loop_breakers = -1;  // the former limit, accepted and not needed any more
};

// Predicted seconds per evaluation of one pedigree above which make_engine
// warns: a fit takes hundreds of evaluations, a battery thousands.
inline constexpr double kSlowPedigreeSeconds = 1.0;

// Adds the three options to SUB, in GROUP (empty: the subcommand's options).
void add_engine_options(CLI::App& sub, EngineCommandOptions& options, const std::string& group = "");

// The engine's options: --ascertainment, or its default, proband when the
// file has a proband column. A warning on ERR for --max-loop-breakers, which
// the way loops are evaluated leaves without effect.
EngineOptions engine_options(const EngineCommandOptions& options, bool proband_column, std::ostream& err);

// "proband" or "none", as the outputs name it.
const char* ascertainment_name(Ascertainment a);

// The engine for SAMPLE, with a warning on ERR when proband ascertainment
// applies to a sample in which nobody is marked as a proband, and one for each
// pedigree whose predicted time per evaluation exceeds kSlowPedigreeSeconds;
// nullptr when it refuses the sample (a pedigree's loops need tables wider
// than the limit, options it cannot take), with the reasons on ERR, each line
// prefixed "kinseg: ", and the exit status in STATUS.
std::unique_ptr<Engine> make_engine(const Sample& sample, const EngineOptions& options, std::ostream& err,
                                    int& status);

}  // namespace kinseg::cli
