// FEN: the probability of one person's observed trait given a genotype of the
// major locus and the trait codes of the person's parents, under the regressive
// logistic model.
#include "fit/reference/reference_likelihood.hpp"
#include "fit/penetrance.hpp"

namespace kinfit {

double FEN(const KinfitState& s, int p, int g, int nU, int nA) {
  if (!trait_enters(s, p)) return 1.0;
  const double x = predictor(baselines(s, p), g, covariate_sum(s, p), nU * s.PRPAR.RO(1),
                             nA * s.PRPAR.RO(2));
  return trait_probability_of_exp(exp_of_predictor(x), s.BUF2.TRAIT(p));
}

}  // namespace kinfit
