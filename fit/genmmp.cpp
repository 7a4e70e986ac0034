// GENMMP: the ascertainment-corrected log-likelihood of the whole sample, the
// objective of the maximiser. Each included family contributes
//   ln L(all traits) - ln L(traits of its conditioning set),
// the second pass running when the ascertainment mode asks for it: always
// under modes other than 0, under mode 0 only for a family with a member of
// proband code 0. In the final evaluation every family's contribution is
// listed on LH_fam.dat and the console.
#include <cmath>

#include "common/edit_output.hpp"
#include "fit/likelihood.hpp"
#include "fit/peeling.hpp"
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

    double ACC = 0.0;
    s.ASCERT.ICOND = 0;
    for (;;) {
      const int unattached = fill_work_table(s, F);  // MASSIX
      s.ASCERT.IHAS0 = has0;

      double LHF = 0.0;
      if (has_ways) peel_family(s, F, T, LHF);  // MMPFAM

      // Members in no nuclear family (left unmarked by MASSIX), in member order.
      for (int m = 1; unattached > 0 && m <= n; ++m) {
        if (s.IDONE(m) != 0) continue;
        const double S = s.XX(m, 1) + s.XX(m, 2) + s.XX(m, 3);
        if (S <= kUnattachedFloor) {
          FLH = R_REJECT;
          return;
        }
        LHF = LHF + std::log(S);
      }
      // A family whose likelihood cannot be represented refuses the point, so
      // that no NaN or infinity reaches the maximiser or a report.
      if (!std::isfinite(LHF)) {
        FLH = R_REJECT;
        return;
      }

      if (s.ASCERT.ICOND == 0) {
        ACC = ACC + LHF;
        if (s.ASCERT.MODE != 0 || s.ASCERT.IHAS0 == 1) {
          s.ASCERT.ICOND = 1;
          continue;
        }
      } else {
        ACC = ACC - LHF;
      }
      break;
    }
    FLH = FLH + ACC;

    if (s.MAX.IPHASE == 2) {
      const std::string line = kin::edit("(I4,F5.1,4E15.8)", {F, 1 / s.NG(F), ACC * s.NG(F)});
      write_unit(s.LH_FAM, line);
      if (s.con) kin::say(*s.con, line);
    }
  }
}

}  // namespace kinfit
