#pragma once

#include "common/console.hpp"
#include "fit/blocks.hpp"

namespace kinfit {

// The second half of a run: the initial evaluation, its console line and the
// pause; the stop on refused start values; the maximisation (max.dat); the
// estimates (sigma.DAT); the final evaluation listing each family (LH_fam.dat).
void analysis_run(KinfitState& s, kin::Console& con);

}  // namespace kinfit
