// One sweep over a family's nuclear families that peels both passes of the
// sample likelihood at once, lane 0 and lane 1 of the genotype work table XX
// standing for the table of the first and of the conditioning pass. The order
// of every sum and product is that of the plain peeling:
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
#include "engine/peel_both_passes.hpp"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace kin {

namespace {

inline int pair(int j, int l) { return (j - 1) + 3 * (l - 1); }

inline Pair2 row(const double* xx, int m, int g) { return load2(xx + xx_index(m, g)); }
inline void set_row(double* xx, int m, int g, Pair2 v) { store2(xx + xx_index(m, g), v); }

template <int NS>
inline void child_products(const double* xx, const PairTable& T, const int32_t* u0, const int32_t* u1,
                           Pair2 (&C)[9]) {
  for (int k = 0; k < NS; ++k) C[k] = splat(1.0);
  for (const int32_t* it = u0; it < u1; ++it) {
    const int u = *it;
    const Pair2 x1 = row(xx, u, 1), x2 = row(xx, u, 2), x3 = row(xx, u, 3);
    for (int k = 0; k < NS; ++k) C[k] = C[k] * (T.ts[0][k] * x1 + T.ts[1][k] * x2 + T.ts[2][k] * x3);
  }
}

// C(j, l) by pair index q, over the children listed in [u0, u1).
inline void products_by_pair(const double* xx, const PairTable& T, const int32_t* u0, const int32_t* u1,
                             Pair2 (&CQ)[9]) {
  Pair2 C[9];
  if (T.nslot == 6)
    child_products<6>(xx, T, u0, u1, C);
  else
    child_products<9>(xx, T, u0, u1, C);
  for (int q = 0; q < 9; ++q) CQ[q] = C[T.slot[q]];
}

bool same_bits(double a, double b) {
  uint64_t x, y;
  std::memcpy(&x, &a, sizeof x);
  std::memcpy(&y, &b, sizeof y);
  return x == y;
}

}  // namespace

void make_pair_table(const double* tranc, PairTable& T) {
  auto tr = [tranc](int i, int j, int k) { return tranc[(i - 1) + 3 * (j - 1) + 9 * (k - 1)]; };
  bool symmetric = true;
  for (int gc = 1; gc <= 3; ++gc)
    for (int l = 1; l <= 3; ++l)
      for (int j = 1; j <= 3; ++j) {
        T.t[gc - 1][pair(j, l)] = tr(gc, j, l);
        symmetric = symmetric && same_bits(tr(gc, j, l), tr(gc, l, j));
      }
  // Symmetric: slots of (1,1), (2,1), (3,1), (2,2), (3,2), (3,3); (j, l) with
  // j < l takes the slot of (l, j).
  const int sym[9] = {0, 1, 2, 1, 3, 4, 2, 4, 5};
  T.nslot = symmetric ? 6 : 9;
  for (int q = 0; q < 9; ++q) T.slot[q] = symmetric ? sym[q] : q;
  for (int q = 0; q < 9; ++q)
    for (int gc = 0; gc < 3; ++gc) T.ts[gc][T.slot[q]] = splat(T.t[gc][q]);
}

int peel_both_passes(const Ways& w, const PairTable& T, bool both, double* __restrict xx,
                     double (&lnl)[2]) {
  double A[2] = {0.0, 0.0};
  int status[2] = {kPeeled, kPeeled};
  const int lanes = both ? 2 : 1;
  int failed = 0;
  for (int i = 0; i < w.count; ++i) {
    const int32_t* list = w.list + w.begin[i];
    const int32_t* end = w.list + w.begin[i + 1];
    const int f = list[0];
    const int h = list[1];
    int k = w.link[i];
    if (k == 0) k = f;

    Pair2 CQ[9];
    Pair2 xk[3] = {row(xx, k, 1), row(xx, k, 2), row(xx, k, 3)};
    if (k == f || k == h) {
      // Sum the way onto a parent.
      const int other = (k == f) ? h : f;
      products_by_pair(xx, T, list + 2, end, CQ);
      const Pair2 xr[3] = {row(xx, other, 1), row(xx, other, 2), row(xx, other, 3)};
      for (int gk = 1; gk <= 3; ++gk) {
        Pair2 sum = splat(0.0);
        for (int gr = 1; gr <= 3; ++gr) sum = sum + xr[gr - 1] * CQ[pair(gk, gr)];
        xk[gk - 1] = xk[gk - 1] * sum;
      }
    } else {
      // Sum the way onto its first child.
      products_by_pair(xx, T, list + 3, end, CQ);
      const Pair2 xf[3] = {row(xx, f, 1), row(xx, f, 2), row(xx, f, 3)};
      const Pair2 xh[3] = {row(xx, h, 1), row(xx, h, 2), row(xx, h, 3)};
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

    // Rescale the link person's row. A scale factor of 0 leaves the lane no
    // likelihood; one that is negative or not finite leaves no likelihood to
    // speak of. Either ends the lane; the other lane goes on.
    const Pair2 S = xk[0] + xk[1] + xk[2];
    for (int lane = 0; lane < lanes; ++lane) {
      if (status[lane] != kPeeled) continue;
      if (S[lane] > 0.0 && S[lane] <= DBL_MAX) {
        A[lane] = A[lane] + std::log(S[lane]);
      } else {
        status[lane] = S[lane] == 0.0 ? kVanished : kUnrepresentable;
        ++failed;
      }
    }
    if (failed == lanes) break;
    const Pair2 inv = splat(1.0) / S;
    for (int g = 1; g <= 3; ++g) set_row(xx, k, g, xk[g - 1] * inv);
  }
  lnl[0] = A[0];
  lnl[1] = both ? A[1] : A[0];
  return both ? status[0] | status[1] << 2 : status[0] | status[0] << 2;
}

}  // namespace kin
