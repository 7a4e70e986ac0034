// The penetrance of one person for one genotype under the regressive logistic
// model, operation by operation:
//   x = sum over j of covariate j * D(j), from 0; x = x + baseline(g);
//   x = x + nU * Ro1; x = x + nA * Ro2; e = exp(x), or 1 when |x| < 1E-8;
//   y = e / (e + 1); the probability of the trait is y (affected) or 1 - y.
// Every routine that computes a penetrance (one genotype at a time, a person's
// three at once, or whole runs of persons) takes these steps in this order, so
// that all of them give the same value bit for bit.
#pragma once

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace kin {

// Predictors of smaller absolute value count as 0 (single-precision 1E-8 widened).
inline constexpr double kTinyPredictor = 9.99999993922529E-9;

// The exponential of the predictor, exactly 1 for a predictor that counts as 0.
inline double exp_of_predictor(double x) {
  return std::fabs(x) < kTinyPredictor ? 1.0 : std::exp(x);
}

// Probability of being affected from e = exp(x): e / (e + 1). An exponential
// beyond the range of the reals is taken as the largest real, which gives
// exactly 1 (as e / (e + 1) does long before), never inf/inf; every finite e is
// used as it is.
inline double affected_probability_of_exp(double e) {
  const double ec = std::min(e, DBL_MAX);
  return ec / (ec + 1);
}

// Probability of the trait (1 unaffected, 2 affected) from e = exp(x).
inline double trait_probability_of_exp(double e, int trait) {
  const double y = affected_probability_of_exp(e);
  return trait == 2 ? y : 1 - y;
}

// The predictor for one genotype, from the covariate part c, the genotype's
// baseline and the regressive products ru = nU * Ro1, ra = nA * Ro2.
inline double predictor(double baseline, double c, double ru, double ra) {
  double x = c + baseline;
  x = x + ru;
  x = x + ra;
  return x;
}

}  // namespace kin
