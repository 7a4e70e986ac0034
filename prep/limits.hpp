// Table limits of kinsort. The build may raise them (CMake cache variables of
// the same names); the defaults are the documented ones.
#pragma once

#ifndef KINSORT_MAX_PERSONS
#define KINSORT_MAX_PERSONS 4096
#endif
#ifndef KINSORT_MAX_COLUMNS
#define KINSORT_MAX_COLUMNS 26
#endif
#ifndef KINSORT_MAX_COV
#define KINSORT_MAX_COV 8
#endif
#ifndef KINSORT_MAX_PEDIGREES
#define KINSORT_MAX_PEDIGREES 606
#endif
#ifndef KINSORT_MAX_WAYS
#define KINSORT_MAX_WAYS 4094
#endif
#ifndef KINSORT_MAX_MEMBERS
#define KINSORT_MAX_MEMBERS 4096
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
