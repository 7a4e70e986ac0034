// A sample drawn by kinsim, as kinseg's sample in memory: pedigree and person
// ids as kinsim's data file writes them (1, 2, ...), parents by person number,
// the codes unchanged and the covariates by their names in the settings.
#pragma once

#include "pedigree/sample.hpp"
#include "tools/simulate.hpp"

namespace kintest {

kinseg::Sample kinseg_sample(const kinsim::Settings& settings, const kinsim::Sample& drawn);

}  // namespace kintest
