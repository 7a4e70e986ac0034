// What an age-of-onset fit means for a person: the risk of having fallen ill
// by age a, R_g(a) = gamma_g F_g(a), for each genotype g (and each sex with a
// sex effect), at the covariates' reference values and with the parents'
// traits not counted (the regressive terms at 0); the lifetime risk gamma_g
// and the median age at onset among the susceptible, m_g. Intervals are 95%,
// by the delta method on the logit scale of the risk from the fit's
// variance-covariance matrix (on the age scale for the median), the gradient
// taken by central differences through the model's links.
#pragma once

#include <vector>

#include "analysis/fit_result.hpp"
#include "analysis/model.hpp"
#include "analysis/reference_values.hpp"
#include "analysis/risk_result.hpp"
#include "analysis/sample_summary.hpp"

namespace kinseg {

// The ages the curves are given at: the multiples of STEP years within the
// observed ages (10 for the tables; 1 for the report page's plot, whose
// curves pass through the tables' points), with the asked ages, sorted,
// without repeats.
std::vector<double> risk_ages(const OnsetSummary& onset, const std::vector<double>& asked, double step = 10);

// The risks of a fit of an age-of-onset model (an empty result otherwise, or
// when the fit has no estimates).
RiskResult onset_risks(const FitResult& fit, const Model& model, const std::vector<ReferenceValue>& reference,
                       const std::vector<double>& ages, const std::vector<double>& asked);

}  // namespace kinseg
