#include "tests/engine_samples.hpp"

#include <cmath>
#include <stdexcept>

namespace kintest {

void add_pedigree(kinseg::Sample& s, const std::string& id, const std::vector<Row>& rows) {
  const int o = s.persons();
  s.pedigree_ids.push_back(id);
  if (s.start.empty()) s.start.push_back(0);
  for (size_t i = 0; i < rows.size(); ++i) {
    const Row& r = rows[i];
    s.ids.push_back(std::to_string(i + 1));
    s.father.push_back(r.fa > 0 ? o + r.fa - 1 : -1);
    s.mother.push_back(r.mo > 0 ? o + r.mo - 1 : -1);
    s.sex.push_back(static_cast<int8_t>(r.sex));
    s.trait.push_back(static_cast<int8_t>(r.trait));
    s.proband.push_back(static_cast<int8_t>(r.prob));
    for (int j = 0; j < s.ncov(); ++j)
      s.covariates.push_back(j < static_cast<int>(r.cov.size()) ? r.cov[static_cast<size_t>(j)] : 0.0);
    s.line.push_back(static_cast<int>(i) + 2);
  }
  bool ages = s.has_onset();
  for (const Row& r : rows) ages = ages || !std::isnan(r.age);
  if (ages) {
    s.onset.resize(static_cast<size_t>(o), NAN);
    for (const Row& r : rows) s.onset.push_back(r.age);
  }
  s.start.push_back(s.persons());
}

kinseg::Sample empty_sample(int ncov) {
  kinseg::Sample s;
  s.file = "test";
  for (int j = 0; j < ncov; ++j) s.covariate_names.push_back("c" + std::to_string(j + 1));
  s.start.push_back(0);
  return s;
}

kinseg::Sample sample_of(const std::vector<Family>& fams, int ncov) {
  kinseg::Sample s = empty_sample(ncov);
  for (size_t F = 0; F < fams.size(); ++F) {
    const Family& fam = fams[F];
    std::vector<Row> rows(fam.members.size());
    for (size_t m = 0; m < fam.members.size(); ++m) {
      const Member& mem = fam.members[m];
      rows[m].sex = mem.sex;
      rows[m].trait = mem.trait;
      rows[m].prob = mem.prob;
      for (int j = 0; j < ncov; ++j)
        rows[m].cov.push_back(j < static_cast<int>(mem.cov.size()) ? mem.cov[static_cast<size_t>(j)] : 0);
    }
    for (const Way& w : fam.ways)
      for (size_t i = 2; i < w.members.size(); ++i) {
        rows[static_cast<size_t>(w.members[i] - 1)].fa = w.members[0];
        rows[static_cast<size_t>(w.members[i] - 1)].mo = w.members[1];
      }
    add_pedigree(s, std::to_string(F + 1), rows);
  }
  return s;
}

std::vector<kinseg::PedigreeStructure> structures_of(const std::vector<Family>& fams) {
  std::vector<kinseg::PedigreeStructure> out;
  for (const Family& fam : fams) {
    kinseg::PedigreeStructure ps;
    ps.size = static_cast<int>(fam.members.size());
    std::vector<bool> in(fam.members.size(), false);
    for (const Way& w : fam.ways) {
      kinseg::NuclearFamily nf;
      nf.father = w.members[0] - 1;
      nf.mother = w.members[1] - 1;
      for (size_t i = 2; i < w.members.size(); ++i) nf.children.push_back(w.members[i] - 1);
      nf.link = w.link - 1;
      for (int m : w.members) in[static_cast<size_t>(m - 1)] = true;
      ps.families.push_back(nf);
    }
    for (int m = 0; m < ps.size; ++m)
      if (!in[static_cast<size_t>(m)]) ps.unattached.push_back(m);
    out.push_back(ps);
  }
  return out;
}

kinseg::Point point_of(const Params& p, int ncov) {
  kinseg::Point pt;
  pt.q = p.q;
  pt.sex_effect = p.sex_effects;
  pt.free_transmission = p.free_transmission;
  for (int g = 0; g < 3; ++g) {
    pt.w[g] = p.w[g];
    pt.v[g] = p.v[g];
    pt.tau[g] = p.tr[g];
  }
  pt.d.assign(p.d, p.d + ncov);
  pt.ro[0] = p.ro[0];
  pt.ro[1] = p.ro[1];
  return pt;
}

BruteForce brute_force(const kinseg::Sample& s, int k, const kinseg::Point& pt,
                       kinseg::Ascertainment a) {
  const int o = s.first(k), n = s.size(k);
  if (n > 13) throw std::runtime_error("brute force over more than 13 persons");
  const bool proband_mode = a == kinseg::Ascertainment::kProband;
  BruteForce bf;
  bool has0 = false;
  for (int i = 0; i < n; ++i) has0 = has0 || s.proband[o + i] == 0;
  bf.conditioning = proband_mode || has0;

  // Genotype index 0, 1, 2 stands for genotypes 1, 2, 3 (2, 1, 0 copies of
  // the allele of frequency q).
  const double q = pt.q;
  const double prior[3] = {q * q, 2 * q * (1 - q), (1 - q) * (1 - q)};
  const double mendel[3] = {1.0, 0.5, 0.0};
  const double* tau = pt.free_transmission ? pt.tau : mendel;
  auto transmit = [&](int gc, int gf, int gm) {
    const double a1 = tau[gf], b1 = tau[gm];
    return gc == 0 ? a1 * b1 : gc == 1 ? a1 * (1 - b1) + (1 - a1) * b1 : (1 - a1) * (1 - b1);
  };
  // Penetrance of person i for genotype g, with its trait counted or not.
  auto penetrance = [&](int i, int g, bool counted) {
    const int p = o + i;
    if (s.trait[p] == 3 || !counted) return 1.0;
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
    if (!pt.onset) return s.trait[p] == 2 ? y : 1.0 - y;
    // Susceptibility y; the age of onset logistic with mean m and spread s.
    const double z = (s.onset[p] - pt.m[g]) / pt.s[g];
    const double cdf = 1.0 / (1.0 + std::exp(-z));
    const double density = std::exp(-z) / (pt.s[g] * (1.0 + std::exp(-z)) * (1.0 + std::exp(-z)));
    return s.trait[p] == 2 ? y * density : 1.0 - y * cdf;
  };
  auto in_cond = [&](int i) {
    const int code = s.proband[o + i];
    return proband_mode ? code != 2 : code == 0;
  };

  long combos = 1;
  for (int i = 0; i < n; ++i) combos *= 3;
  std::vector<int> g(static_cast<size_t>(n));
  double total[2] = {0.0, 0.0};
  std::vector<double> marg[2] = {std::vector<double>(3 * static_cast<size_t>(n), 0.0),
                                 std::vector<double>(3 * static_cast<size_t>(n), 0.0)};
  for (long c = 0; c < combos; ++c) {
    long r = c;
    for (int i = 0; i < n; ++i) {
      g[static_cast<size_t>(i)] = static_cast<int>(r % 3);
      r /= 3;
    }
    double prod[2] = {1.0, 1.0};
    for (int i = 0; i < n; ++i) {
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
      total[l] += prod[l];
      for (int i = 0; i < n; ++i) marg[l][3 * static_cast<size_t>(i) + g[static_cast<size_t>(i)]] += prod[l];
    }
  }
  bf.lnl_all = std::log(total[0]);
  bf.lnl_cond = bf.conditioning ? std::log(total[1]) : 0.0;
  bf.post_all = marg[0];
  bf.post_cond = marg[1];
  for (double& v : bf.post_all) v /= total[0];
  for (double& v : bf.post_cond) v /= total[1];
  for (int i = 0; i < n; ++i)
    for (int gi = 0; gi < 3; ++gi) bf.penetrance.push_back(penetrance(i, gi, true));
  return bf;
}

}  // namespace kintest
