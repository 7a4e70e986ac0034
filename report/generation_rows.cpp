// Generation rows of a pedigree drawing: every child one row (at least) below
// both parents, spouses on one row, a founder couple as close above its
// children as it can be; then the families, pass-through nodes, blocks of
// spouses and a first order of each row from a walk down the pedigree.
#include <algorithm>
#include <map>
#include <numeric>
#include <stdexcept>
#include <utility>

#include "report/layout_graph.hpp"

namespace kinseg::report::layout {

namespace {

struct Couple {
  int father = -1, mother = -1;
  std::vector<int> children;  // members, in file order
};

int find_root(std::vector<int>& up, int x) {
  while (up[x] != x) x = up[x] = up[up[x]];
  return x;
}

// Rows by generation: every child below both parents, spouses on one row.
// Spouses are joined into one group, couple after couple, unless one's group
// already stands above the other's (a person married to their own
// descendant, or to a descendant of their other spouse): such a couple is left
// on two rows, every other couple keeps its row. A group's row is then the
// longest line of descent above it.
std::vector<int> generations(int n, const std::vector<Couple>& couples) {
  std::vector<std::pair<int, int>> descent;  // (parent, child)
  for (const Couple& c : couples)
    for (int ch : c.children) {
      descent.push_back({c.father, ch});
      descent.push_back({c.mother, ch});
    }
  std::vector<int> group(n);
  std::iota(group.begin(), group.end(), 0);
  std::vector<std::vector<int>> members(static_cast<size_t>(n)), children(static_cast<size_t>(n));
  for (int m = 0; m < n; ++m) members[static_cast<size_t>(m)] = {m};
  for (const auto& [p, c] : descent) children[static_cast<size_t>(p)].push_back(c);
  // Whether group `to` is reached from group `from` along lines of descent.
  std::vector<int> seen(static_cast<size_t>(n), -1);
  int search = 0;
  auto below = [&](int from, int to) {
    ++search;
    std::vector<int> stack{from};
    while (!stack.empty()) {
      const int g = stack.back();
      stack.pop_back();
      if (g == to) return true;
      if (seen[static_cast<size_t>(g)] == search) continue;
      seen[static_cast<size_t>(g)] = search;
      for (int m : members[static_cast<size_t>(g)])
        for (int c : children[static_cast<size_t>(m)]) stack.push_back(find_root(group, c));
    }
    return false;
  };
  for (const Couple& c : couples) {
    const int a = find_root(group, c.father), b = find_root(group, c.mother);
    if (a == b || below(a, b) || below(b, a)) continue;
    group[a] = b;
    auto& into = members[static_cast<size_t>(b)];
    into.insert(into.end(), members[static_cast<size_t>(a)].begin(), members[static_cast<size_t>(a)].end());
    members[static_cast<size_t>(a)].clear();
  }

  // Longest line of descent above each group: rows in topological order.
  std::vector<std::vector<int>> down(static_cast<size_t>(n));
  std::vector<int> parents_in(static_cast<size_t>(n), 0);
  for (const auto& [p, c] : descent) {
    const int gp = find_root(group, p), gc = find_root(group, c);
    if (gp == gc) throw std::invalid_argument("a person is his or her own ancestor");
    down[static_cast<size_t>(gp)].push_back(gc);
    ++parents_in[static_cast<size_t>(gc)];
  }
  std::vector<int> row(static_cast<size_t>(n), 0), ready;
  for (int g = 0; g < n; ++g)
    if (find_root(group, g) == g && parents_in[static_cast<size_t>(g)] == 0) ready.push_back(g);
  int done = 0;
  while (!ready.empty()) {
    const int g = ready.back();
    ready.pop_back();
    ++done;
    for (int h : down[static_cast<size_t>(g)]) {
      row[static_cast<size_t>(h)] = std::max(row[static_cast<size_t>(h)], row[static_cast<size_t>(g)] + 1);
      if (--parents_in[static_cast<size_t>(h)] == 0) ready.push_back(h);
    }
  }
  int groups = 0;
  for (int g = 0; g < n; ++g) groups += find_root(group, g) == g;
  if (done != groups) throw std::invalid_argument("a person is his or her own ancestor");
  std::vector<int> gen(n);
  for (int m = 0; m < n; ++m) gen[m] = row[static_cast<size_t>(find_root(group, m))];

  // Spouses joined by marriages, all founders (a founder couple, or founders
  // married to founders): brought down to just above their highest child, so
  // a couple that married into a later generation is drawn there.
  std::vector<int> up(n);
  std::iota(up.begin(), up.end(), 0);
  for (const Couple& c : couples) up[find_root(up, c.father)] = find_root(up, c.mother);
  std::vector<char> all_founders(n, 1);
  std::vector<int> lowest(n, -1), highest_child(n, 1 << 30);
  std::vector<char> is_child(n, 0);
  for (const Couple& c : couples)
    for (int ch : c.children) is_child[ch] = 1;
  for (int m = 0; m < n; ++m) {
    const int r = find_root(up, m);
    if (is_child[m]) all_founders[r] = 0;
    lowest[r] = std::max(lowest[r], gen[m]);
  }
  for (const Couple& c : couples) {
    const int r = find_root(up, c.father);
    for (int ch : c.children) highest_child[r] = std::min(highest_child[r], gen[ch]);
  }
  for (int m = 0; m < n; ++m) {
    const int r = find_root(up, m);
    if (all_founders[r] && highest_child[r] < (1 << 30) && highest_child[r] - 1 > lowest[r])
      gen[m] = highest_child[r] - 1;
  }

  // Rows numbered without gaps.
  std::vector<int> used = gen;
  std::sort(used.begin(), used.end());
  used.erase(std::unique(used.begin(), used.end()), used.end());
  for (int& g : gen) g = static_cast<int>(std::lower_bound(used.begin(), used.end(), g) - used.begin());
  return gen;
}

// Whether two persons share an ancestor (one may be the other's ancestor).
std::vector<char> consanguinity(int n, const std::vector<int>& father, const std::vector<int>& mother,
                                const std::vector<int>& gen, const std::vector<Couple>& couples) {
  const size_t words = (static_cast<size_t>(n) + 63) / 64;
  std::vector<uint64_t> anc(static_cast<size_t>(n) * words, 0);
  std::vector<int> by_gen(n);
  std::iota(by_gen.begin(), by_gen.end(), 0);
  std::stable_sort(by_gen.begin(), by_gen.end(), [&](int a, int b) { return gen[a] < gen[b]; });
  for (int m : by_gen) {
    uint64_t* row = &anc[static_cast<size_t>(m) * words];
    row[m / 64] |= uint64_t{1} << (m % 64);
    for (int p : {father[m], mother[m]})
      if (p >= 0) {
        const uint64_t* prow = &anc[static_cast<size_t>(p) * words];
        for (size_t w = 0; w < words; ++w) row[w] |= prow[w];
      }
  }
  std::vector<char> related(couples.size(), 0);
  for (size_t c = 0; c < couples.size(); ++c) {
    const uint64_t* a = &anc[static_cast<size_t>(couples[c].father) * words];
    const uint64_t* b = &anc[static_cast<size_t>(couples[c].mother) * words];
    for (size_t w = 0; w < words && !related[c]; ++w) related[c] = (a[w] & b[w]) != 0;
  }
  return related;
}

// The nodes of one block of spouses in a line: along the chain of marriages
// when the block is a chain (the usual case, and a person with two spouses),
// else in the order of a walk from its first node. `key` orders ties.
std::vector<int> line_up(const std::vector<int>& block, const std::map<int, std::vector<int>>& spouses,
                         const std::vector<int>& key) {
  if (block.size() == 1) return block;
  auto neighbours = [&](int v) {
    std::vector<int> nb;
    auto it = spouses.find(v);
    if (it != spouses.end()) nb = it->second;
    std::sort(nb.begin(), nb.end(), [&](int a, int b) { return key[a] < key[b]; });
    nb.erase(std::unique(nb.begin(), nb.end()), nb.end());
    return nb;
  };
  size_t edges = 0;
  bool chain = true;
  int end = -1;
  for (int v : block) {
    const size_t d = neighbours(v).size();
    edges += d;
    if (d > 2) chain = false;
    if (d == 1 && (end < 0 || key[v] < key[end])) end = v;
  }
  chain = chain && edges / 2 == block.size() - 1 && end >= 0;
  std::vector<int> order;
  std::vector<int> seen;
  auto visited = [&](int v) { return std::find(seen.begin(), seen.end(), v) != seen.end(); };
  if (chain) {
    int prev = -1, v = end;
    while (v >= 0) {
      order.push_back(v);
      seen.push_back(v);
      int next = -1;
      for (int w : neighbours(v))
        if (w != prev && !visited(w)) next = w;
      prev = v;
      v = next;
    }
    if (key[order.front()] > key[order.back()]) std::reverse(order.begin(), order.end());
    return order;
  }
  int start = block.front();
  for (int v : block)
    if (key[v] < key[start]) start = v;
  std::vector<int> stack{start};
  while (!stack.empty()) {
    const int v = stack.back();
    stack.pop_back();
    if (visited(v)) continue;
    seen.push_back(v);
    order.push_back(v);
    std::vector<int> nb = neighbours(v);
    for (auto it = nb.rbegin(); it != nb.rend(); ++it)
      if (!visited(*it)) stack.push_back(*it);
  }
  return order;
}

}  // namespace

Graph generation_rows(const Sample& sample, int k) {
  const int n = sample.size(k), base = sample.first(k);
  std::vector<int> father(n, -1), mother(n, -1);
  for (int m = 0; m < n; ++m) {
    const int f = sample.father[base + m] - base, mo = sample.mother[base + m] - base;
    if (f >= 0 && f < n && mo >= 0 && mo < n && f != mo && f != m && mo != m) {
      father[m] = f;
      mother[m] = mo;
    }
  }
  std::vector<Couple> couples;
  std::map<std::pair<int, int>, int> couple_of;
  for (int m = 0; m < n; ++m) {
    if (father[m] < 0) continue;
    auto [it, added] = couple_of.emplace(std::make_pair(father[m], mother[m]), static_cast<int>(couples.size()));
    if (added) couples.push_back(Couple{father[m], mother[m], {}});
    couples[static_cast<size_t>(it->second)].children.push_back(m);
  }
  const std::vector<int> gen = generations(n, couples);
  const std::vector<char> related = consanguinity(n, father, mother, gen, couples);

  Graph g;
  g.nodes.resize(static_cast<size_t>(n));
  for (int m = 0; m < n; ++m) {
    g.nodes[static_cast<size_t>(m)].member = m;
    g.nodes[static_cast<size_t>(m)].row = gen[m];
  }
  int rows = n > 0 ? *std::max_element(gen.begin(), gen.end()) + 1 : 0;
  for (size_t c = 0; c < couples.size(); ++c) {
    const Couple& cp = couples[c];
    const int fam = static_cast<int>(g.families.size());
    Family f;
    f.a = cp.father;
    f.b = cp.mother;
    f.row = std::max(gen[cp.father], gen[cp.mother]);
    f.consanguineous = related[c] != 0;
    g.families.push_back(f);
    g.nodes[static_cast<size_t>(cp.father)].families.push_back(fam);
    g.nodes[static_cast<size_t>(cp.mother)].families.push_back(fam);
    for (int ch : cp.children) {
      // A child more than one row down hangs from a chain of pass-through
      // nodes, one in each row crossed.
      int from = fam;
      for (int r = g.families[static_cast<size_t>(fam)].row + 1; r < gen[ch]; ++r) {
        const int d = static_cast<int>(g.nodes.size());
        Node pass;
        pass.row = r;
        pass.parent_family = from;
        g.nodes.push_back(pass);
        g.families[static_cast<size_t>(from)].children.push_back(d);
        Family through;
        through.a = d;
        through.row = r;
        const int tf = static_cast<int>(g.families.size());
        g.families.push_back(through);
        g.nodes[static_cast<size_t>(d)].families.push_back(tf);
        from = tf;
      }
      g.families[static_cast<size_t>(from)].children.push_back(ch);
      g.nodes[static_cast<size_t>(ch)].parent_family = from;
    }
  }

  // A first order: a walk from the top founders down, each person followed by
  // their spouses and then their children, so that for a pedigree without
  // loops every row comes out with the sibships side by side.
  const int nodes = static_cast<int>(g.nodes.size());
  std::vector<int> key(nodes, -1);
  int next_key = 0;
  std::vector<int> roots(n);
  std::iota(roots.begin(), roots.end(), 0);
  std::stable_sort(roots.begin(), roots.end(), [&](int a, int b) { return gen[a] < gen[b]; });
  for (int root : roots) {
    std::vector<int> stack{root};
    while (!stack.empty()) {
      const int v = stack.back();
      stack.pop_back();
      if (key[v] >= 0) continue;
      key[v] = next_key++;
      std::vector<int> next;
      for (int f : g.nodes[static_cast<size_t>(v)].families) {
        const Family& fam = g.families[static_cast<size_t>(f)];
        for (int s : {fam.a, fam.b})
          if (s >= 0 && s != v) next.push_back(s);
        for (int ch : fam.children) next.push_back(ch);
      }
      for (auto it = next.rbegin(); it != next.rend(); ++it)
        if (key[*it] < 0) stack.push_back(*it);
    }
  }

  // Blocks of spouses within each row.
  std::map<int, std::vector<int>> spouses;
  std::vector<int> up(nodes);
  std::iota(up.begin(), up.end(), 0);
  for (const Family& f : g.families)
    if (f.b >= 0 && gen[f.a] == gen[f.b]) {
      spouses[f.a].push_back(f.b);
      spouses[f.b].push_back(f.a);
      up[find_root(up, f.a)] = find_root(up, f.b);
    }
  std::vector<int> by_key(nodes);
  std::iota(by_key.begin(), by_key.end(), 0);
  std::sort(by_key.begin(), by_key.end(), [&](int a, int b) { return key[a] < key[b]; });
  std::map<int, std::vector<int>> members_of;
  for (int v : by_key) members_of[find_root(up, v)].push_back(v);
  g.rows.assign(static_cast<size_t>(rows), {});
  std::vector<char> placed(nodes, 0);
  for (int v : by_key) {
    const int r = find_root(up, v);
    if (placed[r]) continue;
    placed[r] = 1;
    g.rows[static_cast<size_t>(g.nodes[static_cast<size_t>(v)].row)].push_back(
        line_up(members_of[r], spouses, key));
  }
  return g;
}

}  // namespace kinseg::report::layout
