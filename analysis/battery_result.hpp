// Everything a run of the standard segregation hypotheses produces, in one
// object that the outputs (tables, JSON, the report page) read; they compute
// nothing. Numbers that do not exist are absent (std::optional), never NaN.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/carrier_probabilities.hpp"
#include "analysis/family_support.hpp"
#include "analysis/fit_result.hpp"
#include "analysis/likelihood_ratio_test.hpp"
#include "analysis/verdict.hpp"

namespace kinseg {

// One model of the battery and its fit: a row of the model table.
struct BatteryModel {
  std::string name;      // e.g. "mendelian:dominant", "sporadic"
  FitResult fit;         // ln L, k, AIC, status, estimates, starts, messages
  std::optional<double> delta_aic;       // AIC minus the smallest AIC of the table
  std::vector<std::string> started_from; // the nested models whose estimates were starts
  bool refit = false;    // it ended below a nested model and was refitted from that model's estimates
  // What the battery itself says about the model: options that do not apply
  // to it, the refit, the profile pass of the selected model.
  std::vector<std::string> messages;
};

// One of the three criteria of the verdict, with the test it rests on.
struct VerdictCriterion {
  std::string text;                    // e.g. "1. sporadic rejected against Mendelian: holds (p = ...)"
  std::string null_model, alternative; // the models of its test
  std::optional<double> p;             // absent: not tested
  bool holds = false;
};

struct BatteryResult {
  double alpha = 0.05;
  std::vector<BatteryModel> models;   // in the order they were fitted
  std::string best_model;             // the smallest AIC of the table
  std::string best_mendelian_type;    // "dominant", "recessive" or "codominant": best by AIC under mendelian
  // The Mendelian model of that type: the families are ranked and the carrier
  // probabilities computed under it. Empty when no Mendelian model could be
  // fitted.
  std::string selected_model;
  std::vector<LikelihoodRatioTest> tests;
  Verdict verdict;                          // the conclusion in words (summary, major_gene)
  std::vector<VerdictCriterion> criteria;   // the three criteria, in order
  std::vector<FamilySupport> families;      // the strongest support for a major gene first
  std::vector<CarrierProbability> carriers; // under the selected model, in sample order
  std::vector<std::string> messages;
  int evaluations = 0;                      // of the sample likelihood, in all

  const BatteryModel* find(const std::string& name) const {
    for (const auto& m : models)
      if (m.name == name) return &m;
    return nullptr;
  }
  const BatteryModel* selected() const { return find(selected_model); }
};

}  // namespace kinseg
