// The tests' independent likelihood: a pedigree's likelihood summed over every
// genotype vector of its persons (loops or not), written from the model's
// definition and sharing no code with the peeling. It gives ln L of all the
// traits, ln L of the traits of the conditioning set (the second pass that the
// ascertainment correction divides by) and each person's genotype
// probabilities under both.
//
// The penetrance, P(a person's own trait | genotype), is a parameter: the
// regressive logistic model by default, any other model (an age of onset, a
// trait seen in one sex) by passing its own function. The genotype
// frequencies and transmission are the point's (Hardy-Weinberg at Q; the
// point's Tr or Mendelian transmission).
#pragma once

#include <functional>
#include <vector>

#include "engine/ascertainment.hpp"
#include "engine/point.hpp"
#include "pedigree/sample.hpp"

namespace kintest {

// P(trait of person p | genotype index g), g = 0, 1, 2 for genotypes 1, 2, 3
// (2, 1, 0 copies of the allele of frequency Q). Called only for persons
// whose trait is known and counted in the pass being summed.
using Penetrance = std::function<double(const kinseg::Sample& s, int p, int g)>;

// The regressive logistic model at the point: logit = covariates . D + W_g
// (+ V_g for sex code 2 when the point has sex effects) + Ro1 per unaffected
// and Ro2 per affected parent.
Penetrance logistic_penetrance(const kinseg::Point& point);

struct BruteForce {
  double lnl_all = 0.0;
  double lnl_cond = 0.0;  // 0 without a conditioning pass
  bool conditioning = false;
  std::vector<double> post_all, post_cond;  // 3 per person of the pedigree
  std::vector<double> penetrance;           // 3 per person: P(own trait | genotype), 1 when unknown
  // The family's contribution to the sample's ln L: ln L(all) - ln L(conditioning set).
  double contribution() const { return conditioning ? lnl_all - lnl_cond : lnl_all; }
};

// Pedigree k of the sample. The conditioning set is the persons of proband
// code 0, and under proband ascertainment the probands too; without
// ascertainment there is a second pass only when the pedigree has a person of
// code 0. A person with neither parents nor children in the pedigree is summed
// on its own (the sum factorises); the others may number at most 13.
BruteForce brute_force(const kinseg::Sample& s, int k, const kinseg::Point& point, kinseg::Ascertainment a,
                       const Penetrance& penetrance = nullptr);

}  // namespace kintest
