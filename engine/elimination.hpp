// The likelihood of a pedigree with loops by summing its persons' genotypes
// out in the plan's order, both passes at once (lane 0 all traits, lane 1 the
// conditioning set), and every person's genotype probabilities by a second
// pass back over the same steps.
//
// Forward: each step multiplies its inputs over the assignments of its
// digits, sums over the first and divides its table by its largest entry,
// whose logarithm adds to the lane's log-likelihood; so nothing underflows
// however many persons are summed out. Backward, from the last step to the
// first: a step's belief (the product of its inputs times the table sent down
// to it) gives its variable's probabilities, and, summed onto the digits of
// each input that an earlier step made and divided by that input, the table
// sent down to that step.
#pragma once

#include <vector>

#include "engine/elimination_plan.hpp"

namespace kinseg {

// Work space of one pedigree's elimination: the tables, the tables sent down,
// and the odometer of a step.
struct EliminationSpace {
  std::vector<double> arena;
  std::vector<double> down;  // sized by the first backward pass
  std::vector<double> post;  // the genotype probabilities, sized likewise
  std::vector<long> index;
  std::vector<int> digit;
  void reserve(const EliminationPlan& p);
};

// Fills the variables' own tables from the genotype work table xx (the row of
// member plan.member[v]) and the transmission table TRANC(i, j, k) at
// (i-1) + 3 (j-1) + 9 (k-1), and sums every variable out. lnl[l] is lane l's
// log-likelihood over the persons of the plan. Returns the lanes' statuses as
// kin::peel_both_passes does (0 when both lanes have a likelihood).
int eliminate(const EliminationPlan& p, const double* xx, const double* tranc, EliminationSpace& w,
              double (&lnl)[2]);

// After eliminate, with both lanes valid: every variable's genotype
// probabilities, P(genotype g | lane l's traits) at post[6 v + 2 (g - 1) + l].
void eliminate_back(const EliminationPlan& p, EliminationSpace& w, double* post);

}  // namespace kinseg
