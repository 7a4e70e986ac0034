#include "analysis/sample_summary.hpp"

#include "analysis/model.hpp"

#include <algorithm>
#include <cmath>

#include "pedigree/mean_sd.hpp"

namespace kinseg {

namespace {

constexpr double kPi = 3.14159265358979323846;

OnsetSummary summarize_onset(const Sample& sample, double prevalence) {
  OnsetSummary o;
  o.present = true;
  bool any = false;
  double sum[2] = {0, 0}, sum2[2] = {0, 0};
  int n[2] = {0, 0};  // affected non-probands, all affected
  for (int p = 0; p < sample.persons(); ++p) {
    const double a = sample.onset[p];
    if (sample.trait[p] == kUnknownTrait || !std::isfinite(a)) continue;
    o.youngest = any ? std::min(o.youngest, a) : a;
    o.oldest = any ? std::max(o.oldest, a) : a;
    any = true;
    if (sample.trait[p] != kAffected) continue;
    for (int k = sample.proband[p] == kProband ? 1 : 0; k < 2; ++k) {
      sum[k] += a;
      sum2[k] += a * a;
      ++n[k];
    }
  }
  if (!any) {
    o.present = false;
    return o;
  }
  const int k = n[0] > 0 ? 0 : 1;
  o.affected = n[k];
  if (n[k] > 0) {
    o.mean = sum[k] / n[k];
    o.sd = n[k] > 1 ? std::sqrt(std::max(0.0, (sum2[k] - n[k] * o.mean * o.mean) / (n[k] - 1))) : 0.0;
  } else {
    o.mean = 0.5 * (o.youngest + o.oldest);
    o.sd = (o.oldest - o.youngest) / 4;
  }
  o.spread = std::clamp(o.sd * std::sqrt(3.0) / kPi, kSpreadLow, kSpreadHigh);
  o.mean = std::clamp(o.mean, o.youngest - kMeanMargin, o.oldest + kMeanMargin);
  double by_age = 0;
  int known = 0;
  for (int p = 0; p < sample.persons(); ++p) {
    if (sample.trait[p] == kUnknownTrait || sample.proband[p] == kProband || !std::isfinite(sample.onset[p]))
      continue;
    by_age += 1 / (1 + std::exp(-(sample.onset[p] - o.mean) / o.spread));
    ++known;
  }
  o.susceptible = prevalence;
  if (known > 0 && by_age > 0) o.susceptible = std::clamp(prevalence * known / by_age, prevalence, 0.95);
  return o;
}

}  // namespace

SampleSummary summarize(const Sample& sample) {
  SampleSummary s;
  s.pedigrees = sample.pedigrees();
  s.persons = sample.persons();
  int other_affected = 0, other_known = 0, known_sex2 = 0, known_sex1 = 0;
  for (int p = 0; p < sample.persons(); ++p) {
    const bool proband = sample.proband[p] == kProband;
    if (proband) ++s.probands;
    switch (sample.trait[p]) {
      case kAffected: ++s.affected; break;
      case kUnaffected: ++s.unaffected; break;
      default: ++s.unknown; continue;
    }
    if (sample.sex[p] == kFemale) ++known_sex2;
    if (sample.sex[p] == kMale) ++known_sex1;
    if (!proband) {
      ++other_known;
      if (sample.trait[p] == kAffected) ++other_affected;
    }
  }
  if (s.affected + s.unaffected > 0) s.sex2_share = static_cast<double>(known_sex2) / (s.affected + s.unaffected);
  const int known = s.affected + s.unaffected;
  if (known > 0) s.known_trait_sex = known_sex2 == known ? 2 : known_sex1 == known ? 1 : 0;
  if (other_known > 0) s.prevalence = static_cast<double>(other_affected) / other_known;
  else if (s.affected + s.unaffected > 0) s.prevalence = static_cast<double>(s.affected) / (s.affected + s.unaffected);

  for (int j = 0; j < sample.ncov(); ++j) {
    CovariateSpread c;
    c.name = sample.covariate_names[j];
    std::vector<double> values;
    for (int p = 0; p < sample.persons(); ++p) {
      if (sample.trait[p] != kAffected && sample.trait[p] != kUnaffected) continue;
      const double v = sample.cov(p, j);
      if (!std::isfinite(v)) continue;
      if (values.empty()) c.smallest = c.largest = v;
      c.smallest = std::min(c.smallest, v);
      c.largest = std::max(c.largest, v);
      values.push_back(v);
    }
    if (!values.empty()) {
      const MeanSd m = mean_sd(values);
      c.mean = m.mean;
      c.sd = m.sd;
      c.largest_abs = std::max(std::abs(c.smallest), std::abs(c.largest));
    }
    s.covariates.push_back(c);
  }
  if (sample.has_onset()) s.onset = summarize_onset(sample, s.prevalence);
  return s;
}

}  // namespace kinseg
