// One analysed family under the engine: its likelihoods at a point (for a
// pedigree without loops through the very routine kinfit's sample likelihood
// runs), and its members' genotype probabilities.
//
// A pedigree with loops is evaluated by summing its persons' genotypes out in
// the order of its elimination plan (engine/elimination.hpp), from the same
// genotype work table as the peeling: whatever penetrance the engine computed
// enters through the rows of that table.
//
// With loop breakers given (a structure passed in whole), the pedigree is
// evaluated with them duplicated: for
// every combination of the breakers' genotypes, each breaker and its copy are
// fixed to the combination's genotype (the breaker keeps its row, restricted
// to that genotype; the copy, a founder without trait or prior, gets 1 for it
// and 0 for the others) and the pedigree is peeled; the likelihood is the sum
// over the combinations, taken as a sum of exponentials of their
// log-likelihoods scaled by the largest. A combination whose likelihood is 0
// adds nothing. The nuclear families that no fixed genotype reaches (none of
// their members is a breaker, a copy, or a link person onto whom a family
// that one reaches was peeled) give the same result in every combination:
// they are peeled once, and only the others once per combination. Genotype
// probabilities hold one person's genotype fixed in the same way.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/elimination.hpp"
#include "engine/elimination_plan.hpp"
#include "engine/family_likelihood.hpp"
#include "engine/model_quantities.hpp"
#include "engine/peeling_family.hpp"

namespace kinseg {

struct EngineFamily {
  kin::PeelingFamily peeling;          // persons first, then the breakers' copies
  const int32_t* breakers = nullptr;   // member numbers of the breakers; the i-th copy
  int nbreakers = 0;                   //   is member peeling.persons + 1 + i
  int mode = 1;                        // kinfit's mode: 1 proband ascertainment, 0 none
  bool conditioning = true;            // the conditioning pass runs
  // For a pedigree with loops: its plan and the work space of its tables
  // (its own, since one thread at a time evaluates the family).
  const EliminationPlan* plan = nullptr;
  EliminationSpace* elimination = nullptr;
};

// Work space of one thread, for families of up to `members` members, `ways`
// nuclear families and `entries` entries in their member lists.
struct FamilyWorkspace {
  std::vector<double> xx;
  std::vector<double> table;
  std::vector<int32_t> done;
  // The nuclear families split into those peeled once and those peeled per
  // combination, each set as the peeling reads it, and the members whose rows
  // a combination sets afresh (with their rows after the first set).
  std::vector<int32_t> reached;
  std::vector<int32_t> once_begin, once_link, once_list;
  std::vector<int32_t> each_begin, each_link, each_list;
  std::vector<int32_t> fixed;
  std::vector<double> fixed_rows;
  void reserve(int members, int ways, int entries);
};

FamilyLikelihood evaluate_family(const EngineFamily& f, const kin::PassRecords& r,
                                 const ModelQuantities& q, FamilyWorkspace& w);

// Writes the genotype probabilities of the family's persons: person
// peeling.base + m's at all[3 (m - 1) + g - 1] and conditioning[...] alike.
// False when the point refuses the family (nothing meaningful is written).
// Called right after evaluate_family for the same family and point, which it
// accepted: a pedigree summed out reuses the evaluation's tables.
bool family_genotype_probabilities(const EngineFamily& f, const kin::PassRecords& r,
                                   const ModelQuantities& q, FamilyWorkspace& w, double* all,
                                   double* conditioning);

}  // namespace kinseg
