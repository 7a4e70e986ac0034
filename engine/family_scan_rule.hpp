// The family scan's rule, for kinfit and kinseg's engine alike, so that both
// analyse the same families: over a family's members it counts those of known
// trait and those affected, leaving out the members of proband code 0 (always
// conditioned on), and the probands. A family with no member of known trait
// so counted carries no information (weight 0 in kinfit, not analysed by the
// engine). Under proband ascertainment (mode 1) a family with no affected
// member so counted is excluded, and a family with no proband takes its first
// affected member, in row order, as its proband.
#pragma once

namespace kin {

struct ScanCounts {
  int informative = 0;  // known trait, proband code not 0
  int affected = 0;     // affected, proband code not 0
  int probands = 0;     // proband code 1
  int always_conditioned = 0;  // proband code 0
};

inline void count_member(ScanCounts& c, int proband_code, int trait) {
  c.always_conditioned += proband_code == 0;
  c.informative += proband_code != 0 && trait != 3;
  c.affected += proband_code != 0 && trait == 2;
  c.probands += proband_code == 1;
}

// Under proband ascertainment: the family is excluded.
inline bool excluded_for_want_of_affected(const ScanCounts& c, bool proband_mode) {
  return proband_mode && c.affected == 0;
}

// Under proband ascertainment: the family takes its first affected member as
// proband.
inline bool takes_first_affected_as_proband(const ScanCounts& c, bool proband_mode) {
  return proband_mode && c.probands == 0;
}

// The first p in [first, end) whose trait[p] is affected, or end.
template <class Trait>
int first_affected(const Trait* trait, int first, int end) {
  for (int p = first; p < end; ++p)
    if (trait[p] == 2) return p;
  return end;
}

}  // namespace kin
