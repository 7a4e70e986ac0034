// The genotype work table of a family, both passes side by side, from the
// penetrances computed beforehand.
#include "engine/genotype_table.hpp"

#include "engine/conditioning.hpp"
#include "engine/pair2.hpp"

namespace kin {

int fill_genotype_table(const PeelingFamily& f, const PassRecords& r, const double P[3], int mode,
                        bool both, double* __restrict xx, int32_t* __restrict done) {
  const int n = f.persons;
  const int base = f.base;
  const Ways& w = f.ways;

  // Which lanes take the penetrance of person p: lane 0 when its trait is
  // known, lane 1 when it also belongs to the conditioning set (without a
  // conditioning pass lane 1 repeats lane 0). The choice is made without
  // branching: traits and proband codes follow no pattern.
  auto lanes = [&](int p) {
    const bool first = r.trait[p] != 3;
    const bool second = !both ? first : first && in_conditioning_set(mode, r.prob[p]);
    return Mask2{-static_cast<long long>(first), -static_cast<long long>(second)};
  };
  const Pair2 one = splat(1.0);

  // Every row is written below, so only the marks need resetting.
  for (int m = 1; m <= f.members; ++m) done[m - 1] = 0;

  // Children: their penetrances given their parents' traits, or 1.
  for (int i = 0; i < w.count; ++i) {
    const int e = w.begin[i + 1];
    for (int j = w.begin[i] + 2; j < e; ++j) {
      const int k = w.list[j];
      const int p = base + k;
      done[k - 1] = 1;
      const Mask2 in = lanes(p);
      const double* pen = r.pen + 3L * (p - r.pen_first);
      for (int g = 1; g <= 3; ++g) store2(xx + xx_index(k, g), in ? splat(pen[g - 1]) : one);
    }
  }

  // Founders and members in no way: frequency times penetrance, or frequency.
  auto founder = [&](int m) {
    const int p = base + m;
    const Mask2 in = lanes(p);
    const double* pen = r.pen + 3L * (p - r.pen_first);
    for (int g = 1; g <= 3; ++g) {
      const Pair2 fr = splat(P[g - 1]);
      store2(xx + xx_index(m, g), in ? splat(pen[g - 1] * P[g - 1]) : fr);
    }
  };
  for (int i = 0; i < w.count; ++i) {
    const int b = w.begin[i];
    const int e = w.begin[i + 1];
    for (int j = b; j <= b + 1 && j < e; ++j) {
      const int m = w.list[j];
      if (done[m - 1] == 1) continue;
      done[m - 1] = 1;
      if (m <= n)
        founder(m);
      else
        for (int g = 1; g <= 3; ++g) store2(xx + xx_index(m, g), one);
    }
  }
  int unattached = 0;
  for (int m = 1; m <= n; ++m)
    if (done[m - 1] != 1) {
      founder(m);
      ++unattached;
    }
  return unattached;
}

}  // namespace kin
