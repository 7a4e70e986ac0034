// What an age-of-onset fit means for a person: the risk of having fallen ill
// by age a, R_g(a) = gamma_g F_g(a), for each genotype g (and each sex with a
// sex effect), at the covariates' reference values and with the parents'
// traits not counted (the regressive terms at 0); the lifetime risk gamma_g
// and the median age at onset among the susceptible, m_g. Intervals are 95%,
// by the delta method on the logit scale of the risk from the fit's
// variance-covariance matrix (on the age scale for the median), the gradient
// taken by central differences through the model's links.
#pragma once

#include <string>
#include <vector>

#include "analysis/fit_result.hpp"
#include "analysis/model.hpp"
#include "analysis/reference_values.hpp"
#include "analysis/sample_summary.hpp"

namespace kinseg {

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
};

// The ages the curves are given at: the multiples of 10 within the observed
// ages, with the asked ages, sorted, without repeats.
std::vector<double> risk_ages(const OnsetSummary& onset, const std::vector<double>& asked);

// The risks of a fit of an age-of-onset model (an empty result otherwise, or
// when the fit has no estimates).
RiskResult onset_risks(const FitResult& fit, const Model& model, const std::vector<ReferenceValue>& reference,
                       const std::vector<double>& ages, const std::vector<double>& asked);

// The genotypes whose curves differ under the model: all three for a
// codominant type, 1 (= 2) and 3 for dominant, 1 and 2 (= 3) for recessive,
// one for sporadic. Each listed by its first genotype.
std::vector<int> distinct_genotypes(const Model& model);

}  // namespace kinseg
