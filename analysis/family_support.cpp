#include "analysis/family_support.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace kinseg {

std::vector<FamilySupport> rank_families(const Sample& sample, const std::vector<int>& family_pedigrees,
                                         const std::vector<double>& mendelian, const std::vector<double>& sporadic,
                                         const std::vector<int8_t>& proband) {
  if (mendelian.size() != family_pedigrees.size() || sporadic.size() != family_pedigrees.size())
    throw std::invalid_argument("rank_families: one contribution per family under each model");
  if (!proband.empty() && proband.size() != sample.proband.size())
    throw std::invalid_argument("rank_families: one proband code per person");
  const std::vector<int8_t>& codes = proband.empty() ? sample.proband : proband;
  const double inf = std::numeric_limits<double>::infinity();
  std::vector<FamilySupport> out;
  out.reserve(family_pedigrees.size());
  for (size_t f = 0; f < family_pedigrees.size(); ++f) {
    FamilySupport s;
    s.pedigree = family_pedigrees[f];
    s.id = sample.pedigree_ids.at(s.pedigree);
    s.persons = sample.size(s.pedigree);
    for (int p = sample.first(s.pedigree); p < sample.end(s.pedigree); ++p) {
      if (sample.trait[p] == kAffected) ++s.affected;
      if (codes[p] == kProband) ++s.probands;
    }
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
