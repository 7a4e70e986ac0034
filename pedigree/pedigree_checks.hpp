// Checks of a sample's relations once its parents are resolved: fathers coded
// male and mothers female (an unknown sex is taken from the role, as a
// warning), nobody both a father and a mother, and nobody their own ancestor
// (the cycle of parents is named).
#pragma once

#include "pedigree/data_problem.hpp"
#include "pedigree/sample.hpp"

namespace kinseg {

// Sets the unknown sex of a parent from its role; `warn` adds a warning for
// each such parent (off when the file has no sex column at all).
void check_parent_sexes(Sample& sample, DataProblems& problems, bool warn);

// Reports every cycle of parent links (a person who is their own ancestor).
// Returns the number of cycles found.
int check_own_ancestors(const Sample& sample, DataProblems& problems);

}  // namespace kinseg
