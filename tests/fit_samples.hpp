// Simulated samples for the fit's tests: drawn by kinsim under known values,
// read by kinseg's reader as a user's file would be, and the truth turned into
// kinseg's orientation (kinsim draws with W1 <= W3, the order kinfit keeps;
// kinseg's genotype 1 is the homozygote of higher risk).
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "pedigree/read_sample.hpp"
#include "tools/settings.hpp"

namespace kintest {

// The sample in memory, read from kinsim's data file with every covariate of
// the settings.
kinseg::Sample simulated_sample(const kinsim::Settings& settings, uint64_t seed);

// Reads a kinsort data file (as kinsim writes it) with the given covariates.
kinseg::Sample read_data_file(const std::string& path, const kinsim::Settings& settings);

// kinsim's parameter values (value, or start when START) by kinseg's names,
// exchanged into kinseg's orientation when W1 < W3: q -> 1-q, w1 <-> w3,
// v1 <-> v3, tr1 -> 1-tr3, tr2 -> 1-tr2, tr3 -> 1-tr1. Covariates d.NAME.
std::map<std::string, double> kinseg_values(const kinsim::Settings& settings, bool start = false);

}  // namespace kintest
