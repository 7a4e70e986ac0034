// The structure of one pedigree as the likelihood peels it: its nuclear
// families (a father, a mother and all their common children) in peeling
// order, each hanging on the families peeled after it through at most one
// member, its link person; and, for a pedigree with loops (marriage loops,
// consanguinity, multiple marriages that close a cycle), the loop breakers.
//
// Members are numbered within the pedigree from 0: member m is person
// sample.first(k) + m. A loop breaker b is duplicated: the original keeps its
// parents (it stays a child where it was one), its copy, member
// size + i for the i-th breaker, is a founder who takes the breaker's place as
// a parent in every nuclear family where the breaker was a parent. The copy has
// no trait and no founder prior; the likelihood fixes both to the same genotype
// and sums over the breakers' genotypes. After the duplication the pedigree has
// no loop, and the families are placed in the order kinsort places them: pass
// after pass over the families in order of their first child's row, a family
// placed as soon as it shares at most one member with the families not yet
// placed, a link child moved to the first child position.
#pragma once

#include <string>
#include <vector>

#include "pedigree/sample.hpp"

namespace kinseg {

struct NuclearFamily {
  int father = -1;            // member number (a breaker's copy when >= the pedigree's size)
  int mother = -1;
  std::vector<int> children;  // in peeling order: a link child stands first
  int link = -1;              // the member shared with the families peeled later, -1 for none
};

struct PedigreeStructure {
  int size = 0;                          // the pedigree's persons (members 0..size-1)
  int loops = 0;                         // independent loops (cycle rank) before breaking
  std::vector<int> breakers;             // members duplicated to break the loops, in order
  std::vector<NuclearFamily> families;   // in peeling order, copies in place of breakers as parents
  std::vector<int> unattached;           // members in no nuclear family, in member order

  int members() const { return size + static_cast<int>(breakers.size()); }
  // The member a copy stands for (itself for an ordinary member).
  int original(int m) const { return m < size ? m : breakers[m - size]; }
};

// The nuclear families of pedigree k in the row order of their first child,
// children in row order, no link set.
std::vector<NuclearFamily> nuclear_families(const Sample& sample, int k);

// The independent loops (cycle rank) of nuclear families over `members`
// members: 0 for a pedigree that peels without breaking anything.
int independent_loops(const std::vector<NuclearFamily>& families, int members);

// The structure of pedigree k. Breakers are chosen greedily, a person that
// closes the most loops at once first, so that few are needed; their number is
// not limited here (the engine refuses a pedigree that needs too many).
PedigreeStructure pedigree_structure(const Sample& sample, int k);

}  // namespace kinseg
