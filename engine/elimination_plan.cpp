#include "engine/elimination_plan.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/elimination_order.hpp"

namespace kinseg {

EliminationPlan elimination_plan(const std::vector<int>& member, const std::vector<int>& father,
                                 const std::vector<int>& mother) {
  EliminationPlan p;
  const int n = static_cast<int>(member.size());
  p.nvars = n;
  p.member = member;
  p.father = father;
  p.mother = mother;

  // The variables each table reads, in the order of its strides.
  std::vector<std::vector<int>> scope(n);
  for (int v = 0; v < n; ++v) {
    scope[v] = {v};
    if (father[v] >= 0) {
      scope[v].push_back(father[v]);
      scope[v].push_back(mother[v]);
    }
  }
  const EliminationOrder order = elimination_order(n, scope);

  // The tables not yet used, by the variables they read.
  std::vector<std::vector<int>> unused(n);
  for (int t = 0; t < n; ++t)
    for (int v : scope[t]) unused[v].push_back(t);
  std::vector<char> used(n, 0);
  std::vector<int> position(n, -1);  // a variable's digit in the current step
  for (int v : order.order) {
    EliminationStep s;
    s.var = v;
    s.first_input = static_cast<int>(p.input_table.size());
    std::vector<int> digits = {v};
    position[v] = 0;
    for (int t : unused[v]) {
      if (used[t]) continue;
      used[t] = 1;
      p.input_table.push_back(t);
      for (int u : scope[t])
        if (position[u] < 0) {
          position[u] = static_cast<int>(digits.size());
          digits.push_back(u);
        }
    }
    s.inputs = static_cast<int>(p.input_table.size()) - s.first_input;
    s.digits = static_cast<int>(digits.size());
    for (int i = s.first_input; i < s.first_input + s.inputs; ++i) {
      const std::vector<int>& sc = scope[p.input_table[i]];
      p.stride_at.push_back(static_cast<long>(p.stride.size()));
      const size_t at = p.stride.size();
      p.stride.resize(at + s.digits, 0);
      long st = 1;
      for (int u : sc) {
        p.stride[at + position[u]] = st;
        st *= 3;
      }
    }
    // The step's own table reads the digits after the first, in order.
    const int table = static_cast<int>(scope.size());
    scope.emplace_back(digits.begin() + 1, digits.end());
    used.push_back(0);
    for (int u : scope.back()) unused[u].push_back(table);
    for (int u : digits) position[u] = -1;
    s.entries = 1;
    for (int d = 1; d < s.digits; ++d) s.entries *= 3;
    p.width = std::max(p.width, s.digits);
    p.work += 3.0 * static_cast<double>(s.entries) * (s.inputs + 1);
    p.steps.push_back(s);
  }

  long at = 0;
  p.offset.resize(scope.size());
  for (size_t t = 0; t < scope.size(); ++t) {
    p.offset[t] = at;
    long entries = 1;
    for (size_t d = 0; d < scope[t].size(); ++d) entries *= 3;
    at += 2 * entries;
  }
  p.arena = at;
  return p;
}

}  // namespace kinseg

namespace kinseg {

namespace {

// Seconds per unit of a plan's work (one input read for one entry of a
// product), measured on the benchmarks' isolates (BENCHMARKS.md).
constexpr double kSecondsPerWork = 2.5e-9;
// Seconds per person peeled, penetrances included (the 28,014-person sample).
constexpr double kSecondsPerPeeledPerson = 6.0e-8;

std::string figure(double x, const char* unit) {
  char b[48];
  std::snprintf(b, sizeof b, x < 10 ? "%.1f %s" : "%.0f %s", x, unit);
  return b;
}

}  // namespace

EliminationPlan elimination_plan(const std::vector<NuclearFamily>& families, int size) {
  std::vector<int> var(size, -1), member, father, mother;
  auto add = [&](int m) {
    if (var[m] >= 0) return;
    var[m] = static_cast<int>(member.size());
    member.push_back(m + 1);
    father.push_back(-1);
    mother.push_back(-1);
  };
  std::vector<char> in_family(size, 0);
  for (const NuclearFamily& f : families) {
    in_family[f.father] = in_family[f.mother] = 1;
    for (int c : f.children) in_family[c] = 1;
  }
  for (int m = 0; m < size; ++m)
    if (in_family[m]) add(m);
  for (const NuclearFamily& f : families)
    for (int c : f.children) {
      father[var[c]] = var[f.father];
      mother[var[c]] = var[f.mother];
    }
  return elimination_plan(member, father, mother);
}

double breaking_seconds(int breakers, int persons) {
  return kSecondsPerPeeledPerson * std::pow(3.0, breakers) * persons;
}

EliminationCost elimination_cost(const EliminationPlan& p, int loops) {
  EliminationCost c;
  c.loops = loops;
  c.width = p.width;
  c.bytes = 8.0 * static_cast<double>(p.arena);
  c.seconds = kSecondsPerWork * p.work;
  return c;
}

std::string elimination_cost_text(const EliminationCost& c) {
  char t[48];
  if (c.seconds < 0.001)
    std::snprintf(t, sizeof t, "under 1 ms");
  else if (c.seconds < 1.0)
    std::snprintf(t, sizeof t, c.seconds < 0.01 ? "about %.1f ms" : "about %.0f ms", 1000.0 * c.seconds);
  else
    std::snprintf(t, sizeof t, c.seconds < 10.0 ? "about %.2g s" : "about %.0f s", c.seconds);
  const double kb = c.bytes / 1024.0;
  const std::string memory = kb < 1024.0            ? figure(kb, "kB")
                             : kb < 1024.0 * 1024.0 ? figure(kb / 1024.0, "MB")
                                                    : figure(kb / (1024.0 * 1024.0), "GB");
  const std::string loops = std::to_string(c.loops) + (c.loops == 1 ? " loop" : " loops");
  if (c.breakers > 0) {
    long peelings = 1;
    for (int b = 0; b < c.breakers; ++b) peelings *= 3;
    return loops + ", broken at " + std::to_string(c.breakers) + (c.breakers == 1 ? " person (" : " persons (") +
           std::to_string(peelings) + " peelings), " + t + " per evaluation";
  }
  return loops + ", tables over up to " +
         std::to_string(c.width) + " persons (3^" + std::to_string(c.width) + " entries), " + memory + ", " + t +
         " per evaluation";
}

}  // namespace kinseg
