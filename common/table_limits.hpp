// Table limits of kinsort and kinfit. The build sets them: the CMake cache
// variables of the same names (top CMakeLists.txt, raised with cmake -DNAME=value)
// reach every user of this header through the kin_table_limits target, so
// kinsort, kinfit, kinseg's export for kinsort and kinsim size their checks
// alike.
#pragma once

#if !defined(KINSORT_MAX_PERSONS) || !defined(KINSORT_MAX_COLUMNS) || !defined(KINSORT_MAX_COV) || \
    !defined(KINSORT_MAX_PEDIGREES) || !defined(KINSORT_MAX_WAYS) || !defined(KINSORT_MAX_MEMBERS) ||  \
    !defined(KINFIT_N_FAM) || !defined(KINFIT_N_SIZE) || !defined(KINFIT_MAXPAR)
#error "the table limits come from the build: link the kin_table_limits target"
#endif

namespace kinsort {

inline constexpr int kMaxPersons = KINSORT_MAX_PERSONS;      // rows of DATA
inline constexpr int kMaxColumns = KINSORT_MAX_COLUMNS;      // columns of the data file
inline constexpr int kMaxCov = KINSORT_MAX_COV;              // covariates
inline constexpr int kMaxPedigrees = KINSORT_MAX_PEDIGREES;  // BUF1 holds kMaxPedigrees + 2
inline constexpr int kMaxWays = KINSORT_MAX_WAYS;            // BUF4 holds kMaxWays + 2
inline constexpr int kMaxMembers = KINSORT_MAX_MEMBERS;      // BUF6
inline constexpr int kNameLen = 20;                          // names in task.inp and the header

static_assert(kMaxPersons >= 1 && kMaxColumns >= 7 && kMaxCov >= 0 && kMaxPedigrees >= 1 &&
                  kMaxWays >= 1 && kMaxMembers >= 3,
              "kinsort limits too small");

}  // namespace kinsort

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
