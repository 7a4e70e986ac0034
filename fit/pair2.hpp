// Two doubles side by side, for loops that treat two independent values at
// once. Each lane is computed exactly as it would be alone (the same IEEE
// operations in the same order), so results do not depend on the pairing.
#pragma once

namespace kinfit {

typedef double Pair2 __attribute__((vector_size(16)));
typedef long long Mask2 __attribute__((vector_size(16)));

}  // namespace kinfit
