// The sample in memory, as kinseg's analyses see it: pedigrees, and in each the
// persons with their parents, sex, trait, proband code and covariates, plus the
// original ids and file lines so that every report can speak of a person as the
// user's file does. There is no fixed size limit.
//
// Persons are numbered 0..persons()-1 over the whole sample, pedigree after
// pedigree: the persons of pedigree k are start[k] .. start[k+1]-1. Within a
// pedigree they stand in the order of their rows in the file (persons added for
// absent parents come last), which is also the order in which kinsort would
// see them after an export, so nuclear families and peeling order come out the
// same.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kinseg {

// Trait codes, as throughout the toolkit.
inline constexpr int8_t kUnaffected = 1;
inline constexpr int8_t kAffected = 2;
inline constexpr int8_t kUnknownTrait = 3;

// Sex codes: 1 male, 2 female (the code that takes the sex increments), 0 unknown.
inline constexpr int8_t kUnknownSex = 0;
inline constexpr int8_t kMale = 1;
inline constexpr int8_t kFemale = 2;

// Proband codes: 1 proband; 2 an ordinary member; 0 a member whose trait is
// always part of the ascertainment condition (kinsort's files only).
inline constexpr int8_t kAlwaysConditioned = 0;
inline constexpr int8_t kProband = 1;
inline constexpr int8_t kOrdinary = 2;

struct Sample {
  std::string file;                          // the file the sample was read from
  std::vector<std::string> covariate_names;  // in the order of --covar

  // Pedigrees, in the order of their first row in the file.
  std::vector<std::string> pedigree_ids;
  std::vector<int> start;  // size pedigrees() + 1; start[0] = 0

  // Persons.
  std::vector<std::string> ids;   // original id
  std::vector<int> father;        // person number, or -1 when unknown
  std::vector<int> mother;        // person number, or -1 when unknown (both or neither)
  std::vector<int8_t> sex;        // kMale, kFemale or kUnknownSex
  std::vector<int8_t> trait;      // kUnaffected, kAffected or kUnknownTrait
  std::vector<int8_t> proband;    // kProband, kOrdinary or kAlwaysConditioned
  std::vector<double> covariates; // covariate j of person p at p * ncov() + j
  std::vector<int> line;          // line of the person's row in the file; 0 for an added person
  // With an age-of-onset column: per person the age at onset of an affected
  // person, the age when last seen of an unaffected one; NaN where the trait
  // is unknown. Empty without one.
  std::string onset_name;
  std::vector<double> onset;

  int persons() const { return static_cast<int>(ids.size()); }
  int pedigrees() const { return static_cast<int>(pedigree_ids.size()); }
  int ncov() const { return static_cast<int>(covariate_names.size()); }
  int first(int k) const { return start[k]; }
  int end(int k) const { return start[k + 1]; }
  int size(int k) const { return start[k + 1] - start[k]; }
  double cov(int p, int j) const { return covariates[static_cast<size_t>(p) * covariate_names.size() + j]; }
  bool founder(int p) const { return father[p] < 0; }
  bool has_onset() const { return !onset.empty(); }
};

}  // namespace kinseg
