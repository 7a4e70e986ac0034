// The penetrances of a run of persons, chunk by chunk.
#include "engine/penetrance_run.hpp"

#include <algorithm>
#include <cfloat>

#include "engine/onset_arithmetic.hpp"
#include "engine/pair2.hpp"
#include "engine/penetrance_arithmetic.hpp"

namespace kin {

namespace {

constexpr int kChunk = 256;

}  // namespace

template <class Cov>
void penetrances_of_run(const PersonRecords<Cov>& r, const PenetranceModel& m, int p0, int p1,
                        double* pen) {
  int idx[kChunk + 1];
  alignas(16) double v[3][kChunk + 1];
  alignas(16) long long affected[kChunk + 1];
  const double ro1 = m.ro1;
  const double ro2 = m.ro2;
  const int ncov = m.ncov;
  const int stride = r.cov_stride;
  for (int c0 = p0; c0 < p1; c0 += kChunk) {
    const int c1 = std::min(p1, c0 + kChunk);
    int k = 0;
    for (int p = c0; p < c1; ++p) {
      idx[k] = p;
      k += r.trait[p] != 3;
    }
    if (k == 0) continue;
    idx[k] = idx[k - 1];  // pads an odd count; the copy's values are not stored
    for (int i = 0; i < k; i += 2) {
      const int pa = idx[i], pb = idx[i + 1];
      const Cov* ca = r.cov + static_cast<long>(pa) * stride;
      const Cov* cb = r.cov + static_cast<long>(pb) * stride;
      // The covariate sum, from 0 in covariate order; the first eight terms
      // unrolled (kinfit's samples have at most eight covariates).
      Pair2 c = {0.0, 0.0};
      auto term = [&](int j) {
        const Pair2 cov = {static_cast<double>(ca[j]), static_cast<double>(cb[j])};
        const double d = m.d[j];
        c = c + cov * Pair2{d, d};
      };
      int j = 0;
#pragma GCC unroll 8
      for (; j < 8; ++j) {
        if (j >= ncov) break;
        term(j);
      }
      for (; j < ncov; ++j) term(j);
      const int ka = std::max(r.parents[pa], 0);
      const int kb = std::max(r.parents[pb], 0);
      const Pair2 ru = Pair2{static_cast<double>(ka % 3), static_cast<double>(kb % 3)} * Pair2{ro1, ro1};
      const Pair2 ra = Pair2{static_cast<double>(ka / 3), static_cast<double>(kb / 3)} * Pair2{ro2, ro2};
      const double* ba = r.sex[pa] == 1 ? m.w : m.wv;
      const double* bb = r.sex[pb] == 1 ? m.w : m.wv;
      for (int g = 0; g < 3; ++g) {
        Pair2 x = c + Pair2{ba[g], bb[g]};
        x = x + ru;
        x = x + ra;
        v[g][i] = x[0];
        v[g][i + 1] = x[1];
      }
      affected[i] = r.trait[pa] == 2 ? -1 : 0;
      affected[i + 1] = r.trait[pb] == 2 ? -1 : 0;
    }
    const int k2 = k + (k & 1);
    for (int g = 0; g < 3; ++g)
      for (int i = 0; i < k2; ++i) v[g][i] = exp_of_predictor(v[g][i]);
    if (m.onset) {
      // The susceptibility y and the age-of-onset distribution, person by
      // person. The distributions come from the point's table of the sample's
      // distinct ages when there is one; else they are computed here, once for
      // genotypes that share the mean and the spread (the dominant and
      // recessive types link them). Either way the same numbers.
      const bool tabled = m.age_table && r.age_class;
      const bool same10 = m.m[1] == m.m[0] && m.s[1] == m.s[0];
      const bool same21 = m.m[2] == m.m[1] && m.s[2] == m.s[1];
      const bool same20 = m.m[2] == m.m[0] && m.s[2] == m.s[0];
      for (int i = 0; i < k; ++i) {
        const int p = idx[i];
        LogisticAge own[3];
        const LogisticAge* f = own;
        if (tabled) {
          f = m.age_table + 3 * static_cast<long>(r.age_class[p]);
        } else {
          const double a = r.age[p];
          own[0] = logistic_age(a, m.m[0], m.s[0]);
          own[1] = same10 ? own[0] : logistic_age(a, m.m[1], m.s[1]);
          own[2] = same21 ? own[1] : same20 ? own[0] : logistic_age(a, m.m[2], m.s[2]);
        }
        for (int g = 0; g < 3; ++g) {
          const double y = affected_probability_of_exp(v[g][i]);
          v[g][i] = onset_trait_probability(y, 1 - y, r.trait[p], f[g]);
        }
      }
    } else {
      const Pair2 big = {DBL_MAX, DBL_MAX};
      const Pair2 one = {1.0, 1.0};
      for (int g = 0; g < 3; ++g)
        for (int i = 0; i < k2; i += 2) {
          const Pair2 e = {v[g][i], v[g][i + 1]};
          const Pair2 ec = big < e ? big : e;  // std::min(e, DBL_MAX), lane by lane
          const Pair2 y = ec / (ec + one);
          const Mask2 aff = {affected[i], affected[i + 1]};
          const Pair2 res = aff ? y : one - y;
          v[g][i] = res[0];
          v[g][i + 1] = res[1];
        }
    }
    for (int i = 0; i < k; ++i) {
      double* row = pen + 3 * static_cast<long>(idx[i] - p0);
      row[0] = v[0][i];
      row[1] = v[1][i];
      row[2] = v[2][i];
    }
  }
}

template void penetrances_of_run<int32_t>(const PersonRecords<int32_t>&, const PenetranceModel&, int,
                                          int, double*);
template void penetrances_of_run<double>(const PersonRecords<double>&, const PenetranceModel&, int, int,
                                         double*);

}  // namespace kin
