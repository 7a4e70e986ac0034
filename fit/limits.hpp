// Table limits of kinfit. The build may raise them (CMake cache variables
// KINFIT_N_FAM, KINFIT_N_SIZE, KINFIT_MAXPAR); the defaults are the documented ones.
#pragma once

#ifndef KINFIT_N_FAM
#define KINFIT_N_FAM 604
#endif
#ifndef KINFIT_N_SIZE
#define KINFIT_N_SIZE 4096
#endif
#ifndef KINFIT_MAXPAR
#define KINFIT_MAXPAR 20
#endif

namespace kinfit {

inline constexpr int N_FAM = KINFIT_N_FAM;    // families (pedigrees)
inline constexpr int N_SIZE = KINFIT_N_SIZE;  // persons; ways + 2; member-list entries
inline constexpr int MAXPAR = KINFIT_MAXPAR;  // parameter slots in use at most
inline constexpr int NSLOT = 20;              // named parameter slots of the model
inline constexpr int MAXCOV = 8;              // covariates: one coefficient D1..D8 each
inline constexpr int MAXSEARCH = 30;          // parameter slots the maximiser can hold

static_assert(N_FAM >= 1 && N_SIZE >= 3, "kinfit limits too small");
static_assert(MAXPAR >= NSLOT && MAXPAR <= MAXSEARCH, "MAXPAR must lie in 20..30");

}  // namespace kinfit
