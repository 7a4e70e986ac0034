// GENMMP: the ascertainment-corrected log-likelihood of the whole sample, the
// objective of the maximiser. Each included family contributes
//   ln L(all traits) - ln L(traits of its conditioning set),
// the second pass running when the ascertainment mode asks for it: always
// under modes other than 0, under mode 0 only for a family with a member of
// proband code 0. In the final evaluation every family's contribution is
// listed on LH_fam.dat and the console.
//
// The two passes of a family are run side by side: the penetrances of every
// person are computed once per evaluation, the work tables of both passes are
// filled together and one sweep over the nuclear families peels both, each
// lane by exactly the arithmetic of MASSIX and MMPFAM, so every result is
// theirs bit for bit. A point is refused when a pass meets a member in no
// nuclear family whose trait has a vanishing probability, or when a family's
// likelihood cannot be represented; either pass refuses as the first would.
#include <cmath>

#include "common/edit_output.hpp"
#include "fit/likelihood.hpp"
#include "fit/peel_both_passes.hpp"
#include "fit/setup.hpp"
#include "fit/work_table.hpp"

namespace kinfit {

namespace {

// The smallest probability of the trait of a member in no nuclear family that
// still counts (single-precision 1E-17 widened); at or below it the point is
// refused.
constexpr double kUnattachedFloor = 9.99999983775159E-18;

}  // namespace

void GENMMP(KinfitState& s, double& FLH) {
  double FSTAT = 0.0;
  if (s.MAX.IPHASE == 1)
    STAPAR(s, FSTAT);
  else
    STAP0(s, FSTAT);
  if (FSTAT + 9.999999843067494E17 <= 0) {
    FLH = R_REJECT;
    return;
  }

  PairTable T;
  make_pair_table(s, T);
  compute_penetrances(s);
  FLH = 0.0;
  const int nped = s.BUF1(1);
  for (int F = 1; F <= nped; ++F) {
    if (s.LUK(F) == 0 || s.NG(F) == 0.0) continue;
    const int o = s.BUF1(F + 1);
    const int n = s.BUF1(F + 2) - o;
    const bool has_ways = s.BUF3(F + 2) > s.BUF3(F + 1);

    int has0 = 0;
    for (int m = 1; m <= n; ++m) has0 |= s.PROB(o + m) == 0;
    s.ASCERT.IHAS0 = has0;
    // The conditioning pass, run side by side with the first. ICOND tells, as
    // after the passes one by one, which pass came last.
    const bool conditioning = s.ASCERT.MODE != 0 || has0 == 1;
    s.ASCERT.ICOND = conditioning ? 1 : 0;
    const int unattached = fill_both_passes(s, F, conditioning);  // MASSIX, both passes

    double LHF[2] = {0.0, 0.0};
    if (has_ways) peel_both_passes(s, F, T, conditioning, LHF);  // MMPFAM, both passes

    // Members in no nuclear family (left unmarked), in member order.
    for (int m = 1; unattached > 0 && m <= n; ++m) {
      if (s.IDONE(m) != 0) continue;
      for (int pass = 1; pass <= (conditioning ? 2 : 1); ++pass) {
        const double S = s.XX2(pass, m, 1) + s.XX2(pass, m, 2) + s.XX2(pass, m, 3);
        if (S <= kUnattachedFloor) {
          FLH = R_REJECT;
          return;
        }
        LHF[pass - 1] = LHF[pass - 1] + std::log(S);
      }
    }
    // A family whose likelihood cannot be represented refuses the point, so
    // that no NaN or infinity reaches the maximiser or a report.
    if (!std::isfinite(LHF[0]) || (conditioning && !std::isfinite(LHF[1]))) {
      FLH = R_REJECT;
      return;
    }

    double ACC = 0.0;
    ACC = ACC + LHF[0];
    if (conditioning) ACC = ACC - LHF[1];
    FLH = FLH + ACC;

    if (s.MAX.IPHASE == 2) {
      const std::string line = kin::edit("(I4,F5.1,4E15.8)", {F, 1 / s.NG(F), ACC * s.NG(F)});
      write_unit(s.LH_FAM, line);
      if (s.con) kin::say(*s.con, line);
    }
  }
}

}  // namespace kinfit
