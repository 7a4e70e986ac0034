#include "analysis/carrier_probabilities.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace kinseg {

std::vector<CarrierProbability> carrier_probabilities(const Sample& sample, const GenotypePosteriors& posteriors) {
  const size_t n = static_cast<size_t>(sample.persons());
  if (posteriors.known.size() != n || posteriors.probability.size() != 3 * n)
    throw std::invalid_argument("carrier_probabilities: three posteriors for every person of the sample");
  std::vector<CarrierProbability> out;
  for (int k = 0; k < sample.pedigrees(); ++k)
    for (int p = sample.first(k); p < sample.end(k); ++p) {
      if (!posteriors.known[p]) continue;
      const double* v = &posteriors.probability[3 * static_cast<size_t>(p)];
      if (!std::isfinite(v[0]) || !std::isfinite(v[1]) || !std::isfinite(v[2])) continue;
      CarrierProbability c;
      c.person = p;
      c.pedigree = sample.pedigree_ids[k];
      c.id = sample.ids[p];
      for (int g = 0; g < 3; ++g) c.genotype[g] = std::clamp(v[g], 0.0, 1.0);
      c.carrier = std::min(1.0, c.genotype[0] + c.genotype[1]);
      out.push_back(c);
    }
  return out;
}

}  // namespace kinseg
