// Where a fit's searches start. A grid over Q and the size of the genotype
// effect (the logit difference between the homozygotes); for each, the
// baselines are set so that the population prevalence under Hardy-Weinberg
// frequencies equals the prevalence among the non-probands, sex increments,
// covariate and regressive coefficients start at 0, and transmission starts
// Mendelian (every other grid point: not transmitted, Tr = Q, for models that
// estimate it); with an age of onset the baselines are those of the
// susceptibility (the prevalence corrected for the ages last seen) and the
// M's and S's start at the data's values (OnsetOptions). The --start values
// replace the first grid point; further
// starts given by the caller (the estimates of a nested model, say) come
// after the grid, each completed from the first grid point.
#pragma once

#include <string>
#include <vector>

#include "analysis/model.hpp"
#include "analysis/sample_summary.hpp"

namespace kinseg {

struct StartingPoint {
  std::string origin;
  std::vector<double> x;  // a free vector, within the bounds
};

struct LabelledStart {
  std::string label;
  std::vector<NamedValue> values;  // names that are not estimated in the model are passed over
};

// COUNT grid starts (at least 1; the first carries the --start values when
// any were given), then one per EXTRA.
std::vector<StartingPoint> starting_points(const Model& model, const SampleSummary& summary, int count,
                                           const std::vector<LabelledStart>& extra = {});

}  // namespace kinseg
