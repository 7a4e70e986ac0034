// Reference routines of the sample likelihood, kept for the tests and the
// fuzz targets and linked into no program: the penetrance of one person
// (FEN), a family's genotype work table (MASSIX) and the peeling of a family's
// nuclear families (MMPFAM), each written as the plain one-family, one-pass
// computation. kinfit runs GENMMP (fit/likelihood.hpp), which computes what
// MASSIX and MMPFAM compute, bit for bit, for both passes of a family at once;
// the tests hold the two to that equality.
#pragma once

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

}  // namespace kinfit
