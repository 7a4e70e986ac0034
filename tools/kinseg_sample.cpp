#include "tools/kinseg_sample.hpp"

#include <string>

namespace kinsim {

kinseg::Point truth_point(const Settings& s) {
  kinseg::Point pt;
  pt.q = s.param(kQ).value;
  for (int g = 0; g < 3; ++g) {
    pt.w[g] = s.param(kW1 + g).value;
    pt.v[g] = s.param(kV1 + g).value;
    pt.tau[g] = s.param(kTr1 + g).value;
  }
  pt.sex_effect = true;
  for (int j = 0; j < s.ncov(); ++j) pt.d.push_back(s.param(kD1 + j).value);
  pt.ro[0] = s.param(kRo1).value;
  pt.ro[1] = s.param(kRo2).value;
  return pt;
}

kinseg::Sample kinseg_sample(const Settings& settings, const Sample& drawn) {
  kinseg::Sample s;
  s.file = "kinsim";
  for (const Covariate& c : settings.covariates) s.covariate_names.push_back(c.name);
  s.start = {0};
  int ped = -1, base = 0;
  for (const Person& p : drawn.persons) {
    if (p.ped != ped) {
      if (ped >= 0) s.start.push_back(s.persons());
      ped = p.ped;
      base = s.persons();
      s.pedigree_ids.push_back(std::to_string(p.ped));
    }
    // kinsim numbers persons from 1 within a pedigree, parents first.
    s.ids.push_back(std::to_string(p.id));
    s.father.push_back(p.fa > 0 ? base + p.fa - 1 : -1);
    s.mother.push_back(p.mo > 0 ? base + p.mo - 1 : -1);
    s.sex.push_back(static_cast<int8_t>(p.sex));
    s.trait.push_back(static_cast<int8_t>(p.trait));
    s.proband.push_back(static_cast<int8_t>(p.prob));
    for (size_t j = 0; j < settings.covariates.size(); ++j) s.covariates.push_back(p.cov[j]);
    s.line.push_back(s.persons());
  }
  s.start.push_back(s.persons());
  return s;
}

}  // namespace kinsim
