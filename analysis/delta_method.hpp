// Intervals for a quantity of a fit by the delta method: its standard error is
// sqrt(g' V g), g the gradient of the quantity at the estimates with respect
// to the free parameters that have a standard error, V their
// variance-covariance matrix. The gradient is taken by central differences
// through the model's links, so a quantity needs only a function of the free
// vector. Risks and penetrances are given on the logit scale, where the
// interval is symmetric and its ends stay within 0 and 1.
#pragma once

#include <cmath>
#include <functional>
#include <optional>
#include <vector>

#include "analysis/fit_result.hpp"
#include "analysis/model.hpp"
#include "analysis/risk_result.hpp"

namespace kinseg {

inline constexpr double kNormal975 = 1.959963984540054;  // the 97.5% point of the normal distribution

inline double logistic(double x) { return 1 / (1 + std::exp(-x)); }

// The standard error of VALUE_OF (a function of the free vector, on the
// scale the interval is symmetric on) at the estimates; none without a
// variance-covariance matrix, or when a parameter of the matrix is not free
// in MODEL, or when the quantity moves with a free parameter that has no
// standard error and is not on a bound (not identified, say), or when the
// variance is not a finite non-negative number.
std::optional<double> delta_sd(const FitResult& fit, const Model& model,
                               const std::function<double(const std::vector<double>&)>& value_of);

// logistic(LOGIT) with the 95% interval logistic(LOGIT -+ z SD).
RiskEstimate on_logit_scale(double logit, const std::optional<double>& sd);

}  // namespace kinseg
