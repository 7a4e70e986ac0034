// The battery's view of the likelihood engine: the sample's ln L, each
// analysed family's contribution and every person's genotype probabilities
// given all the traits of the family, at a point. The engine evaluates the
// families on its own threads; the battery calls it from one thread.
#pragma once

#include "analysis/battery.hpp"
#include "engine/engine.hpp"

namespace kinseg {

// The engine must outlive the returned functions. SAMPLE and ASCERTAINMENT
// are the engine's: they give the proband codes the engine reads.
BatteryLikelihood engine_battery_likelihood(Engine& engine, const Sample& sample, Ascertainment ascertainment);

}  // namespace kinseg
