// The peeling of a family's nuclear families as the sample likelihood runs
// it: both passes (all traits, and the conditioning set) in one sweep over the
// ways, one pass in each lane of the work table XX2. Each lane goes through
// exactly the operations of MMPFAM on its own table, so its result is MMPFAM's
// bit for bit.
#pragma once

#include "fit/blocks.hpp"
#include "fit/pair2.hpp"

namespace kinfit {

// TRANC(gc, j, l) by parental genotype pair q = (j - 1) + 3 (l - 1), and the
// slot of each pair in the products over the children. When the table is
// symmetric in j and l (bit for bit, as the set-up makes it), the pairs (j, l)
// and (l, j) share a slot, since their products agree bit for bit: six slots
// instead of nine.
struct PairTable {
  double t[3][9];    // t[gc - 1][q]
  Pair2 ts[3][9];    // by slot, both lanes
  int slot[9];       // slot of pair q
  int nslot;         // 6 or 9
};

void make_pair_table(const KinfitState& s, PairTable& T);

// Peels family F in XX2. LHF[0], LHF[1]: the log-likelihoods of the two lanes
// over the members of the ways (not a number where a scale factor is 0,
// negative or not finite). With `both` false only lane 1 matters: lane 2 then
// holds a copy and its logarithms are not taken.
void peel_both_passes(KinfitState& s, int F, const PairTable& T, bool both, double (&LHF)[2]);

}  // namespace kinfit
