// Pedigrees built by hand for the drawing and report tests: a nuclear family,
// three generations, half-sibs (a man with two wives), a first-cousin
// marriage, an uncle-niece marriage, a woman with three husbands, and a
// 230-person pedigree with loops, each one pedigree of its own Sample.
#pragma once

#include <string>
#include <vector>

#include "pedigree/sample.hpp"
#include "tests/support/pedigree_rows.hpp"

namespace kintest {

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

}  // namespace kintest
