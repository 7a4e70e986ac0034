// MASSIX: fills the genotype work table XX of one family before it is peeled.
// A child of one of the family's nuclear families gets its penetrances given
// its parents' traits; everybody else (founders, and members who belong to no
// nuclear family) gets genotype frequency times penetrance, with no regressive
// terms. IDONE marks the rows that are final; since every member of a member
// list is marked by the children or the parents pass, a member left unmarked
// belongs to no nuclear family of the family.
//
// The sample likelihood uses the twin fill_both_passes, which takes the
// penetrances from the table that compute_penetrances fills once per
// evaluation and fills the work tables of both passes at once; each of them is
// the table MASSIX builds, bit for bit.
#include <algorithm>

#include "fit/likelihood.hpp"
#include "fit/pair2.hpp"
#include "fit/penetrance.hpp"
#include "fit/work_table.hpp"

namespace kinfit {

namespace {

// Row of a founder or of a member in no nuclear family: P(g) times penetrance.
void founder_row(KinfitState& s, int m, int p) {
  const PrPar& pr = s.PRPAR;
  if (!trait_enters(s, p)) {
    // Trait unknown or left out of this pass: the penetrance is 1.
    s.XX(m, 1) = pr.P1;
    s.XX(m, 2) = pr.P2;
    s.XX(m, 3) = pr.P3;
    return;
  }
  double y[3];
  penetrance_row(s, p, 0, 0, y);
  s.XX(m, 1) = y[0] * pr.P1;
  s.XX(m, 2) = y[1] * pr.P2;
  s.XX(m, 3) = y[2] * pr.P3;
}

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

void MASSIX(KinfitState& s, int F) {
  const int o = s.BUF1(F + 1);
  const int n = s.BUF1(F + 2) - o;
  const int w0 = s.BUF3(F + 1) + 1;
  const int w1 = s.BUF3(F + 2);

  for (int m = 1; m <= n; ++m) {
    s.XX(m, 1) = 1.0;
    s.XX(m, 2) = 1.0;
    s.XX(m, 3) = 1.0;
    s.IDONE(m) = 0;
  }

  // Children, given the trait codes of their parents.
  for (int w = w0; w <= w1; ++w) {
    const int b = s.BUF14(w + 1);
    const int e = s.BUF14(w + 2);
    if (e - b <= 2) continue;
    const int tf = s.TRAIT(o + s.BUF16(b + 1));
    const int th = s.TRAIT(o + s.BUF16(b + 2));
    const int nU = (tf == 1) + (th == 1);
    const int nA = (tf == 2) + (th == 2);
    for (int i = b + 3; i <= e; ++i) {
      const int k = s.BUF16(i);
      s.IDONE(k) = 1;
      if (!trait_enters(s, o + k)) continue;  // the row stays at 1
      double y[3];
      penetrance_row(s, o + k, nU, nA, y);
      s.XX(k, 1) = y[0];
      s.XX(k, 2) = y[1];
      s.XX(k, 3) = y[2];
    }
  }

  // Parents that are nobody's child here: founders, set by their first way.
  for (int w = w0; w <= w1; ++w) {
    const int b = s.BUF14(w + 1);
    const int e = s.BUF14(w + 2);
    for (int i = b + 1; i <= b + 2 && i <= e; ++i) {
      const int m = s.BUF16(i);
      if (s.IDONE(m) == 1) continue;
      s.IDONE(m) = 1;
      founder_row(s, m, o + m);
    }
  }

  // Members in no nuclear family; they stay unmarked.
  for (int m = 1; m <= n; ++m)
    if (s.IDONE(m) != 1) founder_row(s, m, o + m);
}

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

  // Whether the trait of person row p enters the first pass (it is known) and
  // the conditioning pass (it also belongs to the conditioning set); without a
  // conditioning pass, lane 2 repeats lane 1.
  auto enters = [&](int p, bool& first, bool& second) {
    first = s.TRAIT(p) != 3;
    second = !both ? first : first && (mode == 1 ? s.PROB(p) != 2 : s.PROB(p) == 0);
  };

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
      bool first, second;
      enters(p, first, second);
      for (int g = 1; g <= 3; ++g) {
        const double y = first || second ? s.PEN(p, g) : 1.0;
        s.XX2(1, k, g) = first ? y : 1.0;
        s.XX2(2, k, g) = second ? y : 1.0;
      }
    }
  }

  // Founders and members in no way: frequency times penetrance, or frequency.
  auto founder = [&](int m) {
    const int p = o + m;
    bool first, second;
    enters(p, first, second);
    for (int g = 1; g <= 3; ++g) {
      const double y = first || second ? s.PEN(p, g) * P[g - 1] : P[g - 1];
      s.XX2(1, m, g) = first ? y : P[g - 1];
      s.XX2(2, m, g) = second ? y : P[g - 1];
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
