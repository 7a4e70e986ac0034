// MMPFAM: the log-likelihood of a family over the members of its nuclear
// families ("ways"), by peeling the ways in file order onto their link persons.
// After each way the link person's row of XX is rescaled to sum 1 and the
// logarithm of the scale factor is accumulated, so that large pedigrees neither
// underflow nor overflow.
//
// The sums run in this order, and the code keeps it exactly:
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
// each parental genotype pair (once for (j, l) and (l, j) together when the
// transmission table is symmetric), and so is XX(f, gf) * XX(h, gh).
// Sums and products are never regrouped: the build keeps the compiler from
// fusing a multiplication and an addition into one rounding.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "fit/likelihood.hpp"
#include "fit/peeling.hpp"

namespace kinfit {

namespace {

// Pair index of the parental genotypes (j, l).
inline int pair(int j, int l) { return (j - 1) + 3 * (l - 1); }

// C for the NV vectors of slots, over the children at list positions i0..i1
// of BUF16.
template <int NV>
inline void child_products(const KinfitState& s, const PairTable& T, int i0, int i1,
                           Pair2 (&C)[5]) {
  for (int v = 0; v < NV; ++v) C[v] = Pair2{1.0, 1.0};
  for (int i = i0; i <= i1; ++i) {
    const int u = s.BUF16(i);
    const double x1 = s.XX(u, 1);
    const double x2 = s.XX(u, 2);
    const double x3 = s.XX(u, 3);
    const Pair2 v1 = {x1, x1}, v2 = {x2, x2}, v3 = {x3, x3};
    for (int v = 0; v < NV; ++v)
      C[v] = C[v] * (T.t[0][v] * v1 + T.t[1][v] * v2 + T.t[2][v] * v3);
  }
}

inline void child_products(const KinfitState& s, const PairTable& T, int i0, int i1,
                           Pair2 (&C)[5]) {
  if (T.symmetric)
    child_products<3>(s, T, i0, i1, C);
  else
    child_products<5>(s, T, i0, i1, C);
}

// C(j, l) for the nine pair indices q, out of the vectors of slots.
inline void products_by_pair(const PairTable& T, const Pair2 (&C)[5], double (&CQ)[9]) {
  double lanes[10];
  std::memcpy(lanes, C, sizeof lanes);
  for (int q = 0; q < 9; ++q) CQ[q] = lanes[T.slot[q]];
}

bool same_bits(double a, double b) {
  uint64_t x, y;
  std::memcpy(&x, &a, sizeof x);
  std::memcpy(&y, &b, sizeof y);
  return x == y;
}

}  // namespace

void make_pair_table(const KinfitState& s, PairTable& T) {
  T.symmetric = true;
  for (int gc = 1; gc <= 3; ++gc)
    for (int l = 1; l <= 3; ++l)
      for (int j = 1; j < l; ++j)
        T.symmetric = T.symmetric && same_bits(s.TRANC(gc, j, l), s.TRANC(gc, l, j));
  for (int l = 1; l <= 3; ++l)
    for (int j = 1; j <= 3; ++j) T.slot[pair(j, l)] = pair(j, l);
  if (T.symmetric) {
    // Slots of (1,1), (2,1), (3,1), (2,2), (3,2), (3,3); (j, l) shares (l, j)'s.
    const int sym[9] = {0, 1, 2, 1, 3, 4, 2, 4, 5};
    for (int q = 0; q < 9; ++q) T.slot[q] = sym[q];
  }
  for (int gc = 1; gc <= 3; ++gc) {
    double a[10] = {};
    for (int l = 1; l <= 3; ++l)
      for (int j = 1; j <= 3; ++j) a[T.slot[pair(j, l)]] = s.TRANC(gc, j, l);
    for (int v = 0; v < 5; ++v) T.t[gc - 1][v] = Pair2{a[2 * v], a[2 * v + 1]};
  }
}

void peel_family(KinfitState& s, int F, const PairTable& T, double& LHF) {
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

    Pair2 C[5];
    double CQ[9];
    if (k == f || k == h) {
      // Sum the way onto a parent.
      const int r = (k == f) ? h : f;
      child_products(s, T, b + 3, e, C);
      products_by_pair(T, C, CQ);
      const double xr1 = s.XX(r, 1), xr2 = s.XX(r, 2), xr3 = s.XX(r, 3);
      for (int gk = 1; gk <= 3; ++gk) {
        double sum = 0.0;
        sum = sum + xr1 * CQ[pair(gk, 1)];
        sum = sum + xr2 * CQ[pair(gk, 2)];
        sum = sum + xr3 * CQ[pair(gk, 3)];
        s.XX(k, gk) = s.XX(k, gk) * sum;
      }
    } else {
      // Sum the way onto its first child.
      child_products(s, T, b + 4, e, C);
      products_by_pair(T, C, CQ);
      double FH[9];
      for (int gh = 1; gh <= 3; ++gh)
        for (int gf = 1; gf <= 3; ++gf) FH[pair(gf, gh)] = s.XX(f, gf) * s.XX(h, gh);
      for (int gk = 1; gk <= 3; ++gk) {
        double sum = 0.0;
        for (int gf = 1; gf <= 3; ++gf)
          for (int gh = 1; gh <= 3; ++gh) {
            const int q = pair(gf, gh);
            sum = sum + FH[q] * T.at(gk, q) * CQ[q];
          }
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

void MMPFAM(KinfitState& s, int F, double& LHF) {
  PairTable T;
  make_pair_table(s, T);
  peel_family(s, F, T, LHF);
}

}  // namespace kinfit
