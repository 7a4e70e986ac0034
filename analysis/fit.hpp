// A maximum-likelihood fit of a named model: searches from several starts
// (local_maximum.hpp), the best of them turned round into the documented
// orientation, standard errors and the variance-covariance matrix from the
// observed information (observed_information.hpp), profile-likelihood
// intervals (profile_interval.hpp), and a status that says what was reached.
//
// The likelihood is abstract: any function of a point giving the sample's
// ln L, or -inf for a point it refuses. The model's constraints that are not
// bounds (W1 >= W3 in dominant and recessive models, Tr2 in [0, 1] in
// homog_general) are kept by searching the function at the nearest feasible
// point minus a quadratic penalty on the distance to it: the penalised function
// equals ln L on the feasible set and lies below it elsewhere, so its maxima are
// the constrained maxima, and the likelihood never sees an infeasible point.
#pragma once

#include <functional>

#include "analysis/fit_result.hpp"
#include "analysis/local_maximum.hpp"
#include "analysis/model.hpp"
#include "analysis/profile_interval.hpp"
#include "analysis/sample_summary.hpp"
#include "analysis/starting_points.hpp"
#include "engine/point.hpp"

namespace kinseg {

using LogLikelihood = std::function<double(const Point&)>;

struct FitOptions {
  // Grid starts (--starts N); a sporadic model has one, as it has no Q and no
  // genotype effect to vary.
  int starts = 6;
  std::vector<LabelledStart> extra_starts;  // further starts, after the grid
  bool profile = true;                      // --no-profile skips the intervals
  std::string unprofiled = "not profiled (--no-profile)";  // why there are no intervals, when not profiled
  SearchSettings search;
  ProfileSettings profile_settings;
  double tie = 0.01;                        // starts this close to the best ln L reached it

  // Progress: after each start, and during the uncertainty work.
  std::function<void(const StartRecord& start, int done, int total)> on_start;
  std::function<void(const std::string& stage, int done, int total)> on_progress;
};

FitResult fit(const Model& model, const LogLikelihood& lnl, const SampleSummary& summary,
              const FitOptions& options = {});

}  // namespace kinseg
