// The likelihood of the sample under the major-gene model: the
// ascertainment-corrected log-likelihood of the whole sample (GENMMP), the
// objective of the maximiser. Nothing here allocates: everything works in the
// fixed blocks of the state. The plain one-family routines it is checked
// against live in fit/reference/.
#pragma once

#include "fit/blocks.hpp"

namespace kinfit {

// The sample log-likelihood at the point in X, or R_REJECT for a refused point
// (also for a family whose likelihood vanishes or cannot be represented).
// In the final phase (IPHASE 2) it lists each family's contribution on LH_FAM
// and the console. It computes what the reference routines MASSIX and MMPFAM
// compute, bit for bit, in its own work tables (PEN, XX2), running both passes
// of a family together; XX is left as it was.
void GENMMP(KinfitState& s, double& FLH);

}  // namespace kinfit
