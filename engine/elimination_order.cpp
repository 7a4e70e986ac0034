#include "engine/elimination_order.hpp"

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

namespace kinseg {

namespace {

// The graph as rows of bits (adjacency tests in constant time) and as lists
// of neighbours (kept without the persons already summed out).
struct Graph {
  int n = 0;
  int words = 0;
  std::vector<uint64_t> bits;
  std::vector<std::vector<int>> nb;

  explicit Graph(int nvars) : n(nvars), words((nvars + 63) / 64), bits(static_cast<size_t>(words) * nvars, 0), nb(nvars) {}
  bool joined(int a, int b) const { return (bits[static_cast<size_t>(a) * words + b / 64] >> (b % 64)) & 1u; }
  void join(int a, int b) {
    if (a == b || joined(a, b)) return;
    bits[static_cast<size_t>(a) * words + b / 64] |= uint64_t{1} << (b % 64);
    bits[static_cast<size_t>(b) * words + a / 64] |= uint64_t{1} << (a % 64);
    nb[a].push_back(b);
    nb[b].push_back(a);
  }
  // The joins that summing out v would add among its neighbours.
  long fill(int v) const {
    const std::vector<int>& a = nb[v];
    long missing = 0;
    for (size_t i = 0; i < a.size(); ++i)
      for (size_t j = i + 1; j < a.size(); ++j) missing += !joined(a[i], a[j]);
    return missing;
  }
  void remove(int v) {
    for (int u : nb[v]) {
      std::vector<int>& l = nb[u];
      for (size_t i = 0; i < l.size(); ++i)
        if (l[i] == v) {
          l[i] = l.back();
          l.pop_back();
          break;
        }
      bits[static_cast<size_t>(u) * words + v / 64] &= ~(uint64_t{1} << (v % 64));
    }
  }
};

Graph graph_of(int nvars, const std::vector<std::vector<int>>& scopes) {
  Graph g(nvars);
  for (const std::vector<int>& s : scopes)
    for (size_t i = 0; i < s.size(); ++i)
      for (size_t j = i + 1; j < s.size(); ++j) g.join(s[i], s[j]);
  return g;
}

// One greedy order: by fill first (when min_fill), then by the number of
// neighbours, then by a tie key (the variable number, or drawn at random).
EliminationOrder greedy(Graph g, bool min_fill, unsigned seed) {
  const int n = g.n;
  std::vector<uint64_t> key(n);
  std::mt19937_64 rng(seed);
  for (int v = 0; v < n; ++v) key[v] = seed == 0 ? static_cast<uint64_t>(v) : rng();
  std::vector<long> fill(n, 0);
  if (min_fill)
    for (int v = 0; v < n; ++v) fill[v] = g.fill(v);
  std::vector<char> alive(n, 1), touched(n, 0);
  std::vector<int> stale;
  EliminationOrder o;
  o.order.reserve(n);
  for (int step = 0; step < n; ++step) {
    int best = -1;
    for (int v = 0; v < n; ++v) {
      if (!alive[v]) continue;
      if (best < 0) {
        best = v;
        continue;
      }
      const long fv = fill[v], fb = fill[best];
      const size_t dv = g.nb[v].size(), db = g.nb[best].size();
      if (fv < fb || (fv == fb && (dv < db || (dv == db && key[v] < key[best])))) best = v;
    }
    const std::vector<int> around = g.nb[best];
    const int k = static_cast<int>(around.size()) + 1;
    o.order.push_back(best);
    o.width = std::max(o.width, k);
    o.entries += std::pow(3.0, k);
    alive[best] = 0;
    g.remove(best);
    for (size_t i = 0; i < around.size(); ++i)
      for (size_t j = i + 1; j < around.size(); ++j) g.join(around[i], around[j]);
    if (!min_fill) continue;
    // The fill changes for the neighbours and for persons joined to two of them.
    stale.clear();
    for (int u : around) {
      if (!touched[u]) stale.push_back(u);
      touched[u] = 1;
      for (int w : g.nb[u])
        if (!touched[w]) {
          touched[w] = 1;
          stale.push_back(w);
        }
    }
    for (int u : stale) {
      fill[u] = g.fill(u);
      touched[u] = 0;
    }
  }
  return o;
}

}  // namespace

EliminationOrder elimination_order(int nvars, const std::vector<std::vector<int>>& scopes) {
  const Graph g = graph_of(nvars, scopes);
  struct Try {
    bool min_fill;
    unsigned seed;
  };
  const Try tries[] = {{true, 0}, {false, 0}, {true, 1}, {true, 2}, {false, 3}};
  EliminationOrder best;
  best.entries = std::numeric_limits<double>::infinity();
  for (const Try& t : tries) {
    EliminationOrder o = greedy(g, t.min_fill, t.seed);
    if (o.entries < best.entries) best = std::move(o);
  }
  if (nvars == 0) best.entries = 0.0;
  return best;
}

}  // namespace kinseg
