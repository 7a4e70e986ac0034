#include "engine/family_evaluation.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "engine/family_log_likelihood.hpp"
#include "engine/genotype_table.hpp"

namespace kinseg {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// ln of a sum of exponentials, the terms added one by one in a fixed order
// (so the result does not depend on anything but the terms), scaled by the
// largest term seen so far.
struct LogSum {
  double top = -kInf;
  double sum = 0.0;
  void add(double a) {
    if (a > top) {
      sum = sum * std::exp(top - a) + 1.0;
      top = a;
    } else {
      sum = sum + std::exp(a - top);
    }
  }
  bool empty() const { return sum == 0.0; }
  double value() const { return top + std::log(sum); }
};

void set_row(double* xx, int m, int g, double v) {
  xx[kin::xx_index(m, g)] = v;
  xx[kin::xx_index(m, g) + 1] = v;
}

// Keeps only genotype g in member m's row; true when the row is then 0 in
// both lanes.
bool restrict_row(double* xx, int m, int g) {
  for (int h = 1; h <= 3; ++h)
    if (h != g) set_row(xx, m, h, 0.0);
  return xx[kin::xx_index(m, g)] == 0.0 && xx[kin::xx_index(m, g) + 1] == 0.0;
}

// Appends way i of `from` to the set (begin, link, list) as the peeling reads it.
void append_way(const kin::Ways& from, int i, std::vector<int32_t>& begin, std::vector<int32_t>& link,
                std::vector<int32_t>& list) {
  if (begin.empty()) begin.push_back(0);
  for (int j = from.begin[i]; j < from.begin[i + 1]; ++j) list.push_back(from.list[j]);
  begin.push_back(static_cast<int32_t>(list.size()));
  link.push_back(from.link[i]);
}

kin::Ways ways_of(const std::vector<int32_t>& begin, const std::vector<int32_t>& link,
                  const std::vector<int32_t>& list) {
  kin::Ways w;
  w.count = static_cast<int>(link.size());
  if (w.count > 0) {
    w.begin = begin.data();
    w.link = link.data();
    w.list = list.data();
  }
  return w;
}

// Sorts the family's ways into those that the fixed members (the breakers,
// their copies, and `clamp` when > 0) reach and those they do not. A way is
// reached when one of its members is fixed or is the link of a reached way
// peeled before it; its own link (its father when it has none) is then
// reached too, and is set afresh in every combination.
void split_ways(const EngineFamily& f, int clamp, FamilyWorkspace& w) {
  const kin::PeelingFamily& pf = f.peeling;
  const kin::Ways& ways = pf.ways;
  std::fill(w.reached.begin(), w.reached.begin() + pf.members, 0);
  w.fixed.clear();
  auto fix = [&](int m) {
    if (w.reached[m - 1] == 0) {
      w.reached[m - 1] = 1;
      w.fixed.push_back(m);
    }
  };
  for (int i = 0; i < f.nbreakers; ++i) {
    fix(f.breakers[i]);
    fix(pf.persons + 1 + i);
  }
  if (clamp > 0) fix(clamp);
  w.once_begin.clear();
  w.once_link.clear();
  w.once_list.clear();
  w.each_begin.clear();
  w.each_link.clear();
  w.each_list.clear();
  for (int i = 0; i < ways.count; ++i) {
    bool reached = false;
    for (int j = ways.begin[i]; j < ways.begin[i + 1] && !reached; ++j) reached = w.reached[ways.list[j] - 1] != 0;
    if (reached) {
      append_way(ways, i, w.each_begin, w.each_link, w.each_list);
      fix(ways.link[i] != 0 ? ways.link[i] : ways.list[ways.begin[i]]);
    } else {
      append_way(ways, i, w.once_begin, w.once_link, w.once_list);
    }
  }
}

// The log-likelihoods of both lanes over the members of the nuclear families,
// summed over the breakers' genotypes, from the genotype work table in
// w.table; with clamp > 0, member `clamp` is held at genotype cg. Returns the
// lanes' statuses as peel_both_passes does: kVanished when every combination
// vanishes, kUnrepresentable when one cannot be represented.
int peel_over_breakers(const EngineFamily& f, const ModelQuantities& q, FamilyWorkspace& w, bool both,
                       int clamp, int cg, double (&lnl)[2]) {
  const kin::PeelingFamily& pf = f.peeling;
  split_ways(f, clamp, w);
  double* xx = w.xx.data();
  std::memcpy(xx, w.table.data(), sizeof(double) * 6 * static_cast<size_t>(pf.members));

  // The ways that no fixed genotype reaches, once.
  double once[2] = {0.0, 0.0};
  int once_status = 0;
  const kin::Ways once_ways = ways_of(w.once_begin, w.once_link, w.once_list);
  if (once_ways.count > 0) once_status = kin::peel_both_passes(once_ways, q.pairs, both, xx, once);
  const size_t nfixed = w.fixed.size();
  for (size_t i = 0; i < nfixed; ++i)
    std::memcpy(&w.fixed_rows[6 * i], xx + kin::xx_index(w.fixed[i], 1), 6 * sizeof(double));

  // The others, once per combination of the breakers' genotypes.
  const kin::Ways each_ways = ways_of(w.each_begin, w.each_link, w.each_list);
  long combos = 1;
  for (int i = 0; i < f.nbreakers; ++i) combos *= 3;
  LogSum sums[2];
  bool unrepresentable[2] = {false, false};
  for (long c = 0; c < combos; ++c) {
    for (size_t i = 0; i < nfixed; ++i)
      std::memcpy(xx + kin::xx_index(w.fixed[i], 1), &w.fixed_rows[6 * i], 6 * sizeof(double));
    bool vanished = false;
    long rest = c;
    for (int i = 0; i < f.nbreakers; ++i) {
      const int g = static_cast<int>(rest % 3) + 1;
      rest /= 3;
      vanished = restrict_row(xx, f.breakers[i], g) || vanished;
      const int copy = pf.persons + 1 + i;
      for (int h = 1; h <= 3; ++h) set_row(xx, copy, h, h == g ? 1.0 : 0.0);
    }
    if (clamp > 0) vanished = restrict_row(xx, clamp, cg) || vanished;
    if (vanished) continue;
    double a[2] = {0.0, 0.0};
    const int status = each_ways.count > 0 ? kin::peel_both_passes(each_ways, q.pairs, both, xx, a) : 0;
    for (int lane = 0; lane < 2; ++lane) {
      const int s = kin::lane_status(status, lane);
      if (s == kin::kPeeled)
        sums[lane].add(a[lane]);
      else if (s == kin::kUnrepresentable)
        unrepresentable[lane] = true;
    }
  }
  int statuses = 0;
  for (int lane = 0; lane < 2; ++lane) {
    int s = kin::lane_status(once_status, lane);
    if (s == kin::kPeeled && unrepresentable[lane]) s = kin::kUnrepresentable;
    if (s == kin::kPeeled && sums[lane].empty()) s = kin::kVanished;
    lnl[lane] = s == kin::kPeeled ? once[lane] + sums[lane].value() : -kInf;
    statuses |= s << (2 * lane);
  }
  return statuses;
}

// The same for a pedigree with loops, from its elimination: the genotype work
// table is filled; members in no nuclear family have their rows normalised.
bool eliminated_genotype_probabilities(const EngineFamily& f, const ModelQuantities& q, FamilyWorkspace& w,
                                       double* (&out)[2]) {
  const EliminationPlan& p = *f.plan;
  EliminationSpace& e = *f.elimination;
  // With a conditioning pass the tables of the evaluation just made (from the
  // same genotype work table) are still in place; else they are made afresh,
  // with both lanes.
  double lnl[2];
  if (!f.conditioning && eliminate(p, w.table.data(), q.tranc, e, lnl) != 0) return false;
  e.post.resize(6 * static_cast<size_t>(p.nvars));
  eliminate_back(p, e, e.post.data());
  for (int v = 0; v < p.nvars; ++v)
    for (int g = 0; g < 3; ++g)
      for (int lane = 0; lane < 2; ++lane) {
        const double x = e.post[6 * v + 2 * g + lane];
        if (!std::isfinite(x)) return false;
        out[lane][3 * (p.member[v] - 1) + g] = x;
      }
  for (int m = 1; m <= f.peeling.persons; ++m) {
    if (w.done[m - 1] != 0) continue;
    for (int lane = 0; lane < 2; ++lane) {
      double total = 0.0;
      for (int g = 1; g <= 3; ++g) total = total + w.table[kin::xx_index(m, g) + lane];
      if (!(total > 0.0) || !std::isfinite(total)) return false;
      for (int g = 1; g <= 3; ++g) out[lane][3 * (m - 1) + g - 1] = w.table[kin::xx_index(m, g) + lane] / total;
    }
  }
  return true;
}

FamilyLikelihood refused() {
  FamilyLikelihood r;
  r.lnl_all = r.lnl_cond = r.contribution = -kInf;
  r.refused = true;
  return r;
}

}  // namespace

