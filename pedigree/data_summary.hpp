// The facts a user checks before an analysis: how many pedigrees, persons,
// founders, generations and nuclear families; pedigree sizes; affected,
// unaffected and unknown by sex; probands; pedigrees without a proband or
// without an affected member; persons connected to nobody; loops with the
// persons whose duplication breaks them; covariates and their missing values.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "pedigree/read_sample.hpp"

namespace kinseg {

struct CovariateSummary {
  std::string name;
  int present = 0;     // persons with a value (rows of the file)
  int missing = 0;     // rows without one
  double min = 0, max = 0, mean = 0, sd = 0;
  bool whole_numbers = true;
};

struct PedigreeLoops {
  int pedigree = 0;                    // pedigree number in the sample, from 0
  std::string id;                      // its id in the file
  int loops = 0;                       // independent loops (cycle rank)
};

struct DataSummary {
  int pedigrees = 0, persons = 0, added = 0, founders = 0, generations = 0, nuclear_families = 0;
  int size_min = 0, size_max = 0;
  double size_median = 0;
  // trait_by_sex[sex][t]: sex 0 unknown, 1 male, 2 female; t 0 affected,
  // 1 unaffected, 2 unknown.
  std::array<std::array<int, 3>, 3> trait_by_sex{};
  int probands = 0, always_conditioned = 0;
  std::vector<std::string> without_proband;    // pedigree ids
  std::vector<std::string> without_affected;   // pedigree ids
  int unconnected = 0;                 // persons without parents or children in their pedigree
  int single_person_pedigrees = 0;
  std::vector<PedigreeLoops> loops;    // the pedigrees that have loops
  std::vector<CovariateSummary> covariates;
  int unknown_by_covariate = 0;
};

// The summary of a sample read without errors.
DataSummary summarize(const DataRead& read);

}  // namespace kinseg
