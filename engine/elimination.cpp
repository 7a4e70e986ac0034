#include "engine/elimination.hpp"

#include <cfloat>
#include <cmath>

#include "engine/pair2.hpp"
#include "engine/peel_both_passes.hpp"
#include "engine/peeling_family.hpp"

namespace kinseg {

namespace {

using kin::load2;
using kin::Pair2;
using kin::splat;
using kin::store2;

// Runs over the entries of step s's table: for each, the products of the
// inputs for the three genotypes of the step's variable, handed to
// fn(entry, products, index) with index[i] the entry of input i read for
// genotype 1.
template <class Fn>
void sweep(const EliminationPlan& p, const EliminationStep& s, EliminationSpace& w, Fn&& fn) {
  const int k = s.inputs;
  long* idx = w.index.data();
  int* dig = w.digit.data();
  for (int i = 0; i < k; ++i) idx[i] = 0;
  for (int d = 0; d < s.digits; ++d) dig[d] = 0;
  const int* tables = p.input_table.data() + s.first_input;
  const long* stride_at = p.stride_at.data() + s.first_input;
  const long* st = p.stride.data();
  const double* arena = w.arena.data();
  for (long o = 0; o < s.entries; ++o) {
    Pair2 pr[3] = {splat(1.0), splat(1.0), splat(1.0)};
    for (int i = 0; i < k; ++i) {
      const double* b = arena + p.offset[tables[i]] + 2 * idx[i];
      const long s0 = 2 * st[stride_at[i]];
      pr[0] = pr[0] * load2(b);
      pr[1] = pr[1] * load2(b + s0);
      pr[2] = pr[2] * load2(b + 2 * s0);
    }
    fn(o, pr, idx);
    for (int d = 1; d < s.digits; ++d) {
      if (++dig[d] < 3) {
        for (int i = 0; i < k; ++i) idx[i] += st[stride_at[i] + d];
        break;
      }
      dig[d] = 0;
      for (int i = 0; i < k; ++i) idx[i] -= 2 * st[stride_at[i] + d];
    }
  }
}

// The largest entry of each lane of a table of `entries` entries.
Pair2 largest(const double* t, long entries) {
  Pair2 m = splat(0.0);
  for (long e = 0; e < entries; ++e) {
    const Pair2 x = load2(t + 2 * e);
    m = Pair2{x[0] > m[0] ? x[0] : m[0], x[1] > m[1] ? x[1] : m[1]};
  }
  return m;
}

void divide(double* t, long entries, Pair2 by) {
  const Pair2 inv = splat(1.0) / by;
  for (long e = 0; e < entries; ++e) store2(t + 2 * e, load2(t + 2 * e) * inv);
}

}  // namespace

void EliminationSpace::reserve(const EliminationPlan& p) {
  arena.assign(static_cast<size_t>(p.arena), 0.0);
  int most = 1;
  for (const EliminationStep& s : p.steps) most = std::max(most, s.inputs);
  index.assign(static_cast<size_t>(most), 0);
  digit.assign(static_cast<size_t>(p.width) + 1, 0);
}

int eliminate(const EliminationPlan& p, const double* xx, const double* tranc, EliminationSpace& w,
              double (&lnl)[2]) {
  double* arena = w.arena.data();
  for (int v = 0; v < p.nvars; ++v) {
    double* t = arena + p.offset[v];
    const int m = p.member[v];
    const Pair2 row[3] = {load2(xx + kin::xx_index(m, 1)), load2(xx + kin::xx_index(m, 2)),
                          load2(xx + kin::xx_index(m, 3))};
    if (p.father[v] < 0) {
      for (int g = 0; g < 3; ++g) store2(t + 2 * g, row[g]);
    } else {
      for (int e = 0; e < 27; ++e) store2(t + 2 * e, splat(tranc[e]) * row[e % 3]);
    }
  }
  double A[2] = {0.0, 0.0};
  int status[2] = {kin::kPeeled, kin::kPeeled};
  for (size_t i = 0; i < p.steps.size(); ++i) {
    const EliminationStep& s = p.steps[i];
    double* out = arena + p.offset[p.nvars + i];
    sweep(p, s, w, [out](long o, const Pair2(&pr)[3], const long*) { store2(out + 2 * o, pr[0] + pr[1] + pr[2]); });
    const Pair2 top = largest(out, s.entries);
    for (int lane = 0; lane < 2; ++lane) {
      if (status[lane] != kin::kPeeled) continue;
      if (top[lane] > 0.0 && top[lane] <= DBL_MAX)
        A[lane] = A[lane] + std::log(top[lane]);
      else
        status[lane] = top[lane] == 0.0 ? kin::kVanished : kin::kUnrepresentable;
    }
    if (status[0] != kin::kPeeled && status[1] != kin::kPeeled) break;
    // A failed lane is divided by 1 so that the other goes on undisturbed.
    const Pair2 by = {status[0] == kin::kPeeled ? top[0] : 1.0, status[1] == kin::kPeeled ? top[1] : 1.0};
    divide(out, s.entries, by);
  }
  lnl[0] = A[0];
  lnl[1] = A[1];
  return status[0] | status[1] << 2;
}

void eliminate_back(const EliminationPlan& p, EliminationSpace& w, double* post) {
  w.down.resize(w.arena.size());
  double* down = w.down.data();
  const double* arena = w.arena.data();
  const int* tables = p.input_table.data();
  for (size_t i = p.steps.size(); i-- > 0;) {
    const EliminationStep& s = p.steps[i];
    double* mine = down + p.offset[p.nvars + i];
    if (s.entries == 1 && s.digits == 1) store2(mine, splat(1.0));  // a last step: nothing sent down
    for (int j = 0; j < s.inputs; ++j) {
      const int t = tables[s.first_input + j];
      if (t < p.nvars) continue;
      const long entries = p.steps[t - p.nvars].entries;
      for (long e = 0; e < 2 * entries; ++e) down[p.offset[t] + e] = 0.0;
    }
    Pair2 marg[3] = {splat(0.0), splat(0.0), splat(0.0)};
    const long* stride_at = p.stride_at.data() + s.first_input;
    sweep(p, s, w, [&](long o, const Pair2(&pr)[3], const long* idx) {
      const Pair2 d = load2(mine + 2 * o);
      const Pair2 b[3] = {pr[0] * d, pr[1] * d, pr[2] * d};
      for (int g = 0; g < 3; ++g) marg[g] = marg[g] + b[g];
      for (int j = 0; j < s.inputs; ++j) {
        const int t = tables[s.first_input + j];
        if (t < p.nvars) continue;
        double* to = down + p.offset[t] + 2 * idx[j];
        const long s0 = 2 * p.stride[stride_at[j]];
        for (int g = 0; g < 3; ++g) store2(to + g * s0, load2(to + g * s0) + b[g]);
      }
    });
    const Pair2 total = marg[0] + marg[1] + marg[2];
    for (int g = 0; g < 3; ++g) store2(post + 6 * s.var + 2 * g, marg[g] / total);
    // What each earlier step's table receives: the belief summed onto its
    // digits, divided by the table itself (0 where the table is 0: the belief
    // is 0 there whatever is sent).
    for (int j = 0; j < s.inputs; ++j) {
      const int t = tables[s.first_input + j];
      if (t < p.nvars) continue;
      const long entries = p.steps[t - p.nvars].entries;
      double* d = down + p.offset[t];
      const double* m = arena + p.offset[t];
      for (long e = 0; e < 2 * entries; ++e) d[e] = m[e] > 0.0 ? d[e] / m[e] : 0.0;
      Pair2 top = largest(d, entries);
      for (int lane = 0; lane < 2; ++lane)
        if (!(top[lane] > 0.0)) top[lane] = 1.0;
      divide(d, entries, top);
    }
  }
}

}  // namespace kinseg
