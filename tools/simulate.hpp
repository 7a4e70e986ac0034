// Drawing a sample of pedigrees under the regressive logistic model with a
// major gene that kinfit fits, and writing it with the control files of both
// programs.
//
// Every pedigree starts from a founder couple. Each couple has a number of
// children; a child that is not of the last generation marries, with a given
// probability, a spouse from outside the pedigree (a founder of the pedigree)
// and the couple has children in turn. So pedigrees are trees of nuclear
// families, unless first cousins may marry: then a child who marries takes,
// with the probability `cousins`, a first cousin who marries too instead of a
// spouse from outside, and the couple closes a consanguineous loop. Rows are in
// generation order: a person's parents always stand before the person.
//
// Founders draw their genotype from Hardy-Weinberg frequencies; a child gets
// one allele from each parent, the parent passing the Q allele with the
// transmission probability of its genotype. The probability of being affected
// is 1 / (1 + e^-x), x = sum of D_j * covariate j + the baseline of genotype and
// sex + Ro1 * (parents recorded unaffected) + Ro2 * (parents recorded
// affected); founders have no regressive terms. A trait is recorded as unknown
// (code 3) with the probability `unknown`, drawn right after the trait, and
// children count their parents' recorded codes, so that a parent of unknown
// trait counts as neither affected nor unaffected, as in the fitted model.
//
// With ages at onset that probability is the susceptibility: a susceptible
// person of genotype g falls ill at an age drawn from the logistic
// distribution of mean M_g and spread S_g, and is recorded affected (at that
// age, in whole years) when it is at most the age at which the person is last
// seen: the age reached in the study year, at most the oldest age seen.
// Founders are born in a range of years, a spouse married in near the
// partner, a child when the mother is of an age in a range.
// With trait_sex, the other sex's trait is unknown (their rows in the data file
// hold another trait's values instead, for a reader to leave out).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/settings.hpp"

namespace kinsim {

struct Person {
  int ped = 0, id = 0, fa = 0, mo = 0;  // fa = mo = 0: founder
  int sex = 1;                          // 1 or 2; a father has sex 1, a mother sex 2
  int prob = 2;                         // proband code: 1 proband, 2 ordinary member
  int trait = 1;                        // 1 unaffected, 2 affected, 3 unknown
  int other_trait = 0;                  // trait_sex: the other sex's recorded value (1, 2 or 3), else 0
  int genotype = 1;                     // 1, 2, 3: two, one, no copies of the Q allele
  std::array<int, kMaxCovs> cov{};      // covariates 1..ncov
  int birth = 0;                        // with onset: the year of birth
  int age = 0;                          // with onset: age at onset (affected) or when last seen
};

struct Sample {
  std::vector<Person> persons;  // pedigree after pedigree, ped = 1, 2, ... in order
  int ncov = 0;
  int kept = 0;               // pedigrees kept
  long drawn = 0;             // pedigrees drawn, kept or not
  long cousin_marriages = 0;  // in the pedigrees kept
};

// Draws the sample: pedigrees are drawn one after another until `families`
// have passed the ascertainment, or the draw limit is reached (Error). The
// same settings and seed give the same sample on every machine. When
// `max_persons` is positive, a sample or a pedigree that grows beyond it is
// refused (Error) as soon as it does; otherwise the caps are kMaxSamplePersons
// and kMaxPedigreePersons.
Sample draw_sample(const Settings& s, uint64_t seed, long max_persons = 0);

// The contents of the files of a simulation run.
struct Files {
  std::string data, task, maxpar, par, truth;
};
Files render(const Settings& s, const Sample& sample, uint64_t seed);

// The limits of the programs that read the files: refuses (Error) a sample
// with more pedigrees, persons, nuclear families or member-list entries than
// kinsort or kinfit can hold.
void check_limits(const Sample& sample);

// The whole run: validates the settings, draws the sample, checks the limits
// and writes the data file, task.inp, maxpar.inp, par.inp and the truth file
// into the current directory; with `limits = none`, draws without the
// programs' limits and writes the data file and the truth file only. Nothing is
// written when anything is refused.
Sample simulate(const Settings& s, uint64_t seed);

// Shortest decimal text that reads back as exactly x, with an exponent written
// as kinfit's users write it (1.0E-5).
std::string format_real(double x);

}  // namespace kinsim
