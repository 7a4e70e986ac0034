// Samples for the likelihood engine: pedigrees written row by row, the
// families of the kinfit test samples turned into a kinseg sample with the
// very nuclear families kinfit peels, a point from kinfit test parameters, and
// an independent brute-force likelihood that sums over every genotype vector
// of a pedigree's persons (loops or not) together with the genotype
// probabilities that follow from the same sums.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "engine/ascertainment.hpp"
#include "engine/point.hpp"
#include "pedigree/pedigree_structure.hpp"
#include "pedigree/sample.hpp"
#include "tests/sample_builder.hpp"

namespace kintest {

// One row of a pedigree: parents by row number (1-based, 0 for none).
struct Row {
  int fa = 0, mo = 0;
  int sex = 1;
  int trait = 3;
  int prob = 2;
  std::vector<double> cov;  // the sample's number of covariates
  double age = NAN;         // age at onset or last seen; a row with one gives the sample ages
};

// Appends a pedigree with ids "1".."n" in row order; the sample's covariate
// names must already be set.
void add_pedigree(kinseg::Sample& s, const std::string& id, const std::vector<Row>& rows);

// A sample with no pedigree and ncov covariates named c1, c2, ...
kinseg::Sample empty_sample(int ncov);

// The kinfit test families as a sample: pedigree F is family F, member m its
// row m; a child's parents are those of the nuclear family that lists it.
kinseg::Sample sample_of(const std::vector<Family>& fams, int ncov);
// Their nuclear families, in kinfit's order and with its links, as structures.
std::vector<kinseg::PedigreeStructure> structures_of(const std::vector<Family>& fams);

kinseg::Point point_of(const Params& p, int ncov);

// Brute force over pedigree k of the sample (with the point's age-of-onset
// terms, from the sample's ages): the likelihoods of the traits
// (all of them, and those of the conditioning set) summed over every genotype
// vector, and each person's posterior genotype probabilities under both.
struct BruteForce {
  double lnl_all = 0.0;
  double lnl_cond = 0.0;  // 0 without a conditioning pass
  bool conditioning = false;
  std::vector<double> post_all, post_cond;  // 3 per person of the pedigree
  std::vector<double> penetrance;           // 3 per person: P(own trait | genotype)
};
BruteForce brute_force(const kinseg::Sample& s, int k, const kinseg::Point& point,
                       kinseg::Ascertainment a);

}  // namespace kintest
