// Carrier probabilities: for every person of an analysed family, the
// posterior probabilities of the three genotypes given all the traits of the
// family under the selected model, and the probability of carrying at least
// one copy of the allele of frequency Q, the allele that raises the risk in
// the orientation the fits report (genotype 1 carries two copies, 2 one, 3
// none).
#pragma once

#include <string>
#include <vector>

#include "pedigree/sample.hpp"

namespace kinseg {

// Posterior genotype probabilities as the likelihood gives them: person p,
// genotype g = 1, 2, 3 at index 3 p + g - 1; KNOWN[p] is 0 for persons of
// pedigrees not analysed (or refused at the point), whose values are not read.
struct GenotypePosteriors {
  std::vector<double> probability;
  std::vector<char> known;
};

struct CarrierProbability {
  int person = 0;        // person number in the sample
  std::string pedigree;  // original ids
  std::string id;
  double genotype[3] = {0.0, 0.0, 0.0};
  double carrier = 0.0;  // genotype[0] + genotype[1]
};

// The persons with known (and finite) posteriors, in sample order.
std::vector<CarrierProbability> carrier_probabilities(const Sample& sample, const GenotypePosteriors& posteriors);

}  // namespace kinseg
