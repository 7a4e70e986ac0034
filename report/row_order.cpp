// The order within rows: sweeps down and up the pedigree, each row's blocks
// sorted by the mean position of what they hang from (their parents on the way
// down, their children on the way up), keeping the order with the fewest
// crossings of lines of descent.
#include <algorithm>
#include <cmath>

#include "report/layout_graph.hpp"

namespace kinseg::layout {

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
    std::vector<std::vector<std::pair<double, double>>> by_row(g_.rows.size());
    for (size_t f = 0; f < g_.families.size(); ++f)
      for (int ch : g_.families[f].children)
        by_row[static_cast<size_t>(g_.families[f].row)].push_back(
            {source(static_cast<int>(f)), pos_[static_cast<size_t>(ch)]});
    long count = 0;
    for (const auto& lines : by_row)
      for (size_t i = 0; i < lines.size(); ++i)
        for (size_t j = i + 1; j < lines.size(); ++j)
          if ((lines[i].first - lines[j].first) * (lines[i].second - lines[j].second) < 0) ++count;
    return count;
  }

 private:
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

  // Sorts the blocks of row r by the mean target of their nodes (their
  // current place when none has one), then turns each block round when its
  // nodes then stand nearer their own targets.
  template <class Target>
  void arrange(size_t r, Target target) {
    auto& blocks = g_.rows[r];
    std::vector<std::pair<double, size_t>> keyed;
    for (size_t b = 0; b < blocks.size(); ++b) {
      double sum = 0, here = 0;
      int count = 0;
      for (int v : blocks[b]) {
        double t;
        if (target(v, t)) {
          sum += t;
          ++count;
        }
        here += pos_[static_cast<size_t>(v)];
      }
      keyed.push_back({count > 0 ? sum / count : here / static_cast<double>(blocks[b].size()), b});
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<std::vector<int>> sorted;
    for (const auto& kb : keyed) sorted.push_back(std::move(blocks[kb.second]));
    blocks = std::move(sorted);
    number(r);
    for (auto& block : blocks) {
      if (block.size() < 2) continue;
      const double first = pos_[static_cast<size_t>(block.front())];
      const double last = pos_[static_cast<size_t>(block.back())];
      double kept = 0, turned = 0;
      for (int v : block) {
        double t;
        if (!target(v, t)) continue;
        const double p = pos_[static_cast<size_t>(v)];
        kept += std::fabs(p - t);
        turned += std::fabs(first + last - p - t);
      }
      if (turned < kept) {
        std::reverse(block.begin(), block.end());
        double i = first;
        for (int v : block) pos_[static_cast<size_t>(v)] = i++;
      }
    }
  }

  Graph& g_;
  std::vector<double> pos_;
};

}  // namespace

void order_rows(Graph& g) {
  Sweeper sweep(g);
  auto best_rows = g.rows;
  long best = sweep.crossings();
  const size_t rows = g.rows.size();
  for (int round = 0; round < 8 && best > 0; ++round) {
    for (size_t r = 1; r < rows; ++r) sweep.down(r);
    long now = sweep.crossings();
    if (now < best) {
      best = now;
      best_rows = g.rows;
    }
    for (size_t r = rows; r-- > 1;) sweep.up(r - 1);
    now = sweep.crossings();
    if (now < best) {
      best = now;
      best_rows = g.rows;
    }
  }
  g.rows = std::move(best_rows);
}

}  // namespace kinseg::layout
