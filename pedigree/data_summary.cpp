#include "pedigree/data_summary.hpp"

#include "pedigree/mean_sd.hpp"

#include <algorithm>
#include <cmath>

#include "pedigree/pedigree_structure.hpp"

namespace kinseg {

namespace {

// The number of generations in each person's line of ancestors (1 for a
// founder), by a search up the parent links on an explicit stack. A person is
// on the stack at most once at a time (state 1), so a cycle of parents, which
// the checks refuse before a summary is made, could not make it loop.
std::vector<int> generation_of(const Sample& s) {
  const int n = s.persons();
  std::vector<int> gen(n, 0), stack;
  std::vector<int8_t> state(n, 0);
  for (int p = 0; p < n; ++p) {
    if (state[p]) continue;
    state[p] = 1;
    stack.push_back(p);
    while (!stack.empty()) {
      const int q = stack.back();
      const int f = s.father[q], m = s.mother[q];
      bool ready = true;
      for (int x : {f, m}) {
        if (x >= 0 && state[x] == 0) {
          state[x] = 1;
          stack.push_back(x);
          ready = false;
        }
      }
      if (!ready) continue;
      gen[q] = 1 + std::max(f >= 0 ? gen[f] : 0, m >= 0 ? gen[m] : 0);
      state[q] = 2;
      stack.pop_back();
    }
  }
  return gen;
}

}  // namespace

DataSummary summarize(const DataRead& d) {
  const Sample& s = d.sample;
  DataSummary r;
  r.pedigrees = s.pedigrees();
  r.persons = s.persons();
  r.added = d.added;
  r.unknown_by_covariate = d.unknown_by_covariate;

  std::vector<char> has_child(s.persons(), 0);
  for (int p = 0; p < s.persons(); ++p)
    if (s.father[p] >= 0) has_child[s.father[p]] = has_child[s.mother[p]] = 1;
  const std::vector<int> gen = generation_of(s);

  std::vector<int> sizes;
  sizes.reserve(s.pedigrees());
  for (int k = 0; k < s.pedigrees(); ++k) {
    sizes.push_back(s.size(k));
    bool proband = false, affected = false;
    for (int p = s.first(k); p < s.end(k); ++p) {
      const int sex = s.sex[p] == kMale ? 1 : s.sex[p] == kFemale ? 2 : 0;
      const int t = s.trait[p] == kAffected ? 0 : s.trait[p] == kUnaffected ? 1 : 2;
      ++r.trait_by_sex[sex][t];
      if (s.founder(p)) ++r.founders;
      if (s.proband[p] == kProband) ++r.probands, proband = true;
      if (s.proband[p] == kAlwaysConditioned) ++r.always_conditioned;
      if (s.trait[p] == kAffected) affected = true;
      if (s.founder(p) && !has_child[p]) ++r.unconnected;
      r.generations = std::max(r.generations, gen[p]);
    }
    if (!proband) r.without_proband.push_back(s.pedigree_ids[k]);
    if (!affected) r.without_affected.push_back(s.pedigree_ids[k]);
    if (s.size(k) == 1) ++r.single_person_pedigrees;

    const std::vector<NuclearFamily> fams = nuclear_families(s, k);
    r.nuclear_families += static_cast<int>(fams.size());
    const int loops = independent_loops(fams, s.size(k));
    if (loops > 0) r.loops.push_back(PedigreeLoops{k, s.pedigree_ids[k], loops});
  }
  if (!sizes.empty()) {
    std::sort(sizes.begin(), sizes.end());
    r.size_min = sizes.front();
    r.size_max = sizes.back();
    const size_t h = sizes.size() / 2;
    r.size_median = sizes.size() % 2 ? sizes[h] : 0.5 * (sizes[h - 1] + sizes[h]);
  }

  // Covariates over the persons of the file's rows that have a value.
  const int ncov = s.ncov();
  for (int j = 0; j < ncov; ++j) {
    CovariateSummary c;
    c.name = s.covariate_names[j];
    std::vector<double> values;
    for (int p = 0; p < s.persons(); ++p) {
      if (s.line[p] == 0) continue;  // an added person
      if (d.covariate_absent[static_cast<size_t>(p) * ncov + j]) {
        ++c.missing;
        continue;
      }
      const double x = s.cov(p, j);
      if (c.present == 0 || x < c.min) c.min = x;
      if (c.present == 0 || x > c.max) c.max = x;
      ++c.present;
      values.push_back(x);
      if (x != std::floor(x)) c.whole_numbers = false;
    }
    const MeanSd m = mean_sd(values);
    c.mean = m.mean;
    c.sd = m.sd;
    r.covariates.push_back(c);
  }
  if (s.has_onset()) {
    r.onset_column = s.onset_name;
    r.unknown_by_onset = d.unknown_by_onset;
    for (int trait : {kAffected, kUnaffected})
      for (int sex : {kMale, kFemale, kUnknownSex}) {
        std::vector<double> a;
        for (int p = 0; p < s.persons(); ++p)
          if (s.trait[p] == trait && s.sex[p] == sex && std::isfinite(s.onset[p])) a.push_back(s.onset[p]);
        if (a.empty()) continue;
        std::sort(a.begin(), a.end());
        AgeSummary g;
        g.trait = trait;
        g.sex = sex;
        g.n = static_cast<int>(a.size());
        g.min = a.front();
        g.max = a.back();
        const size_t h = a.size() / 2;
        g.median = a.size() % 2 ? a[h] : 0.5 * (a[h - 1] + a[h]);
        double sum = 0;
        for (double x : a) sum += x;
        g.mean = sum / g.n;
        r.ages.push_back(g);
      }
  }
  return r;
}

}  // namespace kinseg
