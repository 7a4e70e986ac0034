// Nuclear families, loop breakers and peeling order of one pedigree.
//
// The pedigree is seen as a graph whose nodes are its members and its nuclear
// families, each family joined to its father, its mother and each child. A
// loop is a cycle of that graph; the number of independent loops is its cycle
// rank, edges - nodes + connected parts. Duplicating a member b (the original
// keeps the edge to the family it is a child of, the copy takes the edges to
// the families it is a parent of) removes one loop exactly when that child
// edge lies on a cycle, that is when it is not a bridge of the graph. The
// breakers are chosen one at a time among such members, the latest in row
// order first (in a pedigree drawn generation by generation that is a spouse
// of the marriage that closes the loop), until no loop is left.
#include "pedigree/pedigree_structure.hpp"

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <utility>

namespace kinseg {

namespace {

// The graph of members and families, with the edges of each node.
// Node m < members is a member, node members + f is family f.
struct FamilyGraph {
  int nodes = 0;
  std::vector<int> from, to;              // edge e joins from[e] and to[e]
  std::vector<std::vector<int>> edges;    // edges of each node

  void add(int a, int b) {
    const int e = static_cast<int>(from.size());
    from.push_back(a);
    to.push_back(b);
    edges[a].push_back(e);
    edges[b].push_back(e);
  }
  int other(int e, int v) const { return from[e] == v ? to[e] : from[e]; }
};

FamilyGraph graph_of(const std::vector<NuclearFamily>& fams, int members) {
  FamilyGraph g;
  g.nodes = members + static_cast<int>(fams.size());
  g.edges.assign(g.nodes, {});
  for (size_t f = 0; f < fams.size(); ++f) {
    const int node = members + static_cast<int>(f);
    g.add(fams[f].father, node);
    g.add(fams[f].mother, node);
    for (int c : fams[f].children) g.add(c, node);
  }
  return g;
}

// Connected parts of the graph.
int parts(const FamilyGraph& g) {
  std::vector<int> seen(g.nodes, 0), stack;
  int count = 0;
  for (int s = 0; s < g.nodes; ++s) {
    if (seen[s]) continue;
    ++count;
    seen[s] = 1;
    stack.push_back(s);
    while (!stack.empty()) {
      const int v = stack.back();
      stack.pop_back();
      for (int e : g.edges[v]) {
        const int u = g.other(e, v);
        if (!seen[u]) {
          seen[u] = 1;
          stack.push_back(u);
        }
      }
    }
  }
  return count;
}

int cycle_rank(const FamilyGraph& g) {
  return static_cast<int>(g.from.size()) - g.nodes + parts(g);
}

// Marks the bridges of the graph (edges on no cycle), by a depth-first search
// kept on an explicit stack so that deep pedigrees cannot exhaust the call
// stack.
std::vector<char> bridges(const FamilyGraph& g) {
  const int n = g.nodes;
  std::vector<char> bridge(g.from.size(), 0);
  std::vector<int> order(n, -1), low(n, 0), via(n, -1), next(n, 0);
  int clock = 0;
  std::vector<int> stack;
  for (int s = 0; s < n; ++s) {
    if (order[s] >= 0) continue;
    order[s] = low[s] = clock++;
    stack.push_back(s);
    while (!stack.empty()) {
      const int v = stack.back();
      if (next[v] < static_cast<int>(g.edges[v].size())) {
        const int e = g.edges[v][next[v]++];
        if (e == via[v]) continue;
        const int u = g.other(e, v);
        if (order[u] < 0) {
          order[u] = low[u] = clock++;
          via[u] = e;
          stack.push_back(u);
        } else {
          low[v] = std::min(low[v], order[u]);
        }
      } else {
        stack.pop_back();
        if (via[v] >= 0) {
          const int parent = g.other(via[v], v);
          low[parent] = std::min(low[parent], low[v]);
          if (low[v] > order[parent]) bridge[via[v]] = 1;
        }
      }
    }
  }
  return bridge;
}

// Places the families in peeling order: pass after pass over the families in
// order, a family is placed as soon as it shares at most one member with the
// families not yet placed; that member is its link, moved to the first child
// position when it is a child other than the first.
std::vector<NuclearFamily> peeling_order(std::vector<NuclearFamily> fams, int members) {
  std::vector<int> unplaced_with(members, 0);  // unplaced families that list each member
  auto each_member = [](const NuclearFamily& f, auto&& fn) {
    fn(f.father);
    fn(f.mother);
    for (int c : f.children) fn(c);
  };
  for (const NuclearFamily& f : fams) each_member(f, [&](int x) { ++unplaced_with[x]; });

  std::vector<NuclearFamily> order;
  order.reserve(fams.size());
  std::vector<char> placed(fams.size(), 0);
  size_t left = fams.size();
  while (left > 0) {
    const size_t before = left;
    for (size_t i = 0; i < fams.size(); ++i) {
      if (placed[i]) continue;
      NuclearFamily& f = fams[i];
      int shared = 0, link = -1;
      each_member(f, [&](int x) {
        if (shared <= 1 && unplaced_with[x] > 1) {
          ++shared;
          link = x;
        }
      });
      if (shared > 1) continue;
      f.link = link;
      if (link >= 0 && link != f.father && link != f.mother && link != f.children[0])
        std::swap(*std::find(f.children.begin(), f.children.end(), link), f.children[0]);
      each_member(f, [&](int x) { --unplaced_with[x]; });
      placed[i] = 1;
      --left;
      order.push_back(std::move(f));
    }
    if (left == before) throw std::logic_error("nuclear families left unplaced in a pedigree without loops");
  }
  return order;
}

}  // namespace

// The sibship scan: every member with parents starts a nuclear family unless
// already taken as a child, and all later members with the same father and
// mother join it.
std::vector<NuclearFamily> nuclear_families(const Sample& s, int k) {
  const int o = s.first(k), n = s.size(k);
  std::vector<NuclearFamily> fams;
  std::vector<char> taken(n, 0);
  // Later children of a couple are found through a list of the members by
  // (father, mother), so that the scan stays linear in large pedigrees.
  std::vector<int> by_parents(n);
  std::iota(by_parents.begin(), by_parents.end(), 0);
  auto parents_of = [&](int m) { return std::make_pair(s.father[o + m], s.mother[o + m]); };
  std::stable_sort(by_parents.begin(), by_parents.end(),
                   [&](int a, int b) { return parents_of(a) < parents_of(b); });
  std::vector<int> rank(n);
  for (int i = 0; i < n; ++i) rank[by_parents[i]] = i;
  for (int m = 0; m < n; ++m) {
    if (taken[m]) continue;
    taken[m] = 1;
    if (s.father[o + m] < 0) continue;  // a founder
    NuclearFamily f;
    f.father = s.father[o + m] - o;
    f.mother = s.mother[o + m] - o;
    f.children.push_back(m);
    for (int i = rank[m] + 1; i < n && parents_of(by_parents[i]) == parents_of(m); ++i) {
      const int c = by_parents[i];
      if (!taken[c]) {
        taken[c] = 1;
        f.children.push_back(c);
      }
    }
    fams.push_back(std::move(f));
  }
  return fams;
}

int independent_loops(const std::vector<NuclearFamily>& fams, int members) {
  return cycle_rank(graph_of(fams, members));
}

PedigreeStructure pedigree_structure(const Sample& s, int k) {
  PedigreeStructure ps;
  ps.size = s.size(k);
  std::vector<NuclearFamily> fams = nuclear_families(s, k);

  // The child edge of member m is the one to the family that lists m as a
  // child; its parent edges go to the families that list it as a parent.
  std::vector<int> child_of(ps.size, -1), parent_in(ps.size, 0);
  for (size_t f = 0; f < fams.size(); ++f) {
    for (int c : fams[f].children) child_of[c] = static_cast<int>(f);
    ++parent_in[fams[f].father];
    ++parent_in[fams[f].mother];
  }

  FamilyGraph g = graph_of(fams, ps.size);
  ps.loops = cycle_rank(g);
  for (int left = ps.loops; left > 0; --left) {
    const std::vector<char> bridge = bridges(g);
    int b = -1;
    for (int m = ps.size - 1; m >= 0 && b < 0; --m) {
      if (child_of[m] < 0 || parent_in[m] == 0) continue;
      if (std::find(ps.breakers.begin(), ps.breakers.end(), m) != ps.breakers.end()) continue;
      const int node = ps.members() + child_of[m];  // family nodes follow the members
      for (int e : g.edges[m])
        if (g.other(e, m) == node && !bridge[e]) b = m;
    }
    if (b < 0) throw std::logic_error("a loop that no member's duplication breaks");
    const int copy = ps.members();
    ps.breakers.push_back(b);
    for (NuclearFamily& f : fams) {
      if (f.father == b) f.father = copy;
      if (f.mother == b) f.mother = copy;
    }
    g = graph_of(fams, ps.members());
  }

  ps.families = peeling_order(std::move(fams), ps.members());
  std::vector<char> in_family(ps.members(), 0);
  for (const NuclearFamily& f : ps.families) {
    in_family[f.father] = in_family[f.mother] = 1;
    for (int c : f.children) in_family[c] = 1;
  }
  for (int m = 0; m < ps.size; ++m)
    if (!in_family[m]) ps.unattached.push_back(m);
  return ps;
}

}  // namespace kinseg
