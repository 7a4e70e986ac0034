#pragma once

#include "common/console.hpp"
#include "prep/state.hpp"

namespace kinsort {

// Writes the prepared pedigree file iway.dat from the tables.
void WRITTEN(const KinsortState& s, kin::Console& con);

}  // namespace kinsort
