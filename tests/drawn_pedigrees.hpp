// Pedigrees built by hand for the drawing and report tests: a nuclear family,
// three generations, half-sibs (a man with two wives), a first-cousin
// marriage, an uncle-niece marriage, a woman with three husbands, and a
// 230-person pedigree with loops, each one pedigree of its own Sample.
#pragma once

#include <string>
#include <vector>

#include "pedigree/sample.hpp"

namespace kintest {

// Adds persons to a one-pedigree sample by id: parents by id ("" for a
// founder), who must have been added before.
class PedigreeBuilder {
 public:
  explicit PedigreeBuilder(const std::string& pedigree_id);
  PedigreeBuilder& add(const std::string& id, const std::string& father, const std::string& mother, int sex,
                       int trait, bool proband = false);
  kinseg::Sample sample() const;
  int count() const { return static_cast<int>(s_.ids.size()); }

 private:
  int find(const std::string& id) const;
  kinseg::Sample s_;
};

struct NamedPedigree {
  std::string name;
  kinseg::Sample sample;
};

kinseg::Sample nuclear_family();
kinseg::Sample three_generations();
kinseg::Sample half_sibs();
kinseg::Sample first_cousins();
kinseg::Sample uncle_niece();
kinseg::Sample three_husbands();
// 230 persons over seven generations, with marriages between branches (loops).
kinseg::Sample large_pedigree();

std::vector<NamedPedigree> all_drawn_pedigrees();

// Several pedigrees in one sample (the families of the test page).
kinseg::Sample several(const std::vector<kinseg::Sample>& pedigrees);

}  // namespace kintest
