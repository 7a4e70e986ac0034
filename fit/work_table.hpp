// The penetrances of the sample likelihood, the fast way: computed once per
// evaluation for all persons of the analysed families (both passes of a family
// use the same values), in long runs.
#pragma once

#include "fit/blocks.hpp"

namespace kinfit {

// PEN for every person row p of the families that are analysed (LUK and NG
// non-zero) whose trait is known: the value FEN(p, g, nU, nA) of the first
// pass, with the parents' counts of the nuclear family in which p is a child
// (the last one, should there be several), or none. PEN of unknown traits is
// not set. Also sets KIDOF.
void compute_penetrances(KinfitState& s);

}  // namespace kinfit
