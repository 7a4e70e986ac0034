// The log-likelihoods of one family without loops under both passes of the
// sample likelihood (all traits, and the traits of the conditioning set): the
// genotype work table, the peeling of the nuclear families, and then, member
// by member, the members in no nuclear family, each adding the logarithm of
// the probability of its trait.
#pragma once

#include <cmath>
#include <cstdint>

#include "engine/genotype_table.hpp"
#include "engine/peel_both_passes.hpp"
#include "engine/peeling_family.hpp"

namespace kin {

// The smallest probability of the trait of a member in no nuclear family that
// still counts (single-precision 1E-17 widened); at or below it the family
// refuses the point.
inline constexpr double kUnattachedFloor = 9.99999983775159E-18;

// Adds to lhf, member by member, the logarithm of the probability of the
// trait of every person in no nuclear family (left unmarked in done), in each
// lane that matters; false as soon as one is at or below the floor. Their rows
// of xx are frequency times penetrance.
inline bool add_unattached(const PeelingFamily& f, const double* xx, const int32_t* done, bool both,
                           double (&lhf)[2]) {
  for (int m = 1; m <= f.persons; ++m) {
    if (done[m - 1] != 0) continue;
    for (int lane = 0; lane < (both ? 2 : 1); ++lane) {
      const double S = xx[xx_index(m, 1) + lane] + xx[xx_index(m, 2) + lane] + xx[xx_index(m, 3) + lane];
      if (S <= kUnattachedFloor) return false;
      lhf[lane] = lhf[lane] + std::log(S);
    }
  }
  return true;
}

// lhf[0]: ln L(all traits); lhf[1]: ln L(conditioning set) when `both`, else a
// copy of lhf[0]. False when the family refuses the point: a pass whose
// likelihood vanishes or cannot be represented, or a member in no nuclear
// family whose trait probability is at or below the floor. xx and done are
// work space for f.members members; P the genotype frequencies. Inline: it
// runs once per family and evaluation, where a call of its own would show.
inline bool family_log_likelihood(const PeelingFamily& f, const PassRecords& r, const double P[3],
                                  const PairTable& T, int mode, bool both, double* xx,
                                  int32_t* done, double (&lhf)[2]) {
  const int unattached = fill_genotype_table(f, r, P, mode, both, xx, done);
  lhf[0] = lhf[1] = 0.0;
  if (f.ways.count > 0) {
    if (peel_both_passes(f.ways, T, both, xx, lhf) != 0) return false;
  }
  if (unattached > 0 && !add_unattached(f, xx, done, both, lhf)) return false;
  if (!both) lhf[1] = lhf[0];
  // A likelihood that cannot be represented refuses the point, so that no NaN
  // or infinity reaches a result.
  return std::isfinite(lhf[0]) && std::isfinite(lhf[1]);
}

}  // namespace kin
