// Entry point of kinsort.
#pragma once

#include "common/console.hpp"
#include "prep/state.hpp"

namespace kinsort {

// Runs kinsort in the current directory. Returns the exit status: 0 for a
// normal end, else the status of the stop that ended the run.
int run_kinsort(KinsortState& s, kin::Console& con);

}  // namespace kinsort
