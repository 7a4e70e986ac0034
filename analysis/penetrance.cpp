#include "analysis/penetrance.hpp"

#include <cmath>

#include "analysis/delta_method.hpp"

namespace kinseg {

namespace {

// The persons the observed prevalence counts (SampleSummary::prevalence):
// the non-probands of known trait, or every member of known trait when all
// of them are probands.
std::vector<int> prevalence_persons(const Sample& s) {
  std::vector<int> known, others;
  for (int p = 0; p < s.persons(); ++p) {
    if (s.trait[p] != kAffected && s.trait[p] != kUnaffected) continue;
    known.push_back(p);
    if (s.proband[p] != kProband) others.push_back(p);
  }
  return others.empty() ? known : others;
}

// The genotypes' population frequencies at the point: q^2, 2q(1-q), (1-q)^2,
// or the single type of the sporadic model.
void genotype_frequencies(const Point& p, bool sporadic, double f[3]) {
  if (sporadic) {
    f[0] = 1;
    f[1] = f[2] = 0;
    return;
  }
  f[0] = p.q * p.q;
  f[1] = 2 * p.q * (1 - p.q);
  f[2] = (1 - p.q) * (1 - p.q);
}

// The implied prevalence at the point: the persons' mean probability of
// being affected, each at their own sex, covariates and (under onset) age,
// the regressive terms left out.
double implied_prevalence(const Point& p, bool sporadic, const Sample& s, const std::vector<int>& persons) {
  double f[3];
  genotype_frequencies(p, sporadic, f);
  const int ncov = s.ncov();
  double sum = 0;
  for (int i : persons) {
    double x = 0;
    for (int j = 0; j < ncov && j < static_cast<int>(p.d.size()); ++j) x += p.d[j] * s.cov(i, j);
    const bool two = s.sex[i] == kFemale && p.sex_effect;
    double prob = 0;
    for (int g = 0; g < 3; ++g) {
      if (f[g] == 0) continue;
      double y = logistic(x + p.w[g] + (two ? p.v[g] : 0.0));
      if (p.onset) y *= logistic((s.onset[i] - p.m[g]) / p.s[g]);
      prob += f[g] * y;
    }
    sum += prob;
  }
  return persons.empty() ? 0.0 : sum / static_cast<double>(persons.size());
}

double logit(double x) { return std::log(x) - std::log1p(-x); }

}  // namespace

double penetrance_logit(const Point& p, int g, int sex, const std::vector<ReferenceValue>& reference) {
  double x = 0.0;
  for (size_t j = 0; j < p.d.size() && j < reference.size(); ++j) x += p.d[j] * reference[j].value;
  x += p.w[g];
  if (sex == 2 && p.sex_effect) x += p.v[g];
  return x;
}

PenetranceResult penetrances(const FitResult& fit, const Model& model, const std::vector<ReferenceValue>& reference,
                             const Sample& sample, double observed) {
  PenetranceResult out;
  out.model = fit.model;
  out.reference = reference;
  out.lifetime = model.options().onset.on;
  out.observed_prevalence = observed;
  out.prevalence_definition =
      std::string(kImpliedPrevalenceDefinition) + (out.lifetime ? kImpliedPrevalenceOnset : "");
  if (!fit.lnl) return out;
  const bool sporadic = model.transmission() == Transmission::sporadic;
  const std::vector<int> sexes = model.options().sex_effect ? std::vector<int>{1, 2} : std::vector<int>{0};
  for (int sex : sexes)
    for (int gt = 1; gt <= (sporadic ? 1 : 3); ++gt) {
      const int g = gt - 1;
      GenotypePenetrance r;
      r.genotype = sporadic ? 0 : gt;
      r.sex = sex;
      r.penetrance = on_logit_scale(penetrance_logit(fit.point, g, sex, reference),
                                    delta_sd(fit, model, [&](const std::vector<double>& x) {
                                      return penetrance_logit(model.point(x), g, sex, reference);
                                    }));
      out.rows.push_back(r);
    }

  // Under onset every person counted has an age (the engine refuses a known
  // trait without one); a sample without the ages the model reads has none.
  if (out.lifetime && !sample.has_onset()) return out;
  const std::vector<int> persons = prevalence_persons(sample);
  out.prevalence_persons = static_cast<int>(persons.size());
  out.all_probands = !persons.empty() && sample.proband[persons[0]] == kProband;
  if (persons.empty()) return out;
  const double implied = implied_prevalence(fit.point, sporadic, sample, persons);
  out.implied_prevalence.value = implied;
  if (implied > 0 && implied < 1) {
    const std::optional<double> sd = delta_sd(fit, model, [&](const std::vector<double>& x) {
      return logit(implied_prevalence(model.point(x), sporadic, sample, persons));
    });
    out.implied_prevalence = on_logit_scale(logit(implied), sd);
    out.implied_prevalence.value = implied;
  }
  return out;
}

}  // namespace kinseg
