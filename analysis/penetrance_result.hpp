// Each genotype's penetrance at the estimates, and the prevalence the model
// implies, as their writers read them (computed by analysis/penetrance.hpp).
#pragma once

#include <string>
#include <vector>

#include "analysis/risk_result.hpp"

namespace kinseg {

inline constexpr const char* kImpliedPrevalenceDefinition =
    "the mean, over the non-probands of known trait (over every member of known trait when all are probands), "
    "of sum_g P(g) P(affected | g), P(g) = q^2, 2q(1-q), (1-q)^2 (1 for the sporadic model), each person at "
    "their own sex and covariates, parents' traits not counted";
inline constexpr const char* kImpliedPrevalenceOnset =
    "; under an age-of-onset model P(affected | g) is the risk by their own age, R_g(a) = gamma_g F_g(a)";

// P(affected | genotype, sex) of one genotype (1, 2, 3: two, one, no copies
// of the allele of frequency q; 0 for the sporadic model's single
// penetrance) of one sex (0 both, 1, 2).
struct GenotypePenetrance {
  int genotype = 0;
  int sex = 0;
  RiskEstimate penetrance;
};

struct PenetranceResult {
  std::string model;
  std::vector<ReferenceValue> reference;  // the covariates' values the penetrances hold at
  bool lifetime = false;  // an age-of-onset model: the penetrance is the lifetime risk (the susceptibility)
  std::vector<GenotypePenetrance> rows;   // by sex, then genotype
  // The prevalence the model implies (kImpliedPrevalenceDefinition), with
  // its interval on the logit scale, and the one observed over the same
  // persons.
  RiskEstimate implied_prevalence;
  double observed_prevalence = 0.0;
  int prevalence_persons = 0;  // the persons both are means over (0: no implied prevalence)
  bool all_probands = false;   // every member of known trait is a proband: they are counted
  std::string method = kRiskIntervalMethod;
  std::string prevalence_definition;
  // The one sex of every person of known trait (SampleSummary::known_trait_sex,
  // set by the caller): a model without a sex effect gives that sex's
  // penetrances.
  int known_trait_sex = 0;
};

}  // namespace kinseg
