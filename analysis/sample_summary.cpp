#include "analysis/sample_summary.hpp"

#include <algorithm>
#include <cmath>

#include "pedigree/mean_sd.hpp"

namespace kinseg {

SampleSummary summarize(const Sample& sample) {
  SampleSummary s;
  s.pedigrees = sample.pedigrees();
  s.persons = sample.persons();
  int other_affected = 0, other_known = 0;
  for (int p = 0; p < sample.persons(); ++p) {
    const bool proband = sample.proband[p] == kProband;
    if (proband) ++s.probands;
    switch (sample.trait[p]) {
      case kAffected: ++s.affected; break;
      case kUnaffected: ++s.unaffected; break;
      default: ++s.unknown; continue;
    }
    if (!proband) {
      ++other_known;
      if (sample.trait[p] == kAffected) ++other_affected;
    }
  }
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
  return s;
}

}  // namespace kinseg