void FamilyWorkspace::reserve(int members, int ways, int entries) {
  xx.assign(6 * static_cast<size_t>(members), 0.0);
  table.assign(6 * static_cast<size_t>(members), 0.0);
  done.assign(static_cast<size_t>(members), 0);
  reached.assign(static_cast<size_t>(members), 0);
  for (auto* v : {&once_begin, &each_begin}) v->reserve(static_cast<size_t>(ways) + 1);
  for (auto* v : {&once_link, &each_link}) v->reserve(static_cast<size_t>(ways));
  for (auto* v : {&once_list, &each_list}) v->reserve(static_cast<size_t>(entries));
  fixed.reserve(static_cast<size_t>(members));
  fixed_rows.assign(6 * static_cast<size_t>(members), 0.0);
}

FamilyLikelihood evaluate_family(const EngineFamily& f, const kin::PassRecords& r,
                                 const ModelQuantities& q, FamilyWorkspace& w) {
  const bool both = f.conditioning;
  double lhf[2] = {0.0, 0.0};
  if (f.plan) {
    const int unattached =
        kin::fill_genotype_table(f.peeling, r, q.P, f.mode, both, w.table.data(), w.done.data());
    if (eliminate(*f.plan, w.table.data(), q.tranc, *f.elimination, lhf) != 0) return refused();
    if (unattached > 0 && !kin::add_unattached(f.peeling, w.table.data(), w.done.data(), both, lhf))
      return refused();
    if (!both) lhf[1] = lhf[0];
    if (!std::isfinite(lhf[0]) || !std::isfinite(lhf[1])) return refused();
  } else if (f.nbreakers == 0) {
    // Exactly kinfit's family step.
    if (!kin::family_log_likelihood(f.peeling, r, q.P, q.pairs, f.mode, both, w.xx.data(),
                                    w.done.data(), lhf))
      return refused();
  } else {
    const int unattached =
        kin::fill_genotype_table(f.peeling, r, q.P, f.mode, both, w.table.data(), w.done.data());
    if (peel_over_breakers(f, q, w, both, 0, 0, lhf) != 0) return refused();
    if (unattached > 0 && !kin::add_unattached(f.peeling, w.table.data(), w.done.data(), both, lhf))
      return refused();
    if (!both) lhf[1] = lhf[0];
    if (!std::isfinite(lhf[0]) || !std::isfinite(lhf[1])) return refused();
  }
  FamilyLikelihood res;
  res.lnl_all = lhf[0];
  res.lnl_cond = both ? lhf[1] : 0.0;
  double acc = 0.0;
  acc = acc + lhf[0];
  if (both) acc = acc - lhf[1];
  res.contribution = acc;
  return res;
}

