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
// theirs bit for bit (engine/: the same routines serve kinseg's likelihood).
// A point is refused when a pass meets a member in no nuclear family whose
// trait has a vanishing probability, or when a family's likelihood vanishes or
// cannot be represented; either pass refuses as the first would.
#include "common/edit_output.hpp"
#include "engine/conditioning.hpp"
#include "engine/family_log_likelihood.hpp"
#include "fit/likelihood.hpp"
#include "fit/setup.hpp"
#include "fit/work_table.hpp"

namespace kinfit {

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

  kin::PairTable T;
  kin::make_pair_table(s.TRANC.a, T);
  compute_penetrances(s);
  const double P[3] = {s.PRPAR.P1, s.PRPAR.P2, s.PRPAR.P3};
  kin::PassRecords records;
  records.trait = &s.TRAIT(1);
  records.prob = &s.PROB(1);
  records.pen = &s.PEN(1);
  FLH = 0.0;
  const int nped = s.BUF1(1);
  for (int F = 1; F <= nped; ++F) {
    if (s.LUK(F) == 0 || s.NG(F) == 0.0) continue;
    const int o = s.BUF1(F + 1);
    const int n = s.BUF1(F + 2) - o;

    // Person row o + m is record o + m - 1 of the proband codes.
    const bool has0 = kin::any_always_conditioned(records.prob, o, o + n);
    s.ASCERT.IHAS0 = has0 ? 1 : 0;
    // The conditioning pass, run side by side with the first. ICOND tells, as
    // after the passes one by one, which pass came last.
    const bool conditioning = kin::conditioning_pass(s.ASCERT.MODE, has0);
    s.ASCERT.ICOND = conditioning ? 1 : 0;

    // The family in the peeling's terms: person row o + m is record o + m - 1.
    kin::PeelingFamily fam;
    fam.persons = fam.members = n;
    fam.base = o - 1;
    const int w0 = s.BUF3(F + 1) + 1;
    fam.ways.count = s.BUF3(F + 2) - s.BUF3(F + 1);
    if (fam.ways.count > 0) {
      fam.ways.begin = &s.BUF14(w0 + 1);
      fam.ways.list = &s.BUF16(1);
      fam.ways.link = &s.BUF15(w0);
    }
    // MASSIX and MMPFAM for both passes, then the members in no nuclear family.
    double LHF[2];
    if (!kin::family_log_likelihood(fam, records, P, T, s.ASCERT.MODE, conditioning, &s.XX2(1),
                                    &s.IDONE(1), LHF)) {
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
