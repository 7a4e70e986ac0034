// The simple facts of a sample that a fit starts from: the share of affected
// members among the non-probands of known trait (the baselines of the start
// grid are set so that the population prevalence equals it), and the spread of
// each covariate (it scales the bounds and search steps of its coefficient).
#pragma once

#include <string>
#include <vector>

#include "pedigree/sample.hpp"

namespace kinseg {

struct CovariateSpread {
  std::string name;
  double mean = 0.0;
  double sd = 0.0;
  double smallest = 0.0;
  double largest = 0.0;
  double largest_abs = 0.0;  // the largest absolute value
};

struct SampleSummary {
  int pedigrees = 0;
  int persons = 0;
  int affected = 0;
  int unaffected = 0;
  int unknown = 0;
  int probands = 0;
  // Affected / (affected + unaffected) among the members who are not probands;
  // among all members of known trait when every one of them is a proband; 0.5
  // when no trait is known.
  double prevalence = 0.5;
  std::vector<CovariateSpread> covariates;  // over the members of known trait
};

SampleSummary summarize(const Sample& sample);

}  // namespace kinseg
