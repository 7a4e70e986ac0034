// The pattern-search maximiser.
#pragma once

#include <cstdint>
#include <functional>

#include "fit/blocks.hpp"

namespace kinfit {

// The objective: evaluates ln LH at the point that stands in X and stores it in
// its argument (R_REJECT for a refused point).
using Objective = std::function<void(double&)>;

// Maximises FUN over the estimated parameters among slots 1..NPAR, starting
// from X and STEP; leaves the point where the search ended in X, the final
// steps in STEP, and FMAX, NITER, NFUN in OPTPAR1. Writes its progress to
// MAX_DAT (IPRINT >= 1) and its messages to PAR_ERR.
void METHGI(KinfitState& s, int32_t NPAR, double EPSF, double ALPHA, double EPSX, int32_t MAXIT,
            int32_t IPRINT, const Objective& FUN);

}  // namespace kinfit
