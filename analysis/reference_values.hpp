// The covariates' reference values, at which risks and penetrances are given:
// each covariate's mean over the members of known trait, or the value given
// by --reference NAME=VALUE.
#pragma once

#include <string>
#include <vector>

#include "analysis/model.hpp"
#include "analysis/risk_result.hpp"
#include "analysis/sample_summary.hpp"

namespace kinseg {

// One value per covariate of the summary, in its order. A given name that is
// no covariate, or given twice, is added to PROBLEMS.
std::vector<ReferenceValue> reference_values(const SampleSummary& summary, const std::vector<NamedValue>& given,
                                             std::vector<std::string>& problems);

}  // namespace kinseg
