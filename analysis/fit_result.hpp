// Everything a fit's reports show, in one object: the estimates with their
// standard errors and profile intervals, ln L, the number of free parameters,
// AIC, the variance-covariance matrix, every start and where it ended, the
// status and the messages. The reports read it; they compute nothing.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/local_maximum.hpp"
#include "analysis/model.hpp"
#include "analysis/penetrance_result.hpp"
#include "analysis/risk_result.hpp"
#include "engine/point.hpp"

namespace kinseg {

// The fit as a whole, the most serious first:
enum class FitStatus {
  refused_start,    // the likelihood refused every start: no estimates
  iteration_limit,  // the best search ran out of evaluations
  not_converged,    // the best search stopped short of the maximum
  flat,             // a parameter is not identified (a flat direction of ln L)
  at_bound,         // converged, with parameters on a bound (no standard error for them)
  converged,
};

std::string status_name(FitStatus s);  // "refused start", "iteration limit", ...

// A parameter at the estimates.
enum class ParameterStatus { estimated, at_bound, not_identified, fixed, linked, derived };

std::string parameter_status_name(ParameterStatus s);  // "estimated", "at bound", "not identified", ...

struct StartRecord {
  std::string origin;               // "--start", "grid q=0.1 effect 3", or the caller's label
  std::vector<double> start;        // the free vector it started from
  std::vector<double> end;          // where the search ended (turned round when it was)
  std::optional<double> start_lnl;  // absent when the start was refused
  std::optional<double> lnl;
  SearchEnd end_state = SearchEnd::refused_start;
  bool turned_round = false;
  int evaluations = 0;
};

struct ParameterEstimate {
  std::string name;
  ParameterRole role = ParameterRole::estimated;
  double estimate = 0.0;
  double low = 0.0, high = 0.0;  // bounds, for an estimated parameter
  std::optional<double> se;
  std::optional<double> ci_low, ci_high;
  bool ci_low_at_bound = false, ci_high_at_bound = false;
  ParameterStatus status = ParameterStatus::estimated;
  std::string note;  // the bound reached, "= w1", "by --fix", ...
  // Why the standard error, or an end of the interval, is missing, in a few
  // words ("at the upper bound", "not profiled (--no-profile)", ...); empty
  // when it is there.
  std::string se_missing, ci_missing;
  BoundSide bound_side = BoundSide::none;  // at_bound on its own range: which end
  // The profile likelihood met while finding the interval: (value, ln L
  // maximised over the other parameters), by value, the estimate among them.
  // Empty when the parameter was not profiled.
  std::vector<std::pair<double, double>> profile;
};

// The reason a parameter's status gives by itself for a missing standard
// error or interval ("at the upper bound", "fixed by --fix", "derived from q,
// tr1, tr3"); empty for a status that gives none. The tables for people show a
// missing value's reason only when it is not this one, which their status
// column already says.
std::string status_reason(const ParameterEstimate& p);

// A second maximum: a start that ended, converged, at estimates that differ
// materially from the best's (some free parameter by more than a tenth of
// its scale or of its range, whichever is less, also against the mirror
// image) within 2 ln L units below the best ln L. The highest such start.
struct RunnerUp {
  int start = -1;            // into FitResult::starts
  double lnl = 0.0;
  double below = 0.0;        // the best ln L less this one
  std::vector<double> free;  // its free parameters, in the orientation of the estimates
};

struct FitResult {
  std::string model;
  FitStatus status = FitStatus::refused_start;
  std::vector<std::string> messages;
  // Which of the messages says how the starts agree ("6 of 6 starts reached
  // the best ln L ..."); -1: none (every start refused).
  int starts_message = -1;

  std::vector<ParameterEstimate> parameters;  // every parameter of the model, in its order
  std::vector<std::string> free_names;
  std::vector<double> free;                   // the estimates of the free parameters
  Point point;                                // the point at the estimates
  std::optional<double> lnl;                  // absent when every start was refused
  int k = 0;                                  // free parameters

  std::vector<std::string> covariance_names;  // the free parameters that have a standard error
  std::vector<double> covariance;             // row-major, over covariance_names

  std::vector<StartRecord> starts;
  int best_start = -1;
  int starts_at_best = 0;                     // starts within 0.01 of the best ln L
  std::optional<double> others_nearest;       // how far below the best the other finished starts ended
  std::optional<double> others_farthest;
  int refused_starts = 0;
  std::optional<RunnerUp> runner_up;

  // An age-of-onset model's risks by age at the estimates (set by the caller,
  // who knows the covariates' reference values).
  std::optional<RiskResult> risks;
  // Each genotype's penetrance at the reference values and the implied
  // prevalence (set by the caller, as the risks).
  std::optional<PenetranceResult> penetrances;

  bool profiled = false;
  bool turned_round = false;                  // the estimates are the mirror image of where the search ended
  int evaluations = 0;                        // of the likelihood, in all

  std::optional<double> minus_two_lnl() const {
    if (!lnl) return std::nullopt;
    return -2.0 * *lnl;
  }
  std::optional<double> aic() const {
    if (!lnl) return std::nullopt;
    return -2.0 * *lnl + 2.0 * k;
  }
  const ParameterEstimate* find(const std::string& name) const {
    for (const auto& p : parameters)
      if (p.name == name) return &p;
    return nullptr;
  }
};

}  // namespace kinseg
