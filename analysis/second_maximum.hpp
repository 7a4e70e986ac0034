// A second maximum of ln L among the ends of a fit's searches. A start counts
// when its search converged (not stopped short by the evaluation limit or
// its own tolerances) within kSecondMaximumWithin ln L units below the best,
// at estimates that differ materially from the best's: some identified free
// parameter by more than kMaterialShare of its scale or of its range,
// whichever is less (a q of scale 0.1 by 0.01, a logit baseline of scale 1 by
// 0.1), and with ln L halfway between the two lower than at either end (a
// valley between them, not a ridge along which ln L hardly changes). When
// the best point has a parameter that is not identified, ends within the tie
// of its ln L are taken to lie on the same flat ridge, which may curve. The
// ends are compared as they are and against the mirror image of the best,
// so that a search that ended at the mirror image of the best point is not a
// second maximum. Of the starts that count, the highest is the runner-up.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "analysis/fit_result.hpp"

namespace kinseg {

constexpr double kSecondMaximumWithin = 2.0;
constexpr double kMaterialShare = 0.1;

// How two ends of searches are told apart.
struct MaximumComparison {
  std::vector<double> scale, lower, upper;  // per free parameter
  std::vector<bool> flat;  // not identified: a difference along it does not count (may be empty)
  // The mirror image of a free vector; null for a model that has none.
  std::function<std::vector<double>(const std::vector<double>&)> mirror;
  // ln L at a free vector (-inf where refused); null: no valley is asked for.
  std::function<double(const std::vector<double>&)> lnl;
  double valley = 0.01;  // ln L halfway lies this far below the lower end, at least
  double tie = 0.01;     // ends this close to the best ln L reached it
};

// Whether free vectors A and B differ materially (see above; no valley asked).
bool differ_materially(const std::vector<double>& a, const std::vector<double>& b, const MaximumComparison& how);

// The runner-up among STARTS, BEST_START excepted, against the estimates
// BEST at BEST_LNL.
std::optional<RunnerUp> second_maximum(const std::vector<StartRecord>& starts, int best_start,
                                       const std::vector<double>& best, double best_lnl,
                                       const MaximumComparison& how);

}  // namespace kinseg
