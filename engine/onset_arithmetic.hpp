// The age-of-onset part of a penetrance. A susceptible person of genotype g
// falls ill at an age that follows the logistic distribution with mean m and
// spread s: F(a) = 1 / (1 + exp(-(a - m) / s)), density f(a) = F (1 - F) / s
// (standard deviation s pi / sqrt 3). With susceptibility gamma a person
// affected at age a contributes gamma f(a), one unaffected when last seen at
// age a 1 - gamma F(a), taken as (1 - gamma) + gamma (1 - F(a)) so that it
// keeps its precision when both gamma and F are close to 1.
#pragma once

#include <cmath>

namespace kin {

struct LogisticAge {
  double cdf = 0.0;       // F(a)
  double survival = 0.0;  // 1 - F(a)
  double density = 0.0;   // f(a)
};

// F, 1 - F and f at age a, each from exp(-|z|) so that none overflows.
inline LogisticAge logistic_age(double a, double m, double s) {
  const double z = (a - m) / s;
  const double t = std::exp(-std::fabs(z));
  const double big = 1 / (1 + t), small = t / (1 + t);
  LogisticAge r;
  r.cdf = z >= 0 ? big : small;
  r.survival = z >= 0 ? small : big;
  r.density = big * small / s;
  return r;
}

// The probability of the trait (1 unaffected, 2 affected) from the
// susceptibility gamma, 1 - gamma and the age-of-onset distribution at the
// person's age.
inline double onset_trait_probability(double gamma, double not_gamma, int trait, const LogisticAge& f) {
  return trait == 2 ? gamma * f.density : not_gamma + gamma * f.survival;
}

// The same at age a, for mean m and spread s.
inline double onset_trait_probability(double gamma, double not_gamma, int trait, double a, double m,
                                      double s) {
  return onset_trait_probability(gamma, not_gamma, trait, logistic_age(a, m, s));
}

}  // namespace kin
