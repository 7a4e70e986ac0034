#include "analysis/onset_risk.hpp"

#include <algorithm>
#include <cmath>

#include "analysis/delta_method.hpp"
#include "analysis/penetrance.hpp"

namespace kinseg {

namespace {

// ln R - ln (1 - R) for R = gamma F(a), computed from the logs so that it
// keeps its precision for risks close to 0.
double risk_logit(const Point& p, int g, int sex, double age, const std::vector<ReferenceValue>& ref) {
  const double eta = penetrance_logit(p, g, sex, ref);
  const double z = (age - p.m[g]) / p.s[g];
  const double log_gamma = -std::log1p(std::exp(-eta));
  const double log_f = -std::log1p(std::exp(-z));
  const double log_r = log_gamma + log_f;
  return log_r - std::log1p(-std::exp(log_r));
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
      const double eta = penetrance_logit(p, g, sex, reference);
      c.lifetime = on_logit_scale(eta, delta_sd(fit, model, [&](const std::vector<double>& x) {
                                    return penetrance_logit(model.point(x), g, sex, reference);
                                  }));
      const auto m_sd = delta_sd(fit, model, [&](const std::vector<double>& x) { return model.point(x).m[g]; });
      c.median_onset.value = p.m[g];
      c.median_onset.has_ci = m_sd.has_value();
      if (m_sd) {
        c.median_onset.ci_low = p.m[g] - kNormal975 * *m_sd;
        c.median_onset.ci_high = p.m[g] + kNormal975 * *m_sd;
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
