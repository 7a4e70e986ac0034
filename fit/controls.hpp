// kinfit's control files: maxpar.inp (the maximiser's settings and the number
// of parameters) and par.inp (ascertainment mode, family flags, one line per
// parameter).
#pragma once

#include "common/console.hpp"
#include "common/free_input.hpp"
#include "fit/blocks.hpp"

namespace kinfit {

// Reads the six values of maxpar.inp: IPRINT, EPSX, MAXIT, ALPHA, EPSF, NPAR.
void read_maxpar(KinfitState& s, kin::Console& con);

// Reads par.inp: NFAMP and MODE, the family flags LUK(1..NFAMP) in columns of
// twenty, then NPAR lines of LINK, IUSE, IEST, X, STEP, GL, GR. Refuses more
// family flags than there are family slots, and a LINK outside 1..NPAR.
void read_par(KinfitState& s, kin::Console& con, kin::FreeInput& par);

}  // namespace kinfit
