#include "analysis/second_maximum.hpp"

#include <algorithm>
#include <cmath>

namespace kinseg {

bool differ_materially(const std::vector<double>& a, const std::vector<double>& b, const MaximumComparison& how) {
  for (size_t c = 0; c < a.size() && c < b.size(); ++c) {
    if (c < how.flat.size() && how.flat[c]) continue;
    const double range = how.upper[c] - how.lower[c];
    const double unit = std::min(how.scale[c], std::isfinite(range) ? range : how.scale[c]);
    if (std::abs(a[c] - b[c]) > kMaterialShare * unit) return true;
  }
  return false;
}

std::optional<RunnerUp> second_maximum(const std::vector<StartRecord>& starts, int best_start,
                                       const std::vector<double>& best, double best_lnl,
                                       const MaximumComparison& how) {
  const std::vector<double> best_mirror = how.mirror ? how.mirror(best) : best;
  const bool ridge = std::find(how.flat.begin(), how.flat.end(), true) != how.flat.end();
  std::optional<RunnerUp> out;
  for (size_t s = 0; s < starts.size(); ++s) {
    const StartRecord& r = starts[s];
    if (static_cast<int>(s) == best_start || !r.lnl || r.end_state != SearchEnd::converged) continue;
    const double below = best_lnl - *r.lnl;
    if (!(below <= kSecondMaximumWithin)) continue;
    if (ridge && below <= how.tie) continue;
    if (out && *r.lnl <= out->lnl) continue;
    if (!differ_materially(r.end, best, how) || !differ_materially(r.end, best_mirror, how)) continue;
    if (how.lnl) {
      std::vector<double> halfway(best.size());
      for (size_t c = 0; c < best.size(); ++c) halfway[c] = 0.5 * (best[c] + r.end[c]);
      const double between = how.lnl(halfway);
      if (std::isfinite(between) && between > std::min(best_lnl, *r.lnl) - how.valley) continue;
    }
    out = RunnerUp{static_cast<int>(s), *r.lnl, std::max(0.0, below), r.end};
  }
  return out;
}

}  // namespace kinseg
