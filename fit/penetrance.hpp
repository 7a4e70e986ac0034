// The penetrance arithmetic shared by FEN (one genotype), MASSIX (the three
// genotypes of a person at once) and the sample likelihood's table of all
// persons (work_table.cpp). All take the same operations in the same order, so
// their values equal, bit for bit, those of FEN:
//   x = sum over j of COV(j, p) * D(j), from 0; x = x + baseline(g);
//   x = x + nU * RO(1); x = x + nA * RO(2); e = exp(x), or 1 when |x| < 1E-8;
//   y = e / (e + 1); the probability of the trait is y (affected) or 1 - y.
// The others merely compute the covariate sum and the regressive products once
// per person instead of once per genotype.
#pragma once

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "fit/blocks.hpp"

namespace kinfit {

// Predictors of smaller absolute value count as 0 (single-precision 1E-8 widened).
inline constexpr double kTinyPredictor = 9.99999993922529E-9;

// True when the trait of person row p enters the current pass: it is known,
// and in the conditioning pass it belongs to the conditioning set (proband
// codes 0 and 1 under mode 1, code 0 under any other mode).
inline bool trait_enters(const KinfitState& s, int p) {
  if (s.BUF2.TRAIT(p) == 3) return false;
  if (s.ASCERT.ICOND != 0) {
    if (s.ASCERT.MODE == 1) return s.BUF2.PROB(p) != 2;
    return s.BUF2.PROB(p) == 0;
  }
  return true;
}

// The covariate part of the predictor of person row p.
inline double covariate_sum(const KinfitState& s, int p) {
  double x = 0.0;
  const int ncov = s.HIPOT.NCOV;
  for (int j = 1; j <= ncov; ++j) x = x + s.BUF2.COV(j, p) * s.PRPAR.D(j);
  return x;
}

// The baselines of person row p: W for sex code 1, WV for sex code 2.
inline const Table1<double, 3>& baselines(const KinfitState& s, int p) {
  return s.BUF2.SEX(p) == 1 ? s.PRPAR.W : s.PRPAR.WV;
}

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

// The predictor of person row p for genotype g, from its covariate part c and
// the regressive products ru = nU * RO(1), ra = nA * RO(2).
inline double predictor(const Table1<double, 3>& base, int g, double c, double ru, double ra) {
  double x = c + base(g);
  x = x + ru;
  x = x + ra;
  return x;
}

// The three penetrances of person row p (whose trait enters the pass) for
// genotypes 1, 2, 3, with nU unaffected and nA affected parents.
inline void penetrance_row(const KinfitState& s, int p, int nU, int nA, double y[3]) {
  const double c = covariate_sum(s, p);
  const Table1<double, 3>& base = baselines(s, p);
  const double ru = nU * s.PRPAR.RO(1);
  const double ra = nA * s.PRPAR.RO(2);
  const int trait = s.BUF2.TRAIT(p);
  for (int g = 1; g <= 3; ++g)
    y[g - 1] = trait_probability_of_exp(exp_of_predictor(predictor(base, g, c, ru, ra)), trait);
}

}  // namespace kinfit
