// The informative core of a pedigree, for the drawing of a large one: every
// branch in which nobody's trait is known (a child of a couple, his or her
// descendants and their spouses who married in) is folded into one stub that
// hangs from the couple and says how many persons it stands for. Everybody of
// known trait stays, with every ancestor that ties them together and both
// parents of every child drawn; persons tied to no one stay as they are.
#pragma once

#include <vector>

#include "pedigree/sample.hpp"

namespace kinseg::report {

struct TrimmedPedigree {
  Sample sample;                // one pedigree: the persons kept (in their order), then the stubs (ids folded:1, ...)
  std::vector<int> original;    // by member of the trimmed pedigree: the member in the original, -1 for a stub
  std::vector<int> folded;      // by member: how many persons a stub stands for, 0 for a person
  std::vector<double> carrier;  // the carrier probabilities given, for the members kept (NaN for stubs)
  int folded_persons = 0;       // persons folded in all
};

// carrier, when not empty, has one entry per member of pedigree k.
TrimmedPedigree trim_pedigree(const Sample& sample, int k, const std::vector<double>& carrier = {});

}  // namespace kinseg::report
