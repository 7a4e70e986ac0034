// The analyses' view of the likelihood engine: the sample's ln L, each
// analysed family's contribution and every person's genotype probabilities
// given all the traits of the family, at a point, and the proband codes the
// engine read. The engine evaluates the families on its own threads; the
// analyses call it from one thread.
#pragma once

#include "analysis/sample_likelihood.hpp"
#include "engine/engine.hpp"

namespace kinseg {

// The engine must outlive the returned functions.
SampleLikelihood engine_sample_likelihood(Engine& engine);

}  // namespace kinseg
