// The peeling of a family's nuclear families: both passes (all traits, and the
// conditioning set) in one sweep over the ways, one pass in each lane of the
// genotype work table. Each lane goes through exactly the operations of the
// plain one-pass peeling on its own table, so its result is that peeling's bit
// for bit.
#pragma once

#include "engine/pair2.hpp"
#include "engine/peeling_family.hpp"

namespace kin {

// TRANC(gc, j, l) by parental genotype pair q = (j - 1) + 3 (l - 1), and the
// slot of each pair in the products over the children. When the table is
// symmetric in j and l (bit for bit), the pairs (j, l) and (l, j) share a slot,
// since their products agree bit for bit: six slots instead of nine.
struct PairTable {
  double t[3][9];    // t[gc - 1][q]
  Pair2 ts[3][9];    // by slot, both lanes
  int slot[9];       // slot of pair q
  int nslot;         // 6 or 9
};

// From the transmission table TRANC(i, j, k) = tranc[(i-1) + 3 (j-1) + 9 (k-1)]:
// the probability of a child's genotype i given its parents' genotypes j and k.
void make_pair_table(const double* tranc, PairTable& T);

// The outcome of the peeling of one lane.
enum PeelStatus : int {
  kPeeled = 0,           // every scale factor positive and finite
  kVanished = 1,         // a scale factor of 0: the lane's likelihood is 0
  kUnrepresentable = 2,  // a scale factor not finite (or negative)
};

// The status of lane l stands at bits 2 l, 2 l + 1 of the value returned.
inline int lane_status(int statuses, int lane) { return (statuses >> (2 * lane)) & 3; }

// Peels the ways of a family in xx, lane by lane (both lanes when `both`;
// else only lane 0 matters, lane 1 holds a copy and gets lane 0's result).
// lnl[l]: the log-likelihood of lane l over the members of the ways, valid
// when its status is kPeeled. The sweep stops as soon as every lane that
// matters has failed. Returns the statuses of both lanes, 0 when both peeled.
int peel_both_passes(const Ways& w, const PairTable& T, bool both, double* __restrict xx,
                     double (&lnl)[2]);

}  // namespace kin
