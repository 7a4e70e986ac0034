// One point of the model's parameter space, in the quantities the likelihood
// reads: the allele frequency Q, the baseline logits W1-W3 of the genotypes,
// the increments V1-V3 for sex code 2, the transmission probabilities Tr1-Tr3
// (or Mendelian transmission), a coefficient per covariate and the regressive
// coefficients Ro1 (unaffected parents) and Ro2 (affected parents); with an age
// of onset, the mean M1-M3 and spread S1-S3 of each genotype's logistic
// age-of-onset distribution (the logistic penetrance is then the
// susceptibility, the probability of falling ill at some age). Genotype 1
// carries two copies of the allele of frequency Q, genotype 2 one, genotype 3
// none. Named models, links, bounds and the free vector of an optimiser live in
// the analyses; the engine only reads a point.
#pragma once

#include <vector>

namespace kinseg {

struct Point {
  double q = 0.0;
  double w[3] = {0.0, 0.0, 0.0};
  bool sex_effect = false;  // V terms in use (baseline W + V for sex code 2)
  double v[3] = {0.0, 0.0, 0.0};
  bool free_transmission = false;  // Tr terms in use; Mendelian transmission otherwise
  double tau[3] = {1.0, 0.5, 0.0};
  std::vector<double> d;  // one coefficient per covariate of the sample, in order
  double ro[2] = {0.0, 0.0};
  bool onset = false;  // age-of-onset terms in use; the sample must hold ages
  double m[3] = {0.0, 0.0, 0.0};
  double s[3] = {1.0, 1.0, 1.0};
};

}  // namespace kinseg
