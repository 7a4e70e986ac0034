// The genotype work tables of the sample likelihood: the penetrances of all
// persons once per evaluation, and the tables of both passes of a family.
#include "fit/work_table.hpp"

#include <algorithm>
#include <cfloat>

#include "fit/pair2.hpp"
#include "fit/penetrance.hpp"

namespace kinfit {

namespace {

// Persons are taken in chunks: the known traits of a chunk are gathered
// without branching, their predictors computed two persons at a time, their
// exponentials taken in one tight run and turned into probabilities two at a
// time. Every value is computed by the same operations, in the same order, as
// FEN computes it.
constexpr int kChunk = 256;

void penetrances_of_run(KinfitState& s, int p0, int p1) {
  int idx[kChunk + 1];
  alignas(16) double v[3][kChunk + 1];
  alignas(16) long long affected[kChunk + 1];
  const double ro1 = s.PRPAR.RO(1);
  const double ro2 = s.PRPAR.RO(2);
  const int ncov = s.HIPOT.NCOV;
  for (int c0 = p0; c0 <= p1; c0 += kChunk) {
    const int c1 = std::min(p1, c0 + kChunk - 1);
    int k = 0;
    for (int p = c0; p <= c1; ++p) {
      idx[k] = p;
      k += s.TRAIT(p) != 3;
    }
    if (k == 0) continue;
    idx[k] = idx[k - 1];  // pads an odd count; the copy's values are not stored
    for (int i = 0; i < k; i += 2) {
      const int pa = idx[i], pb = idx[i + 1];
      Pair2 c = {0.0, 0.0};
      for (int j = 1; j <= ncov; ++j) {
        const Pair2 cov = {static_cast<double>(s.COV(j, pa)), static_cast<double>(s.COV(j, pb))};
        const double d = s.PRPAR.D(j);
        c = c + cov * Pair2{d, d};
      }
      const int ka = std::max(s.KIDOF(pa), 0);
      const int kb = std::max(s.KIDOF(pb), 0);
      const Pair2 ru = Pair2{static_cast<double>(ka % 3), static_cast<double>(kb % 3)} * Pair2{ro1, ro1};
      const Pair2 ra = Pair2{static_cast<double>(ka / 3), static_cast<double>(kb / 3)} * Pair2{ro2, ro2};
      const Table1<double, 3>& ba = baselines(s, pa);
      const Table1<double, 3>& bb = baselines(s, pb);
      for (int g = 1; g <= 3; ++g) {
        Pair2 x = c + Pair2{ba(g), bb(g)};
        x = x + ru;
        x = x + ra;
        v[g - 1][i] = x[0];
        v[g - 1][i + 1] = x[1];
      }
      affected[i] = s.TRAIT(pa) == 2 ? -1 : 0;
      affected[i + 1] = s.TRAIT(pb) == 2 ? -1 : 0;
    }
    const int k2 = k + (k & 1);
    for (int g = 0; g < 3; ++g)
      for (int i = 0; i < k2; ++i) v[g][i] = exp_of_predictor(v[g][i]);
    const Pair2 big = {DBL_MAX, DBL_MAX};
    const Pair2 one = {1.0, 1.0};
    for (int g = 0; g < 3; ++g)
      for (int i = 0; i < k2; i += 2) {
        const Pair2 e = {v[g][i], v[g][i + 1]};
        const Pair2 ec = big < e ? big : e;  // std::min(e, DBL_MAX), lane by lane
        const Pair2 y = ec / (ec + one);
        const Mask2 aff = {affected[i], affected[i + 1]};
        const Pair2 r = aff ? y : one - y;
        v[g][i] = r[0];
        v[g][i + 1] = r[1];
      }
    for (int i = 0; i < k; ++i) {
      const int p = idx[i];
      s.PEN(p, 1) = v[0][i];
      s.PEN(p, 2) = v[1][i];
      s.PEN(p, 3) = v[2][i];
    }
  }
}

}  // namespace

void compute_penetrances(KinfitState& s) {
  const int nped = s.BUF1(1);
  // The parents' trait counts of every child.
  for (int F = 1; F <= nped; ++F) {
    if (s.LUK(F) == 0 || s.NG(F) == 0.0) continue;
    const int o = s.BUF1(F + 1);
    const int n = s.BUF1(F + 2) - o;
    for (int p = o + 1; p <= o + n; ++p) s.KIDOF(p) = -1;
    for (int w = s.BUF3(F + 1) + 1; w <= s.BUF3(F + 2); ++w) {
      const int b = s.BUF14(w + 1);
      const int e = s.BUF14(w + 2);
      if (e - b <= 2) continue;
      const int tf = s.TRAIT(o + s.BUF16(b + 1));
      const int th = s.TRAIT(o + s.BUF16(b + 2));
      const int counts = (tf == 1) + (th == 1) + 3 * ((tf == 2) + (th == 2));
      for (int i = b + 3; i <= e; ++i) s.KIDOF(o + s.BUF16(i)) = counts;
    }
  }
  // The penetrances, over runs of consecutive analysed families.
  for (int F = 1; F <= nped;) {
    if (s.LUK(F) == 0 || s.NG(F) == 0.0) {
      ++F;
      continue;
    }
    int G = F;
    while (G < nped && s.LUK(G + 1) != 0 && s.NG(G + 1) != 0.0) ++G;
    penetrances_of_run(s, s.BUF1(F + 1) + 1, s.BUF1(G + 2));
    F = G + 1;
  }
}

int fill_both_passes(KinfitState& s, int F, bool both) {
  const int o = s.BUF1(F + 1);
  const int n = s.BUF1(F + 2) - o;
  const int w0 = s.BUF3(F + 1) + 1;
  const int w1 = s.BUF3(F + 2);
  const double P[3] = {s.PRPAR.P1, s.PRPAR.P2, s.PRPAR.P3};
  const int mode = s.ASCERT.MODE;

  // Which lanes take the penetrance of person row p: lane 1 when its trait is
  // known, lane 2 when it also belongs to the conditioning set (without a
  // conditioning pass lane 2 repeats lane 1). The choice is made without
  // branching: traits and proband codes follow no pattern.
  auto lanes = [&](int p) {
    const bool first = s.TRAIT(p) != 3;
    const bool second = !both ? first : first && (mode == 1 ? s.PROB(p) != 2 : s.PROB(p) == 0);
    return Mask2{-static_cast<long long>(first), -static_cast<long long>(second)};
  };
  const Pair2 one = splat(1.0);

  // Every row is written below, so only the marks need resetting.
  for (int m = 1; m <= n; ++m) s.IDONE(m) = 0;

  // Children: their penetrances given their parents' traits, or 1.
  for (int w = w0; w <= w1; ++w) {
    const int b = s.BUF14(w + 1);
    const int e = s.BUF14(w + 2);
    for (int i = b + 3; i <= e; ++i) {
      const int k = s.BUF16(i);
      const int p = o + k;
      s.IDONE(k) = 1;
      const Mask2 in = lanes(p);
      for (int g = 1; g <= 3; ++g) store2(&s.XX2(1, k, g), in ? splat(s.PEN(p, g)) : one);
    }
  }

  // Founders and members in no way: frequency times penetrance, or frequency.
  auto founder = [&](int m) {
    const int p = o + m;
    const Mask2 in = lanes(p);
    for (int g = 1; g <= 3; ++g) {
      const Pair2 f = splat(P[g - 1]);
      store2(&s.XX2(1, m, g), in ? splat(s.PEN(p, g) * P[g - 1]) : f);
    }
  };
  for (int w = w0; w <= w1; ++w) {
    const int b = s.BUF14(w + 1);
    const int e = s.BUF14(w + 2);
    for (int i = b + 1; i <= b + 2 && i <= e; ++i) {
      const int m = s.BUF16(i);
      if (s.IDONE(m) == 1) continue;
      s.IDONE(m) = 1;
      founder(m);
    }
  }
  int unattached = 0;
  for (int m = 1; m <= n; ++m)
    if (s.IDONE(m) != 1) {
      founder(m);
      ++unattached;
    }
  return unattached;
}

}  // namespace kinfit
