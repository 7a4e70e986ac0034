// The quantities the likelihood reads, derived from a point of the model by
// the routines kinfit's set-up uses (engine/genotype_model.hpp), so that both
// give the same likelihood bit for bit: the genotype frequencies, the
// transmission table (Mendelian unless the point frees it) and the baselines
// of the penetrance for each sex.
#pragma once

#include <vector>

#include "engine/peel_both_passes.hpp"
#include "engine/penetrance_run.hpp"
#include "engine/point.hpp"

namespace kinseg {

struct ModelQuantities {
  double P[3] = {0, 0, 0};  // genotype frequencies
  double tranc[27] = {};    // TRANC(i, j, k) at (i-1) + 3 (j-1) + 9 (k-1)
  kin::PairTable pairs{};   // the transmission table as the peeling reads it
  kin::PenetranceModel penetrance;
};

// Refuses (std::invalid_argument, saying why) a point the likelihood cannot
// read: a value that is not finite, an allele frequency or a transmission
// probability outside [0, 1], or a number of covariate coefficients other
// than the sample's.
void check_point(const Point& point, int ncov);

// Derives the quantities of a checked point. The covariate coefficients are
// kept in `d`, which must outlive their use.
void derive_quantities(const Point& point, std::vector<double>& d, ModelQuantities& q);

}  // namespace kinseg
