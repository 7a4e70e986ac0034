#include "tests/support/brute_force.hpp"

#include <cmath>
#include <stdexcept>

namespace kintest {

Penetrance logistic_penetrance(const kinseg::Point& pt) {
  return [pt](const kinseg::Sample& s, int p, int g) {
    double x = 0.0;
    for (int j = 0; j < s.ncov(); ++j) x += s.cov(p, j) * pt.d[static_cast<size_t>(j)];
    x += pt.w[g];
    if (s.sex[p] == 2 && pt.sex_effect) x += pt.v[g];  // unknown sex: the baseline of sex 1
    if (s.father[p] >= 0)
      for (int par : {s.father[p], s.mother[p]}) {
        if (s.trait[par] == 1) x += pt.ro[0];
        if (s.trait[par] == 2) x += pt.ro[1];
      }
    const double y = 1.0 / (1.0 + std::exp(-x));
    return s.trait[p] == 2 ? y : 1.0 - y;
  };
}

BruteForce brute_force(const kinseg::Sample& s, int k, const kinseg::Point& pt, kinseg::Ascertainment a,
                       const Penetrance& given) {
  const Penetrance model = given ? given : logistic_penetrance(pt);
  const int o = s.first(k), n = s.size(k);
  const bool proband_mode = a == kinseg::Ascertainment::kProband;
  BruteForce bf;
  bool has0 = false;
  for (int i = 0; i < n; ++i) has0 = has0 || s.proband[o + i] == 0;
  bf.conditioning = proband_mode || has0;

  const double q = pt.q;
  const double prior[3] = {q * q, 2 * q * (1 - q), (1 - q) * (1 - q)};
  const double mendel[3] = {1.0, 0.5, 0.0};
  const double* tau = pt.free_transmission ? pt.tau : mendel;
  // A parent of genotype index g passes the allele of frequency Q with
  // probability tau[g].
  auto transmit = [&](int gc, int gf, int gm) {
    const double a1 = tau[gf], b1 = tau[gm];
    return gc == 0 ? a1 * b1 : gc == 1 ? a1 * (1 - b1) + (1 - a1) * b1 : (1 - a1) * (1 - b1);
  };
  auto penetrance = [&](int i, int g, bool counted) {
    const int p = o + i;
    if (s.trait[p] == 3 || !counted) return 1.0;
    return model(s, p, g);
  };
  auto in_cond = [&](int i) {
    const int code = s.proband[o + i];
    return proband_mode ? code != 2 : code == 0;
  };

  // Persons with neither parents nor children stand alone.
  std::vector<bool> alone(static_cast<size_t>(n), true);
  for (int i = 0; i < n; ++i)
    if (s.father[o + i] >= 0) {
      alone[static_cast<size_t>(i)] = false;
      alone[static_cast<size_t>(s.father[o + i] - o)] = false;
      alone[static_cast<size_t>(s.mother[o + i] - o)] = false;
    }
  std::vector<int> joined;
  for (int i = 0; i < n; ++i)
    if (!alone[static_cast<size_t>(i)]) joined.push_back(i);
  if (joined.size() > 13) throw std::runtime_error("brute force over more than 13 related persons");

  double total[2] = {1.0, 1.0};
  std::vector<double> marg[2] = {std::vector<double>(3 * static_cast<size_t>(n), 0.0),
                                 std::vector<double>(3 * static_cast<size_t>(n), 0.0)};
  // The related persons: every genotype vector.
  {
    long combos = 1;
    for (size_t i = 0; i < joined.size(); ++i) combos *= 3;
    std::vector<int> g(static_cast<size_t>(n), 0);
    double sum[2] = {0.0, 0.0};
    for (long c = 0; c < combos; ++c) {
      long r = c;
      for (int i : joined) {
        g[static_cast<size_t>(i)] = static_cast<int>(r % 3);
        r /= 3;
      }
      double prod[2] = {1.0, 1.0};
      for (int i : joined) {
        const int p = o + i;
        const int gi = g[static_cast<size_t>(i)];
        const double base = s.father[p] < 0
                                ? prior[gi]
                                : transmit(gi, g[static_cast<size_t>(s.father[p] - o)],
                                           g[static_cast<size_t>(s.mother[p] - o)]);
        prod[0] *= base * penetrance(i, gi, true);
        prod[1] *= base * penetrance(i, gi, in_cond(i));
      }
      for (int l = 0; l < 2; ++l) {
        sum[l] += prod[l];
        for (int i : joined) marg[l][3 * static_cast<size_t>(i) + g[static_cast<size_t>(i)]] += prod[l];
      }
    }
    if (!joined.empty())
      for (int l = 0; l < 2; ++l) {
        total[l] = sum[l];
        for (int i : joined)
          for (int gi = 0; gi < 3; ++gi) marg[l][3 * static_cast<size_t>(i) + gi] /= sum[l];
      }
  }
  // Each person standing alone: its own three genotypes.
  for (int i = 0; i < n; ++i) {
    if (!alone[static_cast<size_t>(i)]) continue;
    for (int l = 0; l < 2; ++l) {
      double sum = 0.0;
      for (int gi = 0; gi < 3; ++gi) {
        const double t = prior[gi] * penetrance(i, gi, l == 0 || in_cond(i));
        marg[l][3 * static_cast<size_t>(i) + gi] = t;
        sum += t;
      }
      for (int gi = 0; gi < 3; ++gi) marg[l][3 * static_cast<size_t>(i) + gi] /= sum;
      total[l] *= sum;
    }
  }
  bf.lnl_all = std::log(total[0]);
  bf.lnl_cond = bf.conditioning ? std::log(total[1]) : 0.0;
  bf.post_all = marg[0];
  bf.post_cond = marg[1];
  for (int i = 0; i < n; ++i)
    for (int gi = 0; gi < 3; ++gi) bf.penetrance.push_back(penetrance(i, gi, true));
  return bf;
}

}  // namespace kintest
