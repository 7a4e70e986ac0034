// The genotype work tables of the sample likelihood, the fast way: the
// penetrances of all persons are computed once per evaluation (both passes of
// a family use the same values) in long runs, and the tables of both passes of
// a family are then filled from them, each exactly as MASSIX would compute it.
#pragma once

#include "fit/blocks.hpp"

namespace kinfit {

// PEN(p, g) for every person row p of the families that are analysed (LUK and
// NG non-zero) whose trait is known: the value FEN(p, g, nU, nA) of the first
// pass, with the parents' counts of the nuclear family in which p is a child
// (the last one, should there be several), or none. PEN of unknown traits is
// not set. Also sets KIDOF.
void compute_penetrances(KinfitState& s);

// Fills rows 1..n of XX2 for family F: lane 1 with the table that MASSIX(F)
// builds in the first pass, lane 2 with the one of the conditioning pass when
// `both`, else with a copy of lane 1; bit for bit, taking the penetrances from
// PEN. Marks IDONE as MASSIX does and returns the number of members in no
// nuclear family (those left unmarked).
int fill_both_passes(KinfitState& s, int F, bool both);

}  // namespace kinfit
