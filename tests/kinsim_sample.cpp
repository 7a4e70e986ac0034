#include "tests/kinsim_sample.hpp"

#include <string>

namespace kintest {

kinseg::Sample kinseg_sample(const kinsim::Settings& settings, const kinsim::Sample& drawn) {
  kinseg::Sample s;
  s.file = "kinsim";
  for (const auto& c : settings.covariates) s.covariate_names.push_back(c.name);
  const int ncov = s.ncov();
  int ped = -1;
  for (const kinsim::Person& p : drawn.persons) {
    if (p.ped != ped) {
      ped = p.ped;
      s.pedigree_ids.push_back(std::to_string(p.ped));
      s.start.push_back(s.persons());
    }
    // kinsim numbers persons 1, 2, ... in row order within the pedigree.
    const int first = s.start.back();
    s.ids.push_back(std::to_string(p.id));
    s.father.push_back(p.fa > 0 ? first + p.fa - 1 : -1);
    s.mother.push_back(p.mo > 0 ? first + p.mo - 1 : -1);
    s.sex.push_back(static_cast<int8_t>(p.sex));
    s.trait.push_back(static_cast<int8_t>(p.trait));
    s.proband.push_back(static_cast<int8_t>(p.prob));
    for (int j = 0; j < ncov; ++j) s.covariates.push_back(p.cov[j]);
    s.line.push_back(s.persons() + 1);
  }
  s.start.push_back(s.persons());
  return s;
}

}  // namespace kintest
