// What the analyses ask of the sample's likelihood (the engine provides it,
// analysis/engine_likelihood.hpp): ln L at a point, each analysed family's
// contribution, the proband codes the likelihood reads and every person's
// genotype probabilities. kinseg fit and kinseg test read the engine through it.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "analysis/carrier_probabilities.hpp"
#include "analysis/fit.hpp"
#include "engine/point.hpp"

namespace kinseg {

struct SampleLikelihood {
  LogLikelihood lnl;                  // the sample's ln L at a point; -inf where refused
  std::vector<int> family_pedigrees;  // the analysed families' pedigree numbers, in order
  // Every person's proband code as the likelihood reads it (after it chose a
  // proband for a family without one); empty: the sample's own.
  std::vector<int8_t> proband;
  // Each analysed family's contribution to ln L at a point, in that order.
  std::function<std::vector<double>(const Point&)> contributions;
  // Every person's posterior genotype probabilities given the family's traits.
  std::function<GenotypePosteriors(const Point&)> genotypes;
};

}  // namespace kinseg
