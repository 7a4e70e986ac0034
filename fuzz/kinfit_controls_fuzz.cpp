// Fuzz target: kinfit's control files. An input is maxpar.inp, a line "%%",
// then par.inp (without a separator par.inp is missing); IWAY.DAT is a fixed
// small valid file. The target runs the first half of kinfit (control files,
// defaults, prepared file, family scan) and then the initial evaluation of the
// likelihood, as the run does before its pause. It stops short of the
// maximiser: a fuzzed MAXIT and EPSX could make its search run for an
// arbitrarily long time without anything being wrong. A stop ends the run
// with a status instead of ending the process.
//
// Checked besides crashes, hangs and sanitizer reports: the initial
// log-likelihood is the rejection value or a finite number, never NaN.
#include <cmath>
#include <cstdint>
#include <optional>

#include "common/text_file.hpp"
#include "fit/blocks.hpp"
#include "fit/likelihood.hpp"
#include "fit/prepare_run.hpp"
#include "fuzz/harness.hpp"
#include "fuzz/sample_file.hpp"

using kinfuzz::require;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kinfuzz::enter_scratch_dir("kinfit-controls");
  kinfuzz::write_file("IWAY.DAT", kinfuzz::small_prepared_file());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (const char* f : {"maxpar.inp", "par.inp", "par.err"}) kinfuzz::remove_file(f);
  const auto parts = kinfuzz::split_parts(data, size, 2);
  kinfuzz::write_file("maxpar.inp", parts[0].bytes);
  if (parts[1].present) kinfuzz::write_file("par.inp", parts[1].bytes);

  kinfit::KinfitState* s = &kinfuzz::fresh_state<kinfit::KinfitState>();
  kinfuzz::QuietConsole qc;
  std::optional<kin::OutFile> par_err;
  try {
    kinfit::prepare_run(*s, qc.con, par_err);
    s->MAX.IPHASE = -1;
    double flh = 0.0;
    kinfit::GENMMP(*s, flh);
    require(flh == kinfit::R_REJECT || std::isfinite(flh),
            "the initial log-likelihood is neither a number nor the rejection value");
  } catch (const kin::RunStop& stop) {
    require(stop.status != kin::kNormalEnd, "a stop with a normal status");
  }
  s->PAR_ERR = nullptr;
  return 0;
}
