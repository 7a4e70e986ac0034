#include "analysis/delta_method.hpp"

#include <algorithm>
#include <string>

namespace kinseg {

std::optional<double> delta_sd(const FitResult& fit, const Model& model,
                               const std::function<double(const std::vector<double>&)>& value_of) {
  const std::vector<std::string> names = model.free_names();
  const std::vector<double> scales = model.scales();
  const size_t n = fit.covariance_names.size();
  if (n == 0 || fit.covariance.size() != n * n || fit.free.size() != names.size()) return std::nullopt;
  std::vector<double> grad(n, 0.0);
  for (size_t i = 0; i < n; ++i) {
    const auto it = std::find(names.begin(), names.end(), fit.covariance_names[i]);
    if (it == names.end()) return std::nullopt;
    const size_t c = static_cast<size_t>(it - names.begin());
    const double h = 1e-5 * scales[c];
    std::vector<double> up = fit.free, down = fit.free;
    up[c] += h;
    down[c] -= h;
    grad[i] = (value_of(up) - value_of(down)) / (2 * h);
  }
  // A free parameter without a standard error, other than one on a bound
  // (whose intervals hold it there), leaves the variance unknown when the
  // quantity moves with it: leaving it out would give a falsely narrow
  // interval, of width 0 for a penetrance that depends on it alone.
  for (size_t c = 0; c < names.size(); ++c) {
    if (std::find(fit.covariance_names.begin(), fit.covariance_names.end(), names[c]) != fit.covariance_names.end())
      continue;
    const ParameterEstimate* p = fit.find(names[c]);
    if (p && p->status == ParameterStatus::at_bound) continue;
    const double h = 1e-5 * scales[c];
    std::vector<double> up = fit.free, down = fit.free;
    up[c] += h;
    down[c] -= h;
    if (!(std::abs(value_of(up) - value_of(down)) / (2 * h) * scales[c] <= 1e-6)) return std::nullopt;
  }
  double var = 0.0;
  for (size_t i = 0; i < n; ++i)
    for (size_t j = 0; j < n; ++j) var += grad[i] * fit.covariance[i * n + j] * grad[j];
  if (!(var >= 0) || !std::isfinite(var)) return std::nullopt;
  return std::sqrt(var);
}

RiskEstimate on_logit_scale(double logit, const std::optional<double>& sd) {
  RiskEstimate r;
  r.value = logistic(logit);
  r.has_ci = sd.has_value();
  if (r.has_ci) {
    r.ci_low = logistic(logit - kNormal975 * *sd);
    r.ci_high = logistic(logit + kNormal975 * *sd);
  }
  return r;
}

}  // namespace kinseg
