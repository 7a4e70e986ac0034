// The sample as kinsort's input: a data file (header "ped id fa mo sex prob
// trait" and the covariates; pedigrees numbered 1.. and persons 1..n within
// each in the sample's order, which kinsort and kinfit then see as row order),
// a task.inp naming it, and idmap.tsv to find every person's original ids.
// Written only for a sample that kinsort and kinfit can take whole: whole-
// number covariates, known sexes, no loops, within both programs' tables.
#pragma once

#include <string>

#include "pedigree/data_problem.hpp"
#include "pedigree/sample.hpp"

namespace kinseg {

inline constexpr const char* kKinsortDataFile = "kinseg.dat";

// Adds an error to `problems` for everything in the sample that kinsort or
// kinfit cannot take (the limit or the pedigree and persons named).
void check_kinsort_fit(const Sample& sample, DataProblems& problems);

// The three files' contents.
struct KinsortFiles {
  std::string data;   // kinseg.dat
  std::string task;   // task.inp
  std::string idmap;  // idmap.tsv
};
KinsortFiles kinsort_files(const Sample& sample);

// Writes the three files into `dir` (created when missing), whole or not at
// all; throws FileError.
void write_kinsort_files(const Sample& sample, const std::string& dir);

}  // namespace kinseg
