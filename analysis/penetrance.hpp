// What a fit says of the probability of being affected: each genotype's
// penetrance P(affected | g, sex) = logistic(w_g + v_g [sex 2] + d . x) at
// the covariates' reference values x, the regressive terms at 0 (parents'
// traits not counted); under an age-of-onset model the same logistic is the
// lifetime risk, the susceptibility gamma_g. And the prevalence the model
// implies over the persons the observed prevalence counts, each at their own
// sex, covariates (and age under onset), the genotypes weighed by q^2,
// 2q(1-q), (1-q)^2. Intervals are 95%, by the delta method on the logit scale
// (analysis/delta_method.hpp).
#pragma once

#include <vector>

#include "analysis/fit_result.hpp"
#include "analysis/model.hpp"
#include "analysis/penetrance_result.hpp"
#include "analysis/risk_result.hpp"
#include "pedigree/sample.hpp"

namespace kinseg {

// The logit of the penetrance (the susceptibility under onset) of genotype G
// (index 0..2) and SEX (2 takes the sex increments) at the reference values,
// parents' traits not counted.
double penetrance_logit(const Point& p, int g, int sex, const std::vector<ReferenceValue>& reference);

// The penetrances of a fit (an empty result, without rows, when the fit has
// no estimates). OBSERVED is the sample's prevalence over the same persons
// (SampleSummary::prevalence).
PenetranceResult penetrances(const FitResult& fit, const Model& model, const std::vector<ReferenceValue>& reference,
                             const Sample& sample, double observed);

}  // namespace kinseg
