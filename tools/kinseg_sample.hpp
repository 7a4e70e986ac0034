// A sample drawn by kinsim as kinseg holds it in memory (pedigree/sample.hpp),
// for tests and benchmarks that work on simulated samples without a file:
// pedigree and person ids are kinsim's numbers, the covariates those of the
// settings.
#pragma once

#include "engine/point.hpp"
#include "pedigree/sample.hpp"
#include "tools/settings.hpp"
#include "tools/simulate.hpp"

namespace kinsim {

kinseg::Sample kinseg_sample(const Settings& settings, const Sample& drawn);

// The point of kinseg's likelihood the settings draw their samples at (sex
// effects in use, their values those of the settings).
kinseg::Point truth_point(const Settings& settings);

}  // namespace kinsim