bool family_genotype_probabilities(const EngineFamily& f, const kin::PassRecords& r,
                                   const ModelQuantities& q, FamilyWorkspace& w, double* all,
                                   double* conditioning) {
  const kin::PeelingFamily& pf = f.peeling;
  // Both lanes always: without a conditioning pass the conditioning set is
  // empty, and lane 1 then gives the probabilities without any trait.
  kin::fill_genotype_table(pf, r, q.P, f.mode, true, w.table.data(), w.done.data());
  double* out[2] = {all, conditioning};
  if (f.plan) return eliminated_genotype_probabilities(f, q, w, out);
  for (int m = 1; m <= pf.persons; ++m) {
    double lnl[3][2];
    if (w.done[m - 1] == 0) {
      // In no nuclear family: the row is frequency times penetrance.
      for (int g = 1; g <= 3; ++g)
        for (int lane = 0; lane < 2; ++lane) {
          const double v = w.table[kin::xx_index(m, g) + lane];
          lnl[g - 1][lane] = v > 0.0 ? std::log(v) : -kInf;
        }
    } else {
      for (int g = 1; g <= 3; ++g) {
        const int status = peel_over_breakers(f, q, w, true, m, g, lnl[g - 1]);
        for (int lane = 0; lane < 2; ++lane)
          if (kin::lane_status(status, lane) == kin::kUnrepresentable) return false;
      }
    }
    for (int lane = 0; lane < 2; ++lane) {
      LogSum total;
      for (int g = 0; g < 3; ++g)
        if (lnl[g][lane] > -kInf) total.add(lnl[g][lane]);
      if (total.empty() || !std::isfinite(total.value())) return false;
      const double ln_total = total.value();
      for (int g = 0; g < 3; ++g) out[lane][3 * (m - 1) + g] = std::exp(lnl[g][lane] - ln_total);
    }
  }
  return true;
}

}  // namespace kinseg
