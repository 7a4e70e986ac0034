// Horizontal positions within rows. Each row in turn is placed as close as it
// can be to where its relatives in the neighbouring row want it, keeping its
// order and the room each node needs: the best such placement is a weighted
// monotone (isotonic) regression once the room is subtracted, solved exactly
// by pooling adjacent violators. Sweeps alternate down (children centred under
// their parents) and up (parents centred over their children), and end going
// down.
#include <algorithm>
#include <cmath>

#include "report/layout_graph.hpp"

namespace kinseg::report::layout {

namespace {

// The nondecreasing sequence nearest to t in the weighted least-squares sense.
std::vector<double> isotonic(const std::vector<double>& t, const std::vector<double>& w) {
  struct Pool {
    double wt, w;
    size_t count;
  };
  std::vector<Pool> pools;
  for (size_t i = 0; i < t.size(); ++i) {
    pools.push_back({w[i] * t[i], w[i], 1});
    while (pools.size() >= 2) {
      const Pool& b = pools.back();
      const Pool& a = pools[pools.size() - 2];
      if (a.wt / a.w <= b.wt / b.w) break;
      const Pool merged{a.wt + b.wt, a.w + b.w, a.count + b.count};
      pools.pop_back();
      pools.back() = merged;
    }
  }
  std::vector<double> y;
  for (const Pool& p : pools) y.insert(y.end(), p.count, p.wt / p.w);
  return y;
}

class Placer {
 public:
  Placer(Graph& g, double block_gap) : g_(g), gap_(block_gap), x_(g.nodes.size(), 0.0) {
    for (size_t r = 0; r < g_.rows.size(); ++r) {
      std::vector<double> s = separations(r);
      double at = 0;
      size_t i = 0;
      for (const auto& block : g_.rows[r])
        for (int v : block) {
          x_[static_cast<size_t>(v)] = at;
          if (i < s.size()) at += s[i];
          ++i;
        }
    }
  }

  void sweep_down() {
    for (size_t r = 1; r < g_.rows.size(); ++r)
      place(r, [&](int v, double& shift) {
        const int f = g_.nodes[static_cast<size_t>(v)].parent_family;
        if (f < 0) return false;
        shift = source(f) - x_[static_cast<size_t>(v)];
        return true;
      });
  }

  void sweep_up() {
    for (size_t r = g_.rows.size(); r-- > 0;)
      place(r, [&](int v, double& shift) { return children_pull(v, r, shift); });
  }

  // Each row placed between both wishes at once: under its parents and over
  // its children. Standing over one's children counts more, as counsellors
  // draw: a sibship line may widen to reach brothers and sisters who stand
  // over families of their own.
  static constexpr double kChildrenWeight = 3.0;
  void sweep_both() {
    for (size_t r = 0; r < g_.rows.size(); ++r)
      place(r, [&](int v, double& shift) {
        double sum = 0, weight = 0;
        const int f = g_.nodes[static_cast<size_t>(v)].parent_family;
        if (f >= 0) {
          sum += source(f) - x_[static_cast<size_t>(v)];
          weight += 1;
        }
        double pull = 0;
        if (children_pull(v, r, pull)) {
          sum += kChildrenWeight * pull;
          weight += kChildrenWeight;
        }
        if (weight == 0) return false;
        shift = sum / weight;
        return true;
      });
  }

  // Turns a block of spouses round when its members then stand nearer their
  // own parents and the children of their own marriages.
  void turn_blocks() {
    for (size_t r = 0; r < g_.rows.size(); ++r)
      for (auto& block : g_.rows[r]) {
        if (block.size() < 2) continue;
        std::vector<double> at;
        for (int v : block) at.push_back(x_[static_cast<size_t>(v)]);
        const double kept = strain(block, at, r);
        std::vector<int> turned(block.rbegin(), block.rend());
        if (strain(turned, at, r) < kept - 1e-9) {
          block = turned;
          for (size_t i = 0; i < block.size(); ++i) x_[static_cast<size_t>(block[i])] = at[i];
        }
      }
  }

  std::vector<double> positions() const { return x_; }

 private:
  double source(int f) const {
    const Family& fam = g_.families[static_cast<size_t>(f)];
    if (fam.b < 0) return x_[static_cast<size_t>(fam.a)];
    const Node& a = g_.nodes[static_cast<size_t>(fam.a)];
    const Node& b = g_.nodes[static_cast<size_t>(fam.b)];
    if (a.row != b.row) return x_[static_cast<size_t>(a.row == fam.row ? fam.a : fam.b)];
    return 0.5 * (x_[static_cast<size_t>(fam.a)] + x_[static_cast<size_t>(fam.b)]);
  }

