// Which pedigrees the likelihood analyses, by the family scan's rule that
// kinfit runs too (engine/family_scan_rule.hpp):
// - a pedigree none of whose members has a known trait and a proband code
//   other than 0 is not analysed (it would carry no information);
// - under proband ascertainment a pedigree with no affected member (counting
//   members whose proband code is not 0) is excluded, and a pedigree with no
//   proband takes its first affected member, in row order, as its proband.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/ascertainment.hpp"
#include "pedigree/sample.hpp"

namespace kinseg {

// What the scan decided about one pedigree, in words for the user.
struct ScanNote {
  int pedigree = 0;  // pedigree number in the sample
  std::string text;  // names the pedigree by its id
};

struct FamilySelection {
  std::vector<int> analysed;      // pedigree numbers, in sample order
  std::vector<int8_t> proband;    // every person's proband code after the scan
  std::vector<ScanNote> notes;    // in pedigree order
};

FamilySelection select_families(const Sample& sample, Ascertainment ascertainment);

}  // namespace kinseg
