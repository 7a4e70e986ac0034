#include "analysis/onset_risk.hpp"

#include <algorithm>
#include <cmath>

namespace kinseg {

namespace {

constexpr double kZ = 1.959963984540054;  // the 97.5% point of the normal distribution

double logistic(double x) { return 1 / (1 + std::exp(-x)); }

// The logit of the susceptibility of genotype g (index 0..2) and sex at the point.
double susceptibility_logit(const Point& p, int g, int sex, const std::vector<ReferenceValue>& ref) {
  double x = 0.0;
  for (size_t j = 0; j < p.d.size() && j < ref.size(); ++j) x += p.d[j] * ref[j].value;
  x += p.w[g];
  if (sex == 2 && p.sex_effect) x += p.v[g];
  return x;
}

// ln R - ln (1 - R) for R = gamma F(a), computed from the logs so that it
// keeps its precision for risks close to 0.
double risk_logit(const Point& p, int g, int sex, double age, const std::vector<ReferenceValue>& ref) {
  const double eta = susceptibility_logit(p, g, sex, ref);
  const double z = (age - p.m[g]) / p.s[g];
  const double log_gamma = -std::log1p(std::exp(-eta));
  const double log_f = -std::log1p(std::exp(-z));
  const double log_r = log_gamma + log_f;
  return log_r - std::log1p(-std::exp(log_r));
}

// The 95% interval of a quantity at the estimates by the delta method, its
// gradient by central differences over the free parameters with a standard
// error; VALUE_OF maps a free vector to the quantity (on the scale the
// interval is symmetric on).
template <class F>
std::pair<double, bool> delta_sd(const FitResult& fit, const Model& model, F value_of) {
  const std::vector<std::string> names = model.free_names();
  const std::vector<double> scales = model.scales();
  const size_t n = fit.covariance_names.size();
  if (n == 0 || fit.covariance.size() != n * n) return {0.0, false};
  std::vector<double> grad(n, 0.0);
  for (size_t i = 0; i < n; ++i) {
    const auto it = std::find(names.begin(), names.end(), fit.covariance_names[i]);
    if (it == names.end()) return {0.0, false};
    const size_t c = static_cast<size_t>(it - names.begin());
    const double h = 1e-5 * scales[c];
    std::vector<double> up = fit.free, down = fit.free;
    up[c] += h;
    down[c] -= h;
    grad[i] = (value_of(up) - value_of(down)) / (2 * h);
  }
  double var = 0.0;
  for (size_t i = 0; i < n; ++i)
    for (size_t j = 0; j < n; ++j) var += grad[i] * fit.covariance[i * n + j] * grad[j];
  if (!(var >= 0) || !std::isfinite(var)) return {0.0, false};
  return {std::sqrt(var), true};
}

RiskEstimate on_logit_scale(double logit, std::pair<double, bool> sd) {
  RiskEstimate r;
  r.value = logistic(logit);
  r.has_ci = sd.second;
  if (r.has_ci) {
    r.ci_low = logistic(logit - kZ * sd.first);
    r.ci_high = logistic(logit + kZ * sd.first);
  }
  return r;
}

}  // namespace

std::vector<double> risk_ages(const OnsetSummary& onset, const std::vector<double>& asked, double step) {
  std::vector<double> ages;
  if (onset.present && step > 0)
    for (double k = std::ceil(onset.youngest / step); k * step <= onset.oldest; ++k) ages.push_back(k * step);
  for (double a : asked) ages.push_back(a);
  std::sort(ages.begin(), ages.end());
  ages.erase(std::unique(ages.begin(), ages.end()), ages.end());
  return ages;
}

RiskResult onset_risks(const FitResult& fit, const Model& model, const std::vector<ReferenceValue>& reference,
                       const std::vector<double>& ages, const std::vector<double>& asked) {
  RiskResult out;
  out.model = fit.model;
  out.reference = reference;
  out.ages = ages;
  out.asked_ages = asked;
  if (!model.options().onset.on || !fit.lnl) return out;
  const bool sporadic = model.transmission() == Transmission::sporadic;
  const std::vector<int> sexes = model.options().sex_effect ? std::vector<int>{1, 2} : std::vector<int>{0};
  for (int sex : sexes)
    for (int gt = 1; gt <= (sporadic ? 1 : 3); ++gt) {
      const int g = gt - 1;
      GenotypeRisk c;
      c.genotype = sporadic ? 0 : gt;
      c.sex = sex;
      c.carrier = !sporadic && gt < 3;
      const Point& p = fit.point;
      const double eta = susceptibility_logit(p, g, sex, reference);
      c.lifetime = on_logit_scale(eta, delta_sd(fit, model, [&](const std::vector<double>& x) {
                                    return susceptibility_logit(model.point(x), g, sex, reference);
                                  }));
      const auto m_sd = delta_sd(fit, model, [&](const std::vector<double>& x) { return model.point(x).m[g]; });
      c.median_onset.value = p.m[g];
      c.median_onset.has_ci = m_sd.second;
      if (m_sd.second) {
        c.median_onset.ci_low = p.m[g] - kZ * m_sd.first;
        c.median_onset.ci_high = p.m[g] + kZ * m_sd.first;
      }
      for (double a : ages) {
        RiskAtAge r;
        r.age = a;
        r.risk = on_logit_scale(risk_logit(p, g, sex, a, reference),
                                delta_sd(fit, model, [&](const std::vector<double>& x) {
                                  return risk_logit(model.point(x), g, sex, a, reference);
                                }));
        // The risk itself from gamma F, not through the logit.
        const double z = (a - p.m[g]) / p.s[g];
        r.risk.value = logistic(eta) * logistic(z);
        c.by_age.push_back(r);
      }
      out.curves.push_back(c);
    }
  return out;
}

}  // namespace kinseg
