// One pedigree as the peeling reads it, in flat arrays: its nuclear families
// ("ways") in peeling order with their member lists and link persons, and where
// its members' records stand. Members are numbered from 1. Members 1..persons
// are persons of the sample; members beyond are the copies of loop breakers,
// founders that hold a breaker's children and have no records of their own.
#pragma once

#include <cstdint>

namespace kin {

struct Ways {
  // Way i lists its members at list[begin[i]] .. list[begin[i + 1] - 1]: the
  // father, the mother, then the children, a link child first.
  const int32_t* begin = nullptr;  // count + 1 entries
  const int32_t* list = nullptr;
  // link[i]: the member that way i shares with the ways peeled after it, 0
  // for none (the way is then peeled onto its father).
  const int32_t* link = nullptr;
  int count = 0;
};

struct PeelingFamily {
  Ways ways;
  int persons = 0;  // members 1..persons have records
  int members = 0;  // persons and copies
  int base = 0;     // the records of member m are those of person base + m
};

// The records the genotype work table reads, indexed by person.
struct PassRecords {
  const int32_t* trait = nullptr;  // 1 unaffected, 2 affected, 3 unknown
  const int32_t* prob = nullptr;   // proband code 0, 1 or 2
  // The penetrances: pen[3 (p - pen_first) + g - 1] for person p and genotype
  // g, set for every known trait.
  const double* pen = nullptr;
  int pen_first = 0;
};

// The genotype work table of a family holds both passes side by side (lane 0:
// all traits; lane 1: the traits of the conditioning set): member m's value
// for genotype g and lane l stands at xx[6 (m - 1) + 2 (g - 1) + l].
inline long xx_index(int m, int g) { return 6L * (m - 1) + 2 * (g - 1); }

}  // namespace kin
