// MMPFAM: the log-likelihood of a family over the members of its nuclear
// families ("ways"), by peeling the ways in file order onto their link persons.
// After each way the link person's row of XX is rescaled to sum 1 and the
// logarithm of the scale factor is accumulated, so that large pedigrees neither
// underflow nor overflow.
//
// The sums run in this order:
// - link person k a parent, r the other parent:
//     XX(k, gk) <- XX(k, gk) * sum over gr of [ XX(r, gr) * C(gk, gr) ],
// - link person k the first child, f and h the parents:
//     XX(k, gk) <- XX(k, gk) * sum over gf (outer), gh (inner) of
//                  [ XX(f, gf) * XX(h, gh) * TRANC(gk, gf, gh) * C(gf, gh) ],
//   where C(j, l) is the product, over the (other) children u in list order, of
//   TRANC(1, j, l) * XX(u, 1) + TRANC(2, j, l) * XX(u, 2) + TRANC(3, j, l) * XX(u, 3);
//   the sums over gr and over (gf, gh) start from 0, the product C from 1, and
//   the products of several factors are taken from left to right.
// C does not depend on the link person's genotype, so it is computed once for
// each of the nine parental genotype pairs. The sample likelihood runs the same
// arithmetic for both of its passes at once (engine/peel_both_passes.cpp).
#include <cfloat>
#include <cmath>
#include <limits>

#include "fit/reference/reference_likelihood.hpp"

namespace kinfit {

namespace {

inline int pair(int j, int l) { return (j - 1) + 3 * (l - 1); }

// C(j, l) for the nine pairs q = pair(j, l), over the children at list
// positions i0..i1 of BUF16.
void child_products(const KinfitState& s, int i0, int i1, double (&C)[9]) {
  for (double& c : C) c = 1.0;
  for (int i = i0; i <= i1; ++i) {
    const int u = s.BUF16(i);
    for (int l = 1; l <= 3; ++l)
      for (int j = 1; j <= 3; ++j)
        C[pair(j, l)] = C[pair(j, l)] * (s.TRANC(1, j, l) * s.XX(u, 1) +
                                         s.TRANC(2, j, l) * s.XX(u, 2) +
                                         s.TRANC(3, j, l) * s.XX(u, 3));
  }
}

}  // namespace

void MMPFAM(KinfitState& s, int F, double& LHF) {
  double A = 0.0;
  const int w0 = s.BUF3(F + 1) + 1;
  const int w1 = s.BUF3(F + 2);
  for (int w = w0; w <= w1; ++w) {
    const int b = s.BUF14(w + 1);
    const int e = s.BUF14(w + 2);
    const int f = s.BUF16(b + 1);
    const int h = s.BUF16(b + 2);
    int k = s.BUF15(w);
    if (k == 0) k = f;

    double C[9];
    if (k == f || k == h) {
      // Sum the way onto a parent.
      const int r = (k == f) ? h : f;
      child_products(s, b + 3, e, C);
      for (int gk = 1; gk <= 3; ++gk) {
        double sum = 0.0;
        for (int gr = 1; gr <= 3; ++gr) sum = sum + s.XX(r, gr) * C[pair(gk, gr)];
        s.XX(k, gk) = s.XX(k, gk) * sum;
      }
    } else {
      // Sum the way onto its first child.
      child_products(s, b + 4, e, C);
      for (int gk = 1; gk <= 3; ++gk) {
        double sum = 0.0;
        for (int gf = 1; gf <= 3; ++gf)
          for (int gh = 1; gh <= 3; ++gh)
            sum = sum + s.XX(f, gf) * s.XX(h, gh) * s.TRANC(gk, gf, gh) * C[pair(gf, gh)];
        s.XX(k, gk) = s.XX(k, gk) * sum;
      }
    }

    // Rescale the link person's row. A scale factor that is 0, negative or not
    // finite leaves no likelihood to speak of: LHF is then not a number, and the
    // caller refuses the point.
    const double S = s.XX(k, 1) + s.XX(k, 2) + s.XX(k, 3);
    if (!(S > 0.0 && S <= DBL_MAX)) {
      LHF = std::numeric_limits<double>::quiet_NaN();
      return;
    }
    A = A + std::log(S);
    const double inv = 1 / S;
    s.XX(k, 1) = s.XX(k, 1) * inv;
    s.XX(k, 2) = s.XX(k, 2) * inv;
    s.XX(k, 3) = s.XX(k, 3) * inv;
  }
  LHF = A;
}

}  // namespace kinfit
