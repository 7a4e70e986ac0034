// The parents' trait counts of every person, once per sample, and the
// penetrances of the persons of the analysed families, once per evaluation.
#include "fit/work_table.hpp"

#include "engine/penetrance_run.hpp"

namespace kinfit {

void set_parents_counts(KinfitState& s) {
  const int nped = s.BUF1(1);
  for (int F = 1; F <= nped; ++F) {
    const int o = s.BUF1(F + 1);
    const int n = s.BUF1(F + 2) - o;
    for (int p = o + 1; p <= o + n; ++p) s.KIDOF(p) = -1;
    for (int w = s.BUF3(F + 1) + 1; w <= s.BUF3(F + 2); ++w) {
      const int b = s.BUF14(w + 1);
      const int e = s.BUF14(w + 2);
      if (e - b <= 2) continue;
      const int counts = kin::parents_code(s.TRAIT(o + s.BUF16(b + 1)), s.TRAIT(o + s.BUF16(b + 2)));
      for (int i = b + 3; i <= e; ++i) s.KIDOF(o + s.BUF16(i)) = counts;
    }
  }
}

void compute_penetrances(KinfitState& s) {
  const int nped = s.BUF1(1);
  // The penetrances, over runs of consecutive analysed families; person row p
  // is person p - 1 of the run.
  kin::PenetranceModel m;
  for (int g = 1; g <= 3; ++g) {
    m.w[g - 1] = s.PRPAR.W(g);
    m.wv[g - 1] = s.PRPAR.WV(g);
  }
  m.d = &s.PRPAR.D(1);
  m.ncov = s.HIPOT.NCOV;
  m.ro1 = s.PRPAR.RO(1);
  m.ro2 = s.PRPAR.RO(2);
  kin::PersonRecords<int32_t> r;
  r.trait = &s.TRAIT(1);
  r.sex = &s.SEX(1);
  r.cov = &s.COV(1, 1);
  r.cov_stride = MAXCOV;
  r.parents = &s.KIDOF(1);
  for (int F = 1; F <= nped;) {
    if (s.LUK(F) == 0 || s.NG(F) == 0.0) {
      ++F;
      continue;
    }
    int G = F;
    while (G < nped && s.LUK(G + 1) != 0 && s.NG(G + 1) != 0.0) ++G;
    kin::penetrances_of_run(r, m, s.BUF1(F + 1), s.BUF1(G + 2), &s.PEN(3 * s.BUF1(F + 1) + 1));
    F = G + 1;
  }
}

}  // namespace kinfit
