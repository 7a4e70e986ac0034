#include "analysis/family_support.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace kinseg {

std::vector<FamilyContribution> family_contributions(const Sample& sample, const std::vector<int>& family_pedigrees,
                                                     const std::vector<double>& contributions,
                                                     const std::vector<int8_t>& proband) {
  if (contributions.size() != family_pedigrees.size())
    throw std::invalid_argument("family_contributions: one contribution per family");
  if (!proband.empty() && proband.size() != sample.proband.size())
    throw std::invalid_argument("family_contributions: one proband code per person");
  const std::vector<int8_t>& codes = proband.empty() ? sample.proband : proband;
  std::vector<FamilyContribution> out;
  out.reserve(family_pedigrees.size());
  for (size_t f = 0; f < family_pedigrees.size(); ++f) {
    FamilyContribution c;
    c.pedigree = family_pedigrees[f];
    c.id = sample.pedigree_ids.at(c.pedigree);
    c.persons = sample.size(c.pedigree);
    for (int p = sample.first(c.pedigree); p < sample.end(c.pedigree); ++p) {
      if (sample.trait[p] == kAffected) ++c.affected;
      if (codes[p] == kProband) ++c.probands;
    }
    c.contribution = contributions[f];
    out.push_back(c);
  }
  return out;
}

std::vector<FamilySupport> rank_families(const Sample& sample, const std::vector<int>& family_pedigrees,
                                         const std::vector<double>& mendelian, const std::vector<double>& sporadic,
                                         const std::vector<int8_t>& proband) {
  if (sporadic.size() != family_pedigrees.size())
    throw std::invalid_argument("rank_families: one contribution per family under each model");
  const std::vector<FamilyContribution> families = family_contributions(sample, family_pedigrees, mendelian, proband);
  const double inf = std::numeric_limits<double>::infinity();
  std::vector<FamilySupport> out;
  out.reserve(family_pedigrees.size());
  for (size_t f = 0; f < family_pedigrees.size(); ++f) {
    FamilySupport s;
    s.pedigree = families[f].pedigree;
    s.id = families[f].id;
    s.persons = families[f].persons;
    s.affected = families[f].affected;
    s.probands = families[f].probands;
    s.mendelian = std::isfinite(mendelian[f]) ? mendelian[f] : -inf;
    s.sporadic = std::isfinite(sporadic[f]) ? sporadic[f] : -inf;
    const bool m = std::isfinite(s.mendelian), sp = std::isfinite(s.sporadic);
    if (m && sp) s.log10_ratio = (s.mendelian - s.sporadic) / std::log(10.0);
    else if (m) s.log10_ratio = inf;
    else if (sp) s.log10_ratio = -inf;
    out.push_back(s);
  }
  std::stable_sort(out.begin(), out.end(), [](const FamilySupport& a, const FamilySupport& b) {
    if (!a.log10_ratio || !b.log10_ratio) return a.log10_ratio.has_value() && !b.log10_ratio.has_value();
    return *a.log10_ratio > *b.log10_ratio;
  });
  return out;
}

}  // namespace kinseg
