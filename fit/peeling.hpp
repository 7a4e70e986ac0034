// The peeling of a family's nuclear families, shared by MMPFAM and GENMMP:
// the transmission table regrouped for the inner loops (once per evaluation in
// GENMMP, once per call in MMPFAM), and the peeling itself.
#pragma once

#include "fit/blocks.hpp"
#include "fit/pair2.hpp"

namespace kinfit {

// TRANC(gc, j, l) by parental genotype pair (j, l), two pairs to a vector:
// t[gc - 1][slot / 2][slot % 2] with slot = SLOT[(j - 1) + 3 (l - 1)].
// When the table is symmetric in j and l (bit for bit, as the set-up makes
// it) the pairs (j, l) and (l, j) share a slot, so the products over the
// children, which then agree bit for bit, are computed once: six slots in
// three vectors instead of nine in five.
struct PairTable {
  Pair2 t[3][5];
  int slot[9];
  bool symmetric;
  double at(int gc, int q) const {
    const int k = slot[q];
    return t[gc - 1][k / 2][k % 2];
  }
};

void make_pair_table(const KinfitState& s, PairTable& T);

// MMPFAM with a table made from the current TRANC.
void peel_family(KinfitState& s, int F, const PairTable& T, double& LHF);

}  // namespace kinfit
