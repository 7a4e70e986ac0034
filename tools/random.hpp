// Random draws that come out the same on every machine and with every standard
// library: a xoshiro256** generator seeded through splitmix64, and uniform,
// Bernoulli, bounded-integer and Poisson draws built on it with plain integer
// and IEEE double arithmetic only. The exponential used by the draws (and by
// the logistic function of the trait model) is computed here too, from basic
// operations, so that no library routine can change a draw.
#pragma once

#include <cstdint>

namespace kinsim {

class Rng {
 public:
  explicit Rng(uint64_t seed);

  // The next 64 random bits.
  uint64_t next();
  // A uniform real in [0, 1) with 53 random bits.
  double uniform();
  // A uniform integer in 0 .. n-1 (n >= 1), without modulo bias.
  uint64_t below(uint64_t n);
  // True with probability p (p <= 0: never; p >= 1: always).
  bool chance(double p);
  // A Poisson count of the given mean (0 <= mean <= 700).
  int poisson(double mean);

 private:
  uint64_t s_[4];
};

// e^x from additions, multiplications and an exact power-of-two scaling;
// within a few units in the last place of the exact value. Overflows to
// infinity above 709.78 and underflows to 0 below -745.2.
double exp_det(double x);

// The probability of being affected for a predictor x: 1 / (1 + e^-x).
double logistic(double x);

}  // namespace kinsim