  double children_centre(int f) const {
    const Family& fam = g_.families[static_cast<size_t>(f)];
    double lo = x_[static_cast<size_t>(fam.children.front())], hi = lo;
    for (int ch : fam.children) {
      lo = std::min(lo, x_[static_cast<size_t>(ch)]);
      hi = std::max(hi, x_[static_cast<size_t>(ch)]);
    }
    return 0.5 * (lo + hi);
  }

  // How far node v (in row r) should move to stand over the children of its
  // marriages drawn from row r; false when it has none.
  bool children_pull(int v, size_t r, double& shift) const {
    double sum = 0;
    int count = 0;
    for (int f : g_.nodes[static_cast<size_t>(v)].families) {
      const Family& fam = g_.families[static_cast<size_t>(f)];
      if (fam.row != static_cast<int>(r) || fam.children.empty()) continue;
      sum += children_centre(f) - source(f);
      ++count;
    }
    if (count == 0) return false;
    shift = sum / count;
    return true;
  }

  double strain(const std::vector<int>& block, const std::vector<double>& at, size_t r) const {
    double s = 0;
    for (size_t i = 0; i < block.size(); ++i) {
      const Node& n = g_.nodes[static_cast<size_t>(block[i])];
      if (n.parent_family >= 0) s += std::fabs(at[i] - source(n.parent_family));
      for (int f : n.families) {
        const Family& fam = g_.families[static_cast<size_t>(f)];
        if (fam.row == static_cast<int>(r) && !fam.children.empty())
          s += std::fabs(at[i] - children_centre(f));
      }
    }
    return s;
  }

  // Room between each node of row r and the next.
  std::vector<double> separations(size_t r) const {
    std::vector<double> s;
    const auto& blocks = g_.rows[r];
    for (size_t b = 0; b < blocks.size(); ++b)
      for (size_t i = 0; i < blocks[b].size(); ++i) {
        const int v = blocks[b][i];
        int next;
        double extra = 0;
        if (i + 1 < blocks[b].size()) {
          next = blocks[b][i + 1];
        } else if (b + 1 < blocks.size()) {
          next = blocks[b + 1].front();
          extra = gap_;
        } else {
          continue;
        }
        s.push_back(g_.nodes[static_cast<size_t>(v)].half_width +
                    g_.nodes[static_cast<size_t>(next)].half_width + extra);
      }
    return s;
  }

  // Places row r as near as it can to where `want` moves its nodes; a block
  // moves as one, by the mean of its members' wishes. Nodes without a wish
  // hold their place, lightly.
  template <class Want>
  void place(size_t r, Want want) {
    std::vector<double> target, weight;
    for (const auto& block : g_.rows[r]) {
      double sum = 0;
      int count = 0;
      for (int v : block) {
        double shift;
        if (want(v, shift)) {
          sum += shift;
          ++count;
        }
      }
      for (int v : block) {
        target.push_back(x_[static_cast<size_t>(v)] + (count > 0 ? sum / count : 0.0));
        weight.push_back(count > 0 ? 1.0 : 0.05);
      }
    }
    if (target.empty()) return;
    const std::vector<double> s = separations(r);
    std::vector<double> offset(target.size(), 0.0);
    for (size_t i = 1; i < target.size(); ++i) offset[i] = offset[i - 1] + s[i - 1];
    for (size_t i = 0; i < target.size(); ++i) target[i] -= offset[i];
    const std::vector<double> y = isotonic(target, weight);
    size_t i = 0;
    for (const auto& block : g_.rows[r])
      for (int v : block) {
        x_[static_cast<size_t>(v)] = y[i] + offset[i];
        ++i;
      }
  }

  Graph& g_;
  double gap_;
  std::vector<double> x_;
};

}  // namespace

std::vector<double> place_rows(Graph& g, double block_gap) {
  Placer p(g, block_gap);
  for (int round = 0; round < 6; ++round) {
    p.sweep_down();
    p.sweep_up();
  }
  p.turn_blocks();
  for (int round = 0; round < 40; ++round) p.sweep_both();
  return p.positions();
}

}  // namespace kinseg::report::layout
