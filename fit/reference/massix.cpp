// MASSIX: fills the genotype work table XX of one family before it is peeled.
// A child of one of the family's nuclear families gets its penetrances given
// its parents' traits; everybody else (founders, and members who belong to no
// nuclear family) gets genotype frequency times penetrance, with no regressive
// terms. IDONE marks the rows that are final; since every member of a member
// list is marked by the children or the parents pass, a member left unmarked
// belongs to no nuclear family of the family.
//
// The sample likelihood builds the same tables its own way
// (engine/genotype_table.cpp).
#include "fit/reference/reference_likelihood.hpp"
#include "fit/penetrance.hpp"

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

}  // namespace kinfit
