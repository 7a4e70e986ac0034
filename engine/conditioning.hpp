// The conditioning rule of the ascertainment correction, for kinfit and
// kinseg's engine alike. A family contributes ln L(all traits) minus
// ln L(traits of its conditioning set); the conditioning set holds the members
// of proband code 0 (always conditioned on) and, under proband ascertainment
// (mode 1), the probands (code 1) too. The conditioning pass runs under every
// mode but 0, and under mode 0 only for a family with a member of code 0.
#pragma once

namespace kin {

// Whether a member of the given proband code belongs to the conditioning set.
inline bool in_conditioning_set(int mode, int proband_code) {
  return mode == 1 ? proband_code != 2 : proband_code == 0;
}

// Whether any of the proband codes code[first..end) is 0.
template <class Code>
bool any_always_conditioned(const Code* code, int first, int end) {
  bool any = false;
  for (int p = first; p < end; ++p) any = any || code[p] == 0;
  return any;
}

// Whether the family's conditioning pass runs.
inline bool conditioning_pass(int mode, bool any_always_conditioned) {
  return mode != 0 || any_always_conditioned;
}

}  // namespace kin
