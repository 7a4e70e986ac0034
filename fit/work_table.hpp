// The genotype work table of the sample likelihood, the fast way: the
// penetrances of all persons are computed once per evaluation (both passes of
// a family use the same values) in long runs, and each pass of a family then
// fills XX from them exactly as MASSIX would compute it.
#pragma once

#include "fit/blocks.hpp"

namespace kinfit {

// PEN(p, g) for every person row p of the families that are analysed (LUK and
// NG non-zero) whose trait is known: the value FEN(p, g, nU, nA) of the first
// pass, with the parents' counts of the nuclear family in which p is a child
// (the last one, should there be several), or none. PEN of unknown traits is
// not set. Also sets KIDOF.
void compute_penetrances(KinfitState& s);

// Fills rows 1..n of XX and IDONE for family F as MASSIX(F) does, bit for bit,
// taking the penetrances from PEN. Returns the number of members in no
// nuclear family (those left unmarked).
int fill_work_table(KinfitState& s, int F);

}  // namespace kinfit
