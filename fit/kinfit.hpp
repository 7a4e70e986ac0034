#pragma once

#include "common/console.hpp"
#include "fit/blocks.hpp"

namespace kinfit {

// One whole analysis run in the current directory.
void KINFIT(KinfitState& s, kin::Console& con);

// Runs KINFIT and returns the exit status: 0 for a normal end, the stop's
// status otherwise.
int run_kinfit(KinfitState& s, kin::Console& con);

}  // namespace kinfit
