// The likelihood of the sample under the major-gene model: the penetrance of
// one person (FEN), a family's genotype work table (MASSIX), the peeling of a
// family's nuclear families (MMPFAM) and the ascertainment-corrected
// log-likelihood of the whole sample (GENMMP), the objective of the maximiser.
// Nothing here allocates: everything works in the fixed blocks of the state.
#pragma once

#include <cstdint>

#include "fit/blocks.hpp"

namespace kinfit {

// Probability of the trait of person row p given genotype g, with nU unaffected
// and nA affected parents; 1 when the trait does not enter the likelihood.
double FEN(const KinfitState& s, int p, int g, int nU, int nA);

// Fills rows 1..n of XX for family F: penetrance for a child of one of its
// nuclear families, frequency times penetrance for everybody else.
void MASSIX(KinfitState& s, int F);

// Log-likelihood LHF of family F over the members of its nuclear families, by
// peeling them in file order onto their link persons, with rescaling.
void MMPFAM(KinfitState& s, int F, double& LHF);

// The sample log-likelihood at the point in X, or R_REJECT for a refused point
// (also for a family whose likelihood vanishes or cannot be represented).
// In the final phase (IPHASE 2) it lists each family's contribution on LH_FAM
// and the console. It computes what MASSIX and MMPFAM compute, bit for bit, in
// its own work tables (PEN, XX2), running both passes of a family together; XX
// is left as it was.
void GENMMP(KinfitState& s, double& FLH);

}  // namespace kinfit
