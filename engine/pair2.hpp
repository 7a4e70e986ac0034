// Two doubles side by side, for loops that treat two independent values at
// once. Each lane is computed exactly as it would be alone (the same IEEE
// operations in the same order), so results do not depend on the pairing.
#pragma once

#include <cstring>

namespace kin {

typedef double Pair2 __attribute__((vector_size(16)));
typedef long long Mask2 __attribute__((vector_size(16)));

inline Pair2 splat(double x) { return Pair2{x, x}; }

// The two doubles at p, p + 1.
inline Pair2 load2(const double* p) {
  Pair2 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline void store2(double* p, Pair2 v) { std::memcpy(p, &v, sizeof v); }

}  // namespace kin
