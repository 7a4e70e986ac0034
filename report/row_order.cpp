// The order within rows: sweeps down and up the pedigree, each row's blocks
// sorted by the mean position of what they hang from (their parents on the way
// down, their children on the way up), keeping the order with the fewest
// crossings of lines of descent.
#include <algorithm>
#include <cmath>

#include "report/layout_graph.hpp"

namespace kinseg::report::layout {

namespace {

class Sweeper {
 public:
  explicit Sweeper(Graph& g) : g_(g), pos_(g.nodes.size(), 0.0) { number_all(); }

  void down(size_t r) {
    arrange(r, [&](int v, double& t) {
      const int f = g_.nodes[static_cast<size_t>(v)].parent_family;
      if (f < 0) return false;
      t = source(f);
      return true;
    });
  }

  void up(size_t r) {
    arrange(r, [&](int v, double& t) {
      double sum = 0;
      int count = 0;
      for (int f : g_.nodes[static_cast<size_t>(v)].families) {
        const Family& fam = g_.families[static_cast<size_t>(f)];
        if (fam.row != static_cast<int>(r) || fam.children.empty()) continue;
        double c = 0;
        for (int ch : fam.children) c += pos_[static_cast<size_t>(ch)];
        sum += c / static_cast<double>(fam.children.size());
        ++count;
      }
      if (count == 0) return false;
      t = sum / count;
      return true;
    });
  }

  // Crossings between lines of descent: two lines from a row to the next
  // cross when their ends are in opposite orders.
  long crossings() const {
    struct Line {
      int row;
      double from, to;
    };
    std::vector<Line> lines;
    for (size_t f = 0; f < g_.families.size(); ++f)
      for (int ch : g_.families[f].children)
        lines.push_back({g_.families[f].row, source(static_cast<int>(f)), pos_[static_cast<size_t>(ch)]});
    std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return a.row < b.row; });
    long count = 0;
    for (size_t i = 0; i < lines.size(); ++i)
      for (size_t j = i + 1; j < lines.size() && lines[j].row == lines[i].row; ++j)
        if ((lines[i].from - lines[j].from) * (lines[i].to - lines[j].to) < 0) ++count;
    return count;
  }

  // Swaps neighbouring blocks of row r while that removes crossings. Only
  // the lines of the two blocks change order against each other: lines from
  // the row above (by where they come from) and lines to the row below (by
  // where they go).
  bool transpose(size_t r) {
    auto& blocks = g_.rows[r];
    bool any = false;
    for (int pass = 0; pass < 4; ++pass) {
      bool changed = false;
      for (size_t b = 0; b + 1 < blocks.size(); ++b) {
        const long kept = between(blocks[b], blocks[b + 1], r);
        const long swapped = between(blocks[b + 1], blocks[b], r);
        if (swapped < kept) {
          std::swap(blocks[b], blocks[b + 1]);
          number(r);
          changed = any = true;
        }
      }
      if (!changed) break;
    }
    return any;
  }

 private:
  // Crossings between the lines of block a and of block b, a standing left.
  long between(const std::vector<int>& a, const std::vector<int>& b, size_t r) const {
    auto ends = [&](const std::vector<int>& block, std::vector<double>& above, std::vector<double>& below) {
      for (int v : block) {
        const Node& n = g_.nodes[static_cast<size_t>(v)];
        if (n.parent_family >= 0) above.push_back(source(n.parent_family));
        for (int f : n.families) {
          const Family& fam = g_.families[static_cast<size_t>(f)];
          if (fam.row != static_cast<int>(r) || (fam.b >= 0 && fam.a != v)) continue;  // each couple once
          for (int ch : fam.children) below.push_back(pos_[static_cast<size_t>(ch)]);
        }
      }
    };
    std::vector<double> a_up, a_down, b_up, b_down;
    ends(a, a_up, a_down);
    ends(b, b_up, b_down);
    long n = 0;
    for (double x : a_up)
      for (double y : b_up) n += x > y;
    for (double x : a_down)
      for (double y : b_down) n += x > y;
    return n;
  }

  double source(int f) const {
    const Family& fam = g_.families[static_cast<size_t>(f)];
    if (fam.b < 0) return pos_[static_cast<size_t>(fam.a)];
    const Node& a = g_.nodes[static_cast<size_t>(fam.a)];
    const Node& b = g_.nodes[static_cast<size_t>(fam.b)];
    if (a.row != b.row) return pos_[static_cast<size_t>(a.row == fam.row ? fam.a : fam.b)];
    return 0.5 * (pos_[static_cast<size_t>(fam.a)] + pos_[static_cast<size_t>(fam.b)]);
  }

