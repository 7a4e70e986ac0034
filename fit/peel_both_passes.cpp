// One sweep over a family's nuclear families that peels both passes of the
// sample likelihood at once, lane 1 and lane 2 of XX2 standing for the work
// table XX of the first and of the conditioning pass. The order of every sum
// and product is MMPFAM's:
//   C(j, l) = product over the children u, in list order, from 1, of
//             TRANC(1, j, l) * XX(u, 1) + TRANC(2, j, l) * XX(u, 2) + TRANC(3, j, l) * XX(u, 3);
//   onto a parent k (other parent r):
//     XX(k, gk) <- XX(k, gk) * (0 + XX(r, 1) C(gk, 1) + XX(r, 2) C(gk, 2) + XX(r, 3) C(gk, 3));
//   onto the first child k (parents f, h), gf outer, gh inner:
//     XX(k, gk) <- XX(k, gk) * (0 + sum of XX(f, gf) * XX(h, gh) * TRANC(gk, gf, gh) * C(gf, gh));
//   then S = XX(k, 1) + XX(k, 2) + XX(k, 3), A = A + ln S, XX(k, g) = XX(k, g) * (1 / S).
// C does not depend on the link person's genotype, so it is computed once per
// parental pair (once for (j, l) and (l, j) together when TRANC is symmetric),
// and so is XX(f, gf) * XX(h, gh).
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "fit/peel_both_passes.hpp"

namespace kinfit {

namespace {

inline int pair(int j, int l) { return (j - 1) + 3 * (l - 1); }

inline Pair2 row(const KinfitState& s, int m, int g) { return load2(&s.XX2(1, m, g)); }
inline void set_row(KinfitState& s, int m, int g, Pair2 v) { store2(&s.XX2(1, m, g), v); }

template <int NS>
inline void child_products(const KinfitState& s, const PairTable& T, int i0, int i1, Pair2 (&C)[9]) {
  for (int k = 0; k < NS; ++k) C[k] = splat(1.0);
  for (int i = i0; i <= i1; ++i) {
    const int u = s.BUF16(i);
    const Pair2 x1 = row(s, u, 1), x2 = row(s, u, 2), x3 = row(s, u, 3);
    for (int k = 0; k < NS; ++k) C[k] = C[k] * (T.ts[0][k] * x1 + T.ts[1][k] * x2 + T.ts[2][k] * x3);
  }
}

// C(j, l) by pair index q, over the children at list positions i0..i1.
inline void products_by_pair(const KinfitState& s, const PairTable& T, int i0, int i1,
                             Pair2 (&CQ)[9]) {
  Pair2 C[9];
  if (T.nslot == 6)
    child_products<6>(s, T, i0, i1, C);
  else
    child_products<9>(s, T, i0, i1, C);
  for (int q = 0; q < 9; ++q) CQ[q] = C[T.slot[q]];
}

bool same_bits(double a, double b) {
  uint64_t x, y;
  std::memcpy(&x, &a, sizeof x);
  std::memcpy(&y, &b, sizeof y);
  return x == y;
}

}  // namespace

void make_pair_table(const KinfitState& s, PairTable& T) {
  bool symmetric = true;
  for (int gc = 1; gc <= 3; ++gc)
    for (int l = 1; l <= 3; ++l)
      for (int j = 1; j <= 3; ++j) {
        T.t[gc - 1][pair(j, l)] = s.TRANC(gc, j, l);
        symmetric = symmetric && same_bits(s.TRANC(gc, j, l), s.TRANC(gc, l, j));
      }
  // Symmetric: slots of (1,1), (2,1), (3,1), (2,2), (3,2), (3,3); (j, l) with
  // j < l takes the slot of (l, j).
  const int sym[9] = {0, 1, 2, 1, 3, 4, 2, 4, 5};
  T.nslot = symmetric ? 6 : 9;
  for (int q = 0; q < 9; ++q) T.slot[q] = symmetric ? sym[q] : q;
  for (int q = 0; q < 9; ++q)
    for (int gc = 0; gc < 3; ++gc) T.ts[gc][T.slot[q]] = splat(T.t[gc][q]);
}

void peel_both_passes(KinfitState& s, int F, const PairTable& T, bool both, double (&LHF)[2]) {
  double A[2] = {0.0, 0.0};
  const int w0 = s.BUF3(F + 1) + 1;
  const int w1 = s.BUF3(F + 2);
  for (int w = w0; w <= w1; ++w) {
    const int b = s.BUF14(w + 1);
    const int e = s.BUF14(w + 2);
    const int f = s.BUF16(b + 1);
    const int h = s.BUF16(b + 2);
    int k = s.BUF15(w);
    if (k == 0) k = f;

    Pair2 CQ[9];
    Pair2 xk[3] = {row(s, k, 1), row(s, k, 2), row(s, k, 3)};
    if (k == f || k == h) {
      // Sum the way onto a parent.
      const int r = (k == f) ? h : f;
      products_by_pair(s, T, b + 3, e, CQ);
      const Pair2 xr[3] = {row(s, r, 1), row(s, r, 2), row(s, r, 3)};
      for (int gk = 1; gk <= 3; ++gk) {
        Pair2 sum = splat(0.0);
        for (int gr = 1; gr <= 3; ++gr) sum = sum + xr[gr - 1] * CQ[pair(gk, gr)];
        xk[gk - 1] = xk[gk - 1] * sum;
      }
    } else {
      // Sum the way onto its first child.
      products_by_pair(s, T, b + 4, e, CQ);
      const Pair2 xf[3] = {row(s, f, 1), row(s, f, 2), row(s, f, 3)};
      const Pair2 xh[3] = {row(s, h, 1), row(s, h, 2), row(s, h, 3)};
      Pair2 FH[9];
      for (int gh = 1; gh <= 3; ++gh)
        for (int gf = 1; gf <= 3; ++gf) FH[pair(gf, gh)] = xf[gf - 1] * xh[gh - 1];
      for (int gk = 1; gk <= 3; ++gk) {
        Pair2 sum = splat(0.0);
        for (int gf = 1; gf <= 3; ++gf)
          for (int gh = 1; gh <= 3; ++gh) {
            const int q = pair(gf, gh);
            sum = sum + FH[q] * splat(T.t[gk - 1][q]) * CQ[q];
          }
        xk[gk - 1] = xk[gk - 1] * sum;
      }
    }

    // Rescale the link person's row. A scale factor that is 0, negative or
    // not finite leaves no likelihood to speak of: the lane's result is then
    // not a number, and the caller refuses the point.
    const Pair2 S = xk[0] + xk[1] + xk[2];
    for (int lane = 0; lane < (both ? 2 : 1); ++lane) {
      if (!(S[lane] > 0.0 && S[lane] <= DBL_MAX)) {
        LHF[0] = LHF[1] = std::numeric_limits<double>::quiet_NaN();
        return;
      }
      A[lane] = A[lane] + std::log(S[lane]);
    }
    const Pair2 inv = splat(1.0) / S;
    for (int g = 1; g <= 3; ++g) set_row(s, k, g, xk[g - 1] * inv);
  }
  LHF[0] = A[0];
  LHF[1] = both ? A[1] : A[0];
}

}  // namespace kinfit
