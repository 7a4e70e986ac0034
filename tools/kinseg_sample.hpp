// A sample drawn by kinsim as kinseg holds it in memory (pedigree/sample.hpp),
// for tests and benchmarks that work on simulated samples without a file:
// pedigree and person ids are kinsim's numbers, the covariates those of the
// settings, and with ages at onset the column age (NaN for an unknown trait).
#pragma once

#include "pedigree/sample.hpp"
#include "tools/settings.hpp"
#include "tools/simulate.hpp"

namespace kinsim {

kinseg::Sample kinseg_sample(const Settings& settings, const Sample& drawn);

}  // namespace kinsim
