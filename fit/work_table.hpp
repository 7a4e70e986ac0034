// The penetrances of the sample likelihood, the fast way: computed once per
// evaluation for all persons of the analysed families (both passes of a family
// use the same values), in long runs, with the parents' trait counts that the
// reading of the sample sets once.
#pragma once

#include "fit/blocks.hpp"

namespace kinfit {

// KIDOF for every person row of the sample: the trait counts of the parents of
// the nuclear family in which the person is a child (the last one, should
// there be several), nU + 3 nA, or -1. They depend on the sample model alone,
// so they are set once, when it has been read and checked.
void set_parents_counts(KinfitState& s);

// PEN for every person row p of the families that are analysed (LUK and NG
// non-zero) whose trait is known: the value FEN(p, g, nU, nA) of the first
// pass, with the parents' counts in KIDOF. PEN of unknown traits is not set.
void compute_penetrances(KinfitState& s);

}  // namespace kinfit