  void number_all() {
    for (size_t r = 0; r < g_.rows.size(); ++r) number(r);
  }

  void number(size_t r) {
    double i = 0;
    for (const auto& block : g_.rows[r])
      for (int v : block) pos_[static_cast<size_t>(v)] = i++;
  }

  // Sorts the blocks of row r by the mean target of their nodes, then turns
  // each block round when its nodes then stand nearer their own targets. A
  // block without targets (a childless couple on the way up) goes with its
  // brothers and sisters, or else stays after the block on its left: its own
  // place is in another row's scale and would scatter it.
  template <class Target>
  void arrange(size_t r, Target target) {
    auto& blocks = g_.rows[r];
    std::vector<double> key(blocks.size(), 0.0);
    std::vector<char> has(blocks.size(), 0);
    for (size_t b = 0; b < blocks.size(); ++b) {
      double sum = 0;
      int count = 0;
      for (int v : blocks[b]) {
        double t;
        if (target(v, t)) {
          sum += t;
          ++count;
        }
      }
      if (count > 0) {
        key[b] = sum / count;
        has[b] = 1;
      }
    }
    std::vector<double> sib_sum(g_.families.size(), 0.0);
    std::vector<int> sib_count(g_.families.size(), 0);
    for (size_t b = 0; b < blocks.size(); ++b)
      if (has[b])
        for (int v : blocks[b]) {
          const int f = g_.nodes[static_cast<size_t>(v)].parent_family;
          if (f >= 0) {
            sib_sum[static_cast<size_t>(f)] += key[b];
            ++sib_count[static_cast<size_t>(f)];
          }
        }
    for (size_t b = 0; b < blocks.size(); ++b) {
      if (has[b]) continue;
      double sum = 0;
      int count = 0;
      for (int v : blocks[b]) {
        const int f = g_.nodes[static_cast<size_t>(v)].parent_family;
        if (f >= 0 && sib_count[static_cast<size_t>(f)] > 0) {
          sum += sib_sum[static_cast<size_t>(f)] / sib_count[static_cast<size_t>(f)];
          ++count;
        }
      }
      if (count > 0) {
        key[b] = sum / count;
        has[b] = 2;
      }
    }
    for (size_t b = 0; b < blocks.size(); ++b)
      if (!has[b]) {
        size_t n = b;
        while (n > 0 && !has[n]) --n;
        if (!has[n]) {
          n = b;
          while (n < blocks.size() && !has[n]) ++n;
        }
        key[b] = n < blocks.size() && has[n] ? key[n] : 0.0;
        has[b] = 3;
      }
    std::vector<std::pair<double, size_t>> keyed;
    for (size_t b = 0; b < blocks.size(); ++b) keyed.push_back({key[b], b});
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<std::vector<int>> sorted;
    std::vector<double> sorted_key;
    for (const auto& kb : keyed) {
      sorted.push_back(std::move(blocks[kb.second]));
      sorted_key.push_back(kb.first);
    }
    blocks = std::move(sorted);
    // A block is turned round when its members' targets run against their
    // order in it (targets left of the block's mean target belong left).
    for (size_t b = 0; b < blocks.size(); ++b) {
      auto& block = blocks[b];
      if (block.size() < 2) continue;
      double trend = 0;
      const double mid = 0.5 * static_cast<double>(block.size() - 1);
      for (size_t i = 0; i < block.size(); ++i) {
        double t;
        if (target(block[i], t)) trend += (static_cast<double>(i) - mid) * (t - sorted_key[b]);
      }
      if (trend < 0) std::reverse(block.begin(), block.end());
    }
    number(r);
  }

  Graph& g_;
  std::vector<double> pos_;
};

}  // namespace

std::vector<Rows> order_rows(Graph& g) {
  Sweeper sweep(g);
  std::vector<std::pair<long, Rows>> seen{{sweep.crossings(), g.rows}};
  const size_t rows = g.rows.size();
  auto keep = [&] {
    const long now = sweep.crossings();
    for (const auto& s : seen)
      if (s.second == g.rows) return;
    seen.emplace_back(now, g.rows);
  };
  for (int round = 0; round < 8; ++round) {
    for (size_t r = 1; r < rows; ++r) sweep.down(r);
    for (size_t r = 0; r < rows; ++r) sweep.transpose(r);
    keep();
    for (size_t r = rows; r-- > 1;) sweep.up(r - 1);
    for (size_t r = 0; r < rows; ++r) sweep.transpose(r);
    keep();
  }
  std::stable_sort(seen.begin(), seen.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<Rows> out;
  for (auto& s : seen)
    if (out.size() < kOrderCandidates) out.push_back(std::move(s.second));
  g.rows = out.front();
  return out;
}

}  // namespace kinseg::report::layout
