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

// The ages of a sample with an age at onset: their range over the persons of
// known trait, and the mean and spread of the onset ages of the affected
// non-probands (of all affected when every one is a proband), the spread s of
// a logistic distribution with their standard deviation (sd sqrt 3 / pi).
struct OnsetSummary {
  bool present = false;
  double youngest = 0.0, oldest = 0.0;
  int affected = 0;  // the ages the mean and spread come from
  double mean = 50.0, sd = 0.0, spread = 5.0;
  // The share of the non-probands who would fall ill at some age: the
  // prevalence over the mean chance, under the distribution above, of having
  // fallen ill by the age last seen (at most 0.95).
  double susceptible = 0.5;
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
  // The share of sex 2 among the persons of known trait (0 when none is known):
  // it weighs the sex increments in the model's orientation (model.hpp).
  double sex2_share = 0.0;
  // The sex every person of known trait has (1 or 2; a trait recorded in
  // women only gives 2), 0 when both sexes or an unknown sex are among them
  // or no trait is known: the penetrances and risks of a model without a sex
  // effect are then this sex's.
  int known_trait_sex = 0;
  std::vector<CovariateSpread> covariates;  // over the members of known trait
  OnsetSummary onset;
};

SampleSummary summarize(const Sample& sample);

}  // namespace kinseg
