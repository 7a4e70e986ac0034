// Every person's genotype probabilities at a point: the posterior
// probabilities of genotypes 1, 2, 3 (two, one, no copies of the allele of
// frequency q) given the traits of the person's family, all of them or those
// of its conditioning set, and the person's own penetrances.
#pragma once

#include <vector>

namespace kinseg {

struct GenotypeProbabilities {
  // Person p of the sample, genotype g = 1, 2, 3, at index 3 p + g - 1.
  std::vector<double> all;           // P(genotype | all traits of the family)
  std::vector<double> conditioning;  // P(genotype | traits of the conditioning set)
  std::vector<double> penetrance;    // P(own trait | genotype); 1 for an unknown trait
  // Whether person p has the values above: a member of an analysed family
  // that the point does not refuse. The values of the others are 0.
  std::vector<char> known;
};

}  // namespace kinseg
