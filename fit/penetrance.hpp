// The penetrance arithmetic shared by FEN (one genotype), MASSIX (the three
// genotypes of a person at once) and the sample likelihood's runs of persons
// (engine/penetrance_run.cpp): all take the operations of
// engine/penetrance_arithmetic.hpp in the same order, so their values equal,
// bit for bit, those of FEN. The others merely compute the covariate sum and
// the regressive products once per person instead of once per genotype.
#pragma once

#include "engine/conditioning.hpp"
#include "engine/penetrance_arithmetic.hpp"
#include "fit/blocks.hpp"

namespace kinfit {

using kin::exp_of_predictor;
using kin::kTinyPredictor;
using kin::trait_probability_of_exp;

// True when the trait of person row p enters the current pass: it is known,
// and in the conditioning pass it belongs to the conditioning set (proband
// codes 0 and 1 under mode 1, code 0 under any other mode).
inline bool trait_enters(const KinfitState& s, int p) {
  if (s.BUF2.TRAIT(p) == 3) return false;
  if (s.ASCERT.ICOND != 0) return kin::in_conditioning_set(s.ASCERT.MODE, s.BUF2.PROB(p));
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

// The predictor of person row p for genotype g, from its covariate part c and
// the regressive products ru = nU * RO(1), ra = nA * RO(2).
inline double predictor(const Table1<double, 3>& base, int g, double c, double ru, double ra) {
  return kin::predictor(base(g), c, ru, ra);
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
