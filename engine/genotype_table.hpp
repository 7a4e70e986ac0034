// The genotype work table of a family before it is peeled, both passes at
// once: a child of one of the family's nuclear families gets its penetrances
// (given its parents' traits), a founder and a member in no nuclear family the
// genotype frequencies times the penetrances; a trait left out of a pass counts
// 1. A copy of a loop breaker gets 1 for every genotype (the caller fixes its
// genotype).
#pragma once

#include <cstdint>

#include "engine/peeling_family.hpp"

namespace kin {

// Fills the rows of members 1..f.members in xx: lane 0 with all known traits,
// lane 1 with the conditioning set when `both` (under mode 1 the proband codes
// 0 and 1, under any other mode code 0), else with a copy of lane 0. P holds
// the frequencies of genotypes 1, 2, 3. Marks in done[m - 1] the members of
// some nuclear family and returns the number of persons in none (their rows
// are frequency times penetrance).
int fill_genotype_table(const PeelingFamily& f, const PassRecords& r, const double P[3], int mode,
                        bool both, double* __restrict xx, int32_t* __restrict done);

}  // namespace kin
