// The penetrances of a run of consecutive persons, the fast way: the persons
// of known trait are gathered without branching, their predictors computed two
// at a time, their exponentials taken in one tight run and turned into
// probabilities two at a time. Each value is computed by exactly the
// operations of penetrance_arithmetic.hpp, so it does not depend on the run it
// was computed in.
#pragma once

#include <cstdint>

#include "engine/onset_arithmetic.hpp"

namespace kin {

// The model quantities a penetrance reads.
struct PenetranceModel {
  double w[3] = {0, 0, 0};   // baselines of genotypes 1, 2, 3 for sex code 1
  double wv[3] = {0, 0, 0};  // baselines for every other sex code
  const double* d = nullptr; // covariate coefficients, ncov of them
  int ncov = 0;
  double ro1 = 0.0;  // on the number of unaffected parents
  double ro2 = 0.0;  // on the number of affected parents
  // With an age of onset: the logistic penetrance is the susceptibility
  // gamma, and each genotype's age of onset is logistic with mean m and
  // spread s (onset_arithmetic.hpp).
  bool onset = false;
  double m[3] = {0, 0, 0};
  double s[3] = {1, 1, 1};
  // The three genotypes' distributions at each distinct age of the sample
  // (entry 3 c + g for age class c), computed once per point; null: computed
  // person by person.
  const LogisticAge* age_table = nullptr;
};

// The records of the persons, indexed by person number p.
template <class Cov>
struct PersonRecords {
  const int32_t* trait = nullptr;    // 1 unaffected, 2 affected, 3 unknown
  const int32_t* sex = nullptr;      // 1 takes the baselines w, anything else wv
  const Cov* cov = nullptr;          // covariate j of person p at cov[p * cov_stride + j]
  int cov_stride = 0;
  const int32_t* parents = nullptr;  // a child's parents: nU + 3 nA; negative for a founder
  const double* age = nullptr;       // age at onset (affected) or last seen (unaffected); onset models
  const int32_t* age_class = nullptr;  // the person's age among the distinct ages (PenetranceModel::age_table)
};

// A child's parents as PersonRecords::parents holds them, from the father's
// and the mother's trait codes: nU + 3 nA, the numbers of unaffected and
// affected parents in one code.
constexpr int32_t parents_code(int father_trait, int mother_trait) {
  return (father_trait == 1) + (mother_trait == 1) + 3 * ((father_trait == 2) + (mother_trait == 2));
}

// pen[3 (p - p0) + g - 1], the probability of person p's trait for genotype
// g, for every person p in [p0, p1) whose trait is known; the entries of
// persons of unknown trait are not written. Without onset terms, y or 1 - y
// for the logistic y; with them, gamma f(a) for an affected person and
// 1 - gamma F(a) for an unaffected one, gamma = y.
template <class Cov>
void penetrances_of_run(const PersonRecords<Cov>& r, const PenetranceModel& m, int p0, int p1,
                        double* pen);

extern template void penetrances_of_run<int32_t>(const PersonRecords<int32_t>&, const PenetranceModel&,
                                                 int, int, double*);
extern template void penetrances_of_run<double>(const PersonRecords<double>&, const PenetranceModel&,
                                                int, int, double*);

}  // namespace kin
