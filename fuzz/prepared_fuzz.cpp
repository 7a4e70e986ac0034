// Fuzz target: kinfit's reader of the prepared pedigree file. An input is the
// bytes of a file. When the reader accepts it, every family is included with
// a valid parameter point and the sample likelihood is evaluated under each
// ascertainment mode, with the per-family listing: the reader's structure
// check must leave nothing that makes the likelihood address a member, a way
// or a person outside its tables.
//
// Checked besides crashes, hangs and sanitizer reports: the log-likelihood is
// the rejection value or a finite number, and it equals, bit for bit, what the
// reference routines give (MASSIX to fill each family's work table, MMPFAM to peel
// it, the members in no nuclear family added, the conditioning pass
// subtracted), refusing the same points.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "common/text_file.hpp"
#include "fit/blocks.hpp"
#include "fit/likelihood.hpp"
#include "fit/reference/reference_likelihood.hpp"
#include "fit/wwdat.hpp"
#include "fuzz/harness.hpp"

namespace {

using kinfit::KinfitState;
using kinfuzz::require;

constexpr double kUnattachedFloor = 9.99999983775159E-18;

// A valid point of all 20 slots, each its own link and fixed: sex effects,
// transmission and regressive terms in use, small covariate effects.
void set_point(KinfitState& s) {
  const double x[20] = {0.3, -1.0, 0.0, 1.0, 0.1, 0.2, 0.3, 1.0, 0.5, 0.0,
                        0.01, -0.02, 0.03, -0.04, 0.05, -0.06, 0.07, -0.08, 0.5, 0.25};
  s.NPAR() = 20;
  for (int i = 1; i <= 20; ++i) {
    s.X(i) = x[i - 1];
    s.STEP(i) = 0.1;
    s.GL(i) = -10.0;
    s.GR(i) = 10.0;
    s.IEST(i) = 0;
    s.IUSE(i) = 1;
    s.LINK(i) = i;
  }
}

// The sample log-likelihood from the plain routines, at the point that the
// checking set-up has derived.
double plain_likelihood(KinfitState& s) {
  double flh = 0.0;
  for (int F = 1; F <= s.BUF1(1); ++F) {
    if (s.LUK(F) == 0 || s.NG(F) == 0.0) continue;
    const int o = s.BUF1(F + 1), n = s.BUF1(F + 2) - o;
    int has0 = 0;
    for (int m = 1; m <= n; ++m) has0 |= s.PROB(o + m) == 0;
    const bool conditioning = s.ASCERT.MODE != 0 || has0 == 1;
    double acc = 0.0;
    for (int icond = 0; icond <= (conditioning ? 1 : 0); ++icond) {
      s.ASCERT.ICOND = icond;
      kinfit::MASSIX(s, F);
      double lhf = 0.0;
      if (s.BUF3(F + 2) > s.BUF3(F + 1)) kinfit::MMPFAM(s, F, lhf);
      for (int m = 1; m <= n; ++m) {
        if (s.IDONE(m) != 0) continue;
        const double S = s.XX(m, 1) + s.XX(m, 2) + s.XX(m, 3);
        if (S <= kUnattachedFloor) return kinfit::R_REJECT;
        lhf = lhf + std::log(S);
      }
      if (!std::isfinite(lhf)) return kinfit::R_REJECT;
      acc = icond == 0 ? acc + lhf : acc - lhf;
    }
    flh = flh + acc;
  }
  return flh;
}

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  KinfitState* s = &kinfuzz::fresh_state<KinfitState>();
  kinfuzz::QuietConsole qc;
  try {
    kinfit::read_prepared(*s, qc.con, "IWAY.DAT", std::string(reinterpret_cast<const char*>(data), size));
  } catch (const kin::RunStop& stop) {
    require(stop.status == kin::kInputError || stop.status == kin::kStopError,
            "the reader stopped with an unexpected status");
    return 0;
  }

  const int nped = s->BUF1(1);
  require(nped >= 0 && nped <= kinfit::N_FAM, "an accepted file holds more families than the tables");
  for (int F = 1; F <= nped; ++F) {
    s->LUK(F) = 1;
    s->NG(F) = 1.0;
  }
  for (int mode = 0; mode <= 2; ++mode) {
    set_point(*s);
    s->ASCERT.MODE = mode;
    s->MAX.IPHASE = 2;
    kin::StringUnit listing;
    s->LH_FAM = &listing;
    double flh = 0.0;
    kinfit::GENMMP(*s, flh);
    s->LH_FAM = nullptr;
    require(flh == kinfit::R_REJECT || std::isfinite(flh),
            "the log-likelihood is neither a number nor the rejection value");
    const double want = plain_likelihood(*s);
    require(same_bits(flh, want), "the sample likelihood differs from the plain routines");
  }
  return 0;
}
