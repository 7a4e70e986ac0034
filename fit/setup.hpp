#pragma once

#include "fit/blocks.hpp"

namespace kinfit {

// The parameter defaults applied once after par.inp is read: a parameter whose
// term is absent starts at 0; an upper bound of 0 becomes 1; a step of 0 becomes
// a tenth of the (defaulted) range.
void apply_defaults(KinfitState& s);

// The checking set-up of the initial and the final evaluation: copies linked
// parameters, tests bounds and constraints, repairs a start value that lies
// exactly on a bound or an allele frequency that leaves no third genotype, and
// derives the model quantities. FSTAT = 1 accepted, R_REJECT refused (with one
// message on par.err).
void STAP0(KinfitState& s, double& FSTAT);

// The silent set-up of every evaluation of the maximisation: the same
// derivation, refusing any point on or outside a bound.
void STAPAR(KinfitState& s, double& FSTAT);

}  // namespace kinfit
