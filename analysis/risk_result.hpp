// Each genotype's risk by age under an age-of-onset fit, as its writers read
// it (computed by analysis/onset_risk.hpp).
#pragma once

#include <string>
#include <vector>

namespace kinseg {

// A covariate's value at which risks are given.
struct ReferenceValue {
  std::string name;   // the covariate, as the sample names it
  double value = 0.0;
  bool given = false;  // by --reference; otherwise the sample mean
};

inline constexpr const char* kRiskIntervalMethod =
    "95% intervals by the delta method on the logit scale, from the variance-covariance matrix";

struct RiskEstimate {
  double value = 0.0;
  double ci_low = 0.0, ci_high = 0.0;
  bool has_ci = false;  // false when the fit has no variance-covariance matrix
};

struct RiskAtAge {
  double age = 0.0;
  RiskEstimate risk;
};

// One genotype (1, 2, 3: two, one, no copies of the allele of frequency q;
// 0 for the sporadic model's single susceptibility) of one sex (0 both, 1, 2).
struct GenotypeRisk {
  int genotype = 0;
  int sex = 0;
  bool carrier = false;      // carries the allele of frequency q
  RiskEstimate lifetime;     // gamma_g
  RiskEstimate median_onset;  // m_g, on the age scale
  std::vector<RiskAtAge> by_age;
};

struct RiskResult {
  std::string model;
  std::vector<ReferenceValue> reference;
  std::vector<double> ages;        // every 10 years over the observed ages, and the asked ones, sorted
  std::vector<double> asked_ages;  // --risk-ages
  std::vector<GenotypeRisk> curves;
  std::string method = kRiskIntervalMethod;
  // The one sex of every person of known trait (SampleSummary::known_trait_sex,
  // set by the caller): a model without a sex effect gives that sex's risks.
  int known_trait_sex = 0;
};

}  // namespace kinseg
