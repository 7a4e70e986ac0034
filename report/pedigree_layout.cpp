// The layout of one pedigree drawing: rows and order (layout_graph.hpp), then
// sizes, vertical positions and every line.
//
// Vertically, a row is: room for marriage lines that pass over symbols (only
// when a person's spouses cannot all stand beside him or her), the symbols,
// the proband arrows under their lower left corner, the labels, and then the
// sibship lines hanging the next row, one level ("track") per sibship line
// that would otherwise overlap another.
#include "report/pedigree_layout.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numeric>
#include <set>
#include <stdexcept>

#include "report/layout_graph.hpp"
#include "report/line_crossings.hpp"
#include "report/pedigree_trim.hpp"
#include "report/symbol_outline.hpp"

namespace kinseg::report {

namespace {

using layout::Family;
using layout::Graph;
using layout::Node;

// The carrier probability as the drawing shows it: two decimals, never
// rounded to a certainty it does not have.
std::string carrier_text(double p) {
  if (p >= 0.995) return ">0.99";
  if (p < 0.005) return "<0.01";
  char text[16];
  std::snprintf(text, sizeof text, "%.2f", p);
  return text;
}

}  // namespace

const char* const kCarrierNote = "under each id: probability of carrying the risk allele (one or two copies)";
const char* const kUnlinkedNote = "tied to no one else in this pedigree:";

namespace {

// Width of a label, estimated from its length (sans-serif digits and most
// letters are about 0.55 em wide; wide letters are counted wider).
double text_width(const std::string& s, double font) {
  double w = 0;
  for (unsigned char c : s) {
    if ((c & 0xC0) == 0x80) continue;  // continuation byte of a UTF-8 character
    w += (c == 'M' || c == 'W' || c == 'm' || c == 'w' || c == '@' || c >= 0x80) ? 0.9 : 0.62;
  }
  return w * font;
}

SymbolShape shape_of(int8_t sex) {
  if (sex == kMale) return SymbolShape::kSquare;
  if (sex == kFemale) return SymbolShape::kCircle;
  return SymbolShape::kDiamond;
}

// The point of a symbol's outline towards its lower left, where an arrow
// points.
void lower_left(SymbolShape shape, double x, double y, double s, double& px, double& py) {
  double d = 0.5 * s;                                    // square: the corner
  if (shape == SymbolShape::kCircle) d = 0.5 * s / std::sqrt(2.0);
  if (shape == SymbolShape::kDiamond) d = 0.25 * s;      // middle of the lower left side
  px = x - d;
  py = y + d;
}

class Geometry {
 public:
  Geometry(Graph& g, std::vector<double> x, PedigreeLayout& out)
      : g_(g), x_(std::move(x)), out_(out), s_(out.symbol), index_(g.nodes.size(), 0) {
    for (const auto& row : g_.rows) {
      int i = 0;
      order_.emplace_back();
      for (const auto& block : row)
        for (int v : block) {
          index_[static_cast<size_t>(v)] = i++;
          order_.back().push_back(v);
        }
    }
    for (const Family& f : g_.families)
      if (f.b >= 0 && same_row(f) && adjacent(f)) couple_gaps_.insert({f.a, f.b});
    place_descents();
  }

  void build() {
    const size_t rows = g_.rows.size();
    std::vector<int> routed(rows, 0);
    for (const Family& f : g_.families)
      if (f.b >= 0 && same_row(f) && !adjacent(f)) ++routed[static_cast<size_t>(f.row)];
    std::vector<std::vector<int>> gap_families(rows);
    for (size_t f = 0; f < g_.families.size(); ++f)
      if (!g_.families[f].children.empty())
        gap_families[static_cast<size_t>(g_.families[f].row)].push_back(static_cast<int>(f));

    const double fs = out_.font;
    const int lines = out_.carriers ? 2 : 1;
    const double margin = 0.6 * s_;
    const double title = (out_.carriers ? 3.3 : 2.0) * fs;
    y_.assign(rows, 0.0);
    track_y_.assign(g_.families.size(), 0.0);
    over_y_.assign(g_.families.size(), 0.0);
    over_level_.assign(g_.families.size(), 0);
    double top = margin + title;
    double bottom = top;
    for (size_t r = 0; r < rows; ++r) {
      if (out_.unlinked > 0 && r + 1 == rows) {
        top += 1.6 * fs;
        out_.unlinked_caption_y = top - 0.4 * fs;
      }
      const int over = std::min(routed[r], 3);
      const double over_room = over > 0 ? 0.3 * s_ + 0.2 * s_ * over : 0.0;
      y_[r] = top + over_room + 0.5 * s_;
      const double label_top = y_[r] + 1.05 * s_;
      bottom = label_top + lines * 1.15 * fs + 0.2 * fs;
      label_top_.push_back(label_top);
      // Sibship lines of the gap below this row, on tracks (track_levels).
      const std::vector<int> level = track_levels(gap_families[r]);
      int tracks = 1;
      for (size_t i = 0; i < level.size(); ++i) {
        track_y_[static_cast<size_t>(gap_families[r][i])] = bottom + 0.5 * s_ + 0.45 * s_ * level[i];
        tracks = std::max(tracks, level[i] + 1);
      }
      top = bottom + 0.5 * s_ + 0.45 * s_ * (tracks - 1) + 0.55 * s_;
    }
    // Marriage lines that pass over a row, staggered.
    std::vector<int> seen(rows, 0);
    for (size_t f = 0; f < g_.families.size(); ++f) {
      const Family& fam = g_.families[f];
      if (fam.b < 0 || !same_row(fam) || adjacent(fam)) continue;
      const size_t r = static_cast<size_t>(fam.row);
      over_level_[f] = seen[r]++ % 3;
      over_y_[f] = y_[r] - 0.5 * s_ - 0.3 * s_ - 0.2 * s_ * over_level_[f];
    }

    double right = 0;
    for (size_t v = 0; v < g_.nodes.size(); ++v) right = std::max(right, x_[v] + g_.nodes[v].half_width);
    out_.width = std::max({right, margin + text_width(kCarrierNote, fs) * (out_.carriers ? 1.0 : 0.0),
                           margin + text_width(kUnlinkedNote, fs) * (out_.unlinked > 0 ? 1.0 : 0.0)}) +
                 margin;
    out_.height = bottom + margin;
    out_.rows = static_cast<int>(rows);

    place_persons();
    draw_families();
  }

 private:
  double y_of(int v) const { return y_[static_cast<size_t>(g_.nodes[static_cast<size_t>(v)].row)]; }
  double x_of(int v) const { return x_[static_cast<size_t>(v)]; }
  double half(int v) const { return g_.nodes[static_cast<size_t>(v)].half_width; }
  bool person(int v) const { return g_.nodes[static_cast<size_t>(v)].member >= 0; }
  SymbolShape shape(int v) const {
    return out_.persons[static_cast<size_t>(g_.nodes[static_cast<size_t>(v)].member)].shape;
  }

  bool same_row(const Family& f) const {
    return f.b < 0 || g_.nodes[static_cast<size_t>(f.a)].row == g_.nodes[static_cast<size_t>(f.b)].row;
  }
  bool adjacent(const Family& f) const {
    return std::abs(index_[static_cast<size_t>(f.a)] - index_[static_cast<size_t>(f.b)]) == 1;
  }

  // Where the line of descent of family f leaves its parents.
  double descent_x(int f) const { return descent_[static_cast<size_t>(f)]; }

  // The lines of descent's places. Spouses side by side: the middle of the
  // room between them. Spouses apart: the gap between them nearest their
  // middle that is neither the gap of a couple side by side nor one taken by
  // another such couple (shifted aside when every gap is taken).
  void place_descents() {
    descent_.assign(g_.families.size(), 0.0);
    std::map<std::pair<int, int>, int> taken;  // routed lines of descent per gap
    for (size_t fi = 0; fi < g_.families.size(); ++fi) {
      const Family& fam = g_.families[fi];
      double& dx = descent_[fi];
      if (fam.b < 0) {
        dx = x_of(fam.a);
        continue;
      }
      if (!same_row(fam)) {
        dx = x_of(lower(fam));
        continue;
      }
      const int l = x_of(fam.a) < x_of(fam.b) ? fam.a : fam.b;
      const int r = l == fam.a ? fam.b : fam.a;
      if (adjacent(fam)) {
        dx = gap_centre(l, r);
        continue;
      }
      const auto& row = order_[static_cast<size_t>(g_.nodes[static_cast<size_t>(l)].row)];
      const int il = index_[static_cast<size_t>(l)], ir = index_[static_cast<size_t>(r)];
      const double mid = 0.5 * (x_of(l) + x_of(r));
      std::pair<int, int> best{-1, -1};
      double best_distance = 0;
      for (int pass = 0; pass < 2 && best.first < 0; ++pass)
        for (int i = il; i < ir; ++i) {
          const std::pair<int, int> gap{row[static_cast<size_t>(i)], row[static_cast<size_t>(i + 1)]};
          if (couple_gaps_.count(gap) || couple_gaps_.count({gap.second, gap.first})) continue;
          if (pass == 0 && taken.count(gap)) continue;
          const double d = std::fabs(gap_centre(gap.first, gap.second) - mid);
          if (best.first < 0 || d < best_distance) {
            best = gap;
            best_distance = d;
          }
        }
      if (best.first < 0) best = {row[static_cast<size_t>(il)], row[static_cast<size_t>(il + 1)]};
      const int uses = taken[best]++;
      dx = gap_centre(best.first, best.second) + 0.15 * s_ * uses;
    }
  }

  // The middle of the free room between neighbours a (left) and b.
  double gap_centre(int a, int b) const { return 0.5 * ((x_of(a) + half(a)) + (x_of(b) - half(b))); }

  int lower(const Family& fam) const {
    return g_.nodes[static_cast<size_t>(fam.a)].row == fam.row ? fam.a : fam.b;
  }

  double span_low(int f) const {
    double lo = descent_x(f);
    for (int ch : g_.families[static_cast<size_t>(f)].children) lo = std::min(lo, x_of(ch));
    return lo;
  }
  double span_high(int f) const {
    double hi = descent_x(f);
    for (int ch : g_.families[static_cast<size_t>(f)].children) hi = std::max(hi, x_of(ch));
    return hi;
  }

  // Tracks (levels, 0 the highest) of the sibship lines of one gap. Two lines
  // that overlap go on different tracks, and where a family's line of descent
  // comes down within another's sibship line, or a child drops from its
  // sibship line within another's, that other line goes lower: so lines of
  // descent end on their own sibship line and cross no other (unless the
  // families are so entangled that this is impossible).
  std::vector<int> track_levels(const std::vector<int>& fams) const {
    const size_t n = fams.size();
    const double tol = 0.5;
    auto within = [&](double x, int f) { return x >= span_low(f) - tol && x <= span_high(f) + tol; };
    std::vector<std::vector<int>> lower(n);  // lower[i]: families whose line goes below i's
    std::vector<int> above_count(n, 0);
    for (size_t i = 0; i < n; ++i)
      for (size_t j = 0; j < n; ++j) {
        if (i == j) continue;
        bool i_above_j = within(descent_x(fams[i]), fams[j]);
        for (int c : g_.families[static_cast<size_t>(fams[j])].children)
          i_above_j = i_above_j || within(x_of(c), fams[i]);
        if (i_above_j) {
          lower[i].push_back(static_cast<int>(j));
          ++above_count[j];
        }
      }
    // Placed in order of the constraints (a family once all that must be
    // above it are placed; when they go round in a circle, the leftmost
    // family not yet placed), each on the highest track allowed that no
    // overlapping line holds.
    std::vector<int> level(n, -1), floor(n, 0);
    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return span_low(fams[a]) < span_low(fams[b]); });
    for (size_t placed = 0; placed < n; ++placed) {
      size_t pick = n;
      for (size_t i : order)
        if (level[i] < 0 && above_count[i] == 0) {
          pick = i;
          break;
        }
      if (pick == n)
        for (size_t i : order)
          if (level[i] < 0) {
            pick = i;
            break;
          }
      int t = floor[pick];
      for (bool clash = true; clash;) {
        clash = false;
        for (size_t k = 0; k < n && !clash; ++k)
          clash = level[k] == t && span_low(fams[k]) < span_high(fams[pick]) + 0.4 * s_ &&
                  span_low(fams[pick]) < span_high(fams[k]) + 0.4 * s_;
        if (clash) ++t;
      }
      level[pick] = t;
      for (int j : lower[pick]) {
        floor[static_cast<size_t>(j)] = std::max(floor[static_cast<size_t>(j)], t + 1);
        --above_count[static_cast<size_t>(j)];
      }
    }
    fewer_crossings(fams, level);
    return level;
  }

  // Crossings in one gap that involve family i of fams at level li: its line
  // of descent through a higher sibship line, its children's drops through a
  // lower one, and the same of the others' lines through its own.
  int gap_crossings(const std::vector<int>& fams, const std::vector<int>& level, size_t i, int li) const {
    const double tol = 0.5;
    auto inside = [&](double x, int f) { return x > span_low(f) + tol && x < span_high(f) - tol; };
    const int fi = fams[i];
    int n = 0;
    for (size_t j = 0; j < fams.size(); ++j) {
      if (j == i) continue;
      const int fj = fams[j], lj = level[j];
      if (lj < li && inside(descent_x(fi), fj)) ++n;
      if (li < lj && inside(descent_x(fj), fi)) ++n;
      if (lj > li)
        for (int c : g_.families[static_cast<size_t>(fi)].children) n += inside(x_of(c), fj);
      if (li > lj)
        for (int c : g_.families[static_cast<size_t>(fj)].children) n += inside(x_of(c), fi);
    }
    return n;
  }

  // Moves sibship lines to other tracks (a new one below the others
  // included) while that removes crossings, never onto a track where it
  // would overlap another line: the constraints above cannot all hold when
  // families are entangled, and then the order they were placed in decides
  // more than it should.
  void fewer_crossings(const std::vector<int>& fams, std::vector<int>& level) const {
    const size_t n = fams.size();
    if (n < 2 || n > 400) return;
    for (int pass = 0; pass < 3; ++pass) {
      bool moved = false;
      for (size_t i = 0; i < n; ++i) {
        const int now = gap_crossings(fams, level, i, level[i]);
        if (now == 0) continue;
        const int tracks = *std::max_element(level.begin(), level.end()) + 1;
        int best = level[i], fewest = now;
        for (int t = 0; t <= tracks; ++t) {
          if (t == level[i]) continue;
          bool clash = false;
          for (size_t k = 0; k < n && !clash; ++k)
            clash = k != i && level[k] == t && span_low(fams[k]) < span_high(fams[i]) + 0.4 * s_ &&
                    span_low(fams[i]) < span_high(fams[k]) + 0.4 * s_;
          if (clash) continue;
          const int c = gap_crossings(fams, level, i, t);
          if (c < fewest) {
            fewest = c;
            best = t;
          }
        }
        if (best != level[i]) {
          level[i] = best;
          moved = true;
        }
      }
      if (!moved) break;
    }
  }

  void line(double x1, double y1, double x2, double y2, LineKind kind) {
    out_.lines.push_back(LineSegment{x1, y1, x2, y2, kind});
  }

  void place_persons() {
    const double fs = out_.font;
    for (size_t v = 0; v < g_.nodes.size(); ++v) {
      const Node& n = g_.nodes[v];
      if (n.member < 0) continue;
      PlacedPerson& p = out_.persons[static_cast<size_t>(n.member)];
      p.x = x_[v];
      p.y = y_[static_cast<size_t>(n.row)];
      p.row = n.row;
      for (size_t i = 0; i < p.labels.size(); ++i)
        p.label_baselines.push_back(label_top_[static_cast<size_t>(n.row)] + 0.8 * fs +
                                    1.15 * fs * static_cast<double>(i));
      if (p.proband) {
        ProbandArrow a;
        a.member = n.member;
        double px, py;
        lower_left(p.shape, p.x, p.y, s_, px, py);
        const double back = 0.08 * s_;
        a.tip_x = px - back;
        a.tip_y = py + back;
        a.tail_x = p.x - 0.98 * s_;
        a.tail_y = p.y + 0.98 * s_;
        out_.arrows.push_back(a);
      }
    }
  }

  void draw_families() {
    for (size_t fi = 0; fi < g_.families.size(); ++fi) {
      const int f = static_cast<int>(fi);
      const Family& fam = g_.families[fi];
      const double r_y = y_[static_cast<size_t>(fam.row)];
      double from_y = r_y;  // where the line of descent starts
      if (fam.b >= 0) {
        const int l = x_of(fam.a) < x_of(fam.b) ? fam.a : fam.b;
        const int r = l == fam.a ? fam.b : fam.a;
        if (!same_row(fam)) {
          // Spouses on different rows (a person married to their own
          // descendant): a straight line between the symbols.
          const int up = lower(fam) == fam.a ? fam.b : fam.a;
          const double dir = x_of(lower(fam)) >= x_of(up) ? 1.0 : -1.0;
          line(x_of(up) + dir * 0.5 * s_, y_of(up), x_of(lower(fam)) - dir * 0.5 * s_, y_of(lower(fam)),
               LineKind::kMarriage);
          from_y = y_of(lower(fam)) + 0.5 * s_;
        } else if (adjacent(fam)) {
          // One line between the symbols' sides, two for a consanguineous
          // couple; the line of descent leaves from the lower one.
          const double d = fam.consanguineous ? 0.1 * s_ : 0.0;
          for (double dy : fam.consanguineous ? std::vector<double>{-d, d} : std::vector<double>{0.0})
            line(x_of(l) + outline_half_width(shape(l), s_, dy), r_y + dy,
                 x_of(r) - outline_half_width(shape(r), s_, dy), r_y + dy, LineKind::kMarriage);
          from_y = r_y + d;
        } else {
          // Not side by side: the marriage line goes over the row, leaving
          // each symbol's top beside the line from its own parents.
          const double over = over_y_[fi];
          const int copies = fam.consanguineous ? 2 : 1;
          for (int c = 0; c < copies; ++c) {
            // Each such marriage of a person leaves the symbol at its own place.
            const double d = c * 0.08 * s_, off = 0.2 * s_ + 0.1 * s_ * over_level_[fi] + d;
            const double xl = x_of(l) + off, xr = x_of(r) - off;
            line(xl, r_y - outline_top(shape(l), s_, off), xl, over - d, LineKind::kMarriage);
            line(xl, over - d, xr, over - d, LineKind::kMarriage);
            line(xr, over - d, xr, r_y - outline_top(shape(r), s_, off), LineKind::kMarriage);
          }
          from_y = over;
        }
      }
      if (fam.children.empty()) continue;
      const double dx = descent_x(f), bar = track_y_[fi];
      line(dx, from_y, dx, bar, fam.b >= 0 ? LineKind::kDescent : LineKind::kPassThrough);
      const double lo = span_low(f), hi = span_high(f);
      if (hi > lo) line(lo, bar, hi, bar, LineKind::kSibship);
      for (int ch : fam.children) {
        const double cy = person(ch) ? y_of(ch) - 0.5 * s_ : y_of(ch);
        line(x_of(ch), bar, x_of(ch), cy, person(ch) ? LineKind::kDrop : LineKind::kPassThrough);
      }
    }
  }

  Graph& g_;
  std::vector<double> x_;
  PedigreeLayout& out_;
  double s_;
  std::vector<int> index_;
  std::vector<std::vector<int>> order_;     // the nodes of each row, left to right
  std::set<std::pair<int, int>> couple_gaps_;  // spouses side by side
  std::vector<double> y_, label_top_, track_y_, over_y_;
  std::vector<double> descent_;  // by family
  std::vector<int> over_level_;  // by family: which of the staggered marriage lines over a row
};

}  // namespace

namespace {

// The layout proper; folded, when not empty, marks the stubs of a trimmed
// pedigree (by member).
PedigreeLayout lay_out(const Sample& sample, int k, const std::vector<double>& carrier,
                       const std::vector<int>& folded) {
  const int n = sample.size(k), base = sample.first(k);
  PedigreeLayout out;
  out.pedigree_id = sample.pedigree_ids[static_cast<size_t>(k)];
  // Smaller symbols for larger pedigrees; the page grows wider instead.
  out.symbol = n <= 40 ? 26.0 : n <= 120 ? 22.0 : 18.0;
  out.font = n <= 40 ? 12.0 : n <= 120 ? 11.0 : 10.0;
  out.carriers = !carrier.empty();
  const double s = out.symbol;

  out.persons.resize(static_cast<size_t>(n));
  for (int m = 0; m < n; ++m) {
    PlacedPerson& p = out.persons[static_cast<size_t>(m)];
    const int person = base + m;
    p.member = m;
    p.id = sample.ids[static_cast<size_t>(person)];
    p.shape = shape_of(sample.sex[static_cast<size_t>(person)]);
    p.trait = sample.trait[static_cast<size_t>(person)];
    p.proband = sample.proband[static_cast<size_t>(person)] == kProband;
    p.carrier = carrier.empty() ? std::nan("") : carrier[static_cast<size_t>(m)];
    p.folded = folded.empty() ? 0 : folded[static_cast<size_t>(m)];
    p.labels.push_back(p.folded > 0 ? "folded" : p.id);
    if (out.carriers) p.labels.push_back(std::isnan(p.carrier) ? "" : carrier_text(p.carrier));
  }

  Graph g = layout::generation_rows(sample, k);
  // Persons tied to no one (no parent, child or spouse in the pedigree) go to
  // a row of their own under the others, where nothing suggests a tie.
  std::vector<int> unlinked;
  for (int m = 0; m < n; ++m)
    if (g.nodes[static_cast<size_t>(m)].families.empty() && g.nodes[static_cast<size_t>(m)].parent_family < 0)
      unlinked.push_back(m);
  if (!unlinked.empty() && static_cast<int>(unlinked.size()) < n) {
    for (auto& row : g.rows)
      row.erase(std::remove_if(row.begin(), row.end(),
                               [&](const std::vector<int>& block) {
                                 return block.size() == 1 && std::binary_search(unlinked.begin(), unlinked.end(),
                                                                                block.front());
                               }),
                row.end());
    g.rows.erase(std::remove_if(g.rows.begin(), g.rows.end(), [](const auto& row) { return row.empty(); }),
                 g.rows.end());
    for (size_t r = 0; r < g.rows.size(); ++r)
      for (const auto& block : g.rows[r])
        for (int v : block) g.nodes[static_cast<size_t>(v)].row = static_cast<int>(r);
    for (auto& f : g.families)
      f.row = std::max(g.nodes[static_cast<size_t>(f.a)].row, f.b >= 0 ? g.nodes[static_cast<size_t>(f.b)].row : 0);
    g.rows.emplace_back();
    for (int m : unlinked) {
      g.nodes[static_cast<size_t>(m)].row = static_cast<int>(g.rows.size() - 1);
      g.rows.back().push_back({m});
      out.persons[static_cast<size_t>(m)].unlinked = true;
    }
    out.unlinked = static_cast<int>(unlinked.size());
  }
  for (Node& node : g.nodes) {
    if (node.member < 0) {
      node.half_width = 0.35 * s;
      continue;
    }
    double w = 0;
    for (const std::string& l : out.persons[static_cast<size_t>(node.member)].labels)
      w = std::max(w, text_width(l, out.font));
    // Large pedigrees are drawn closer: their width is what limits them.
    node.half_width = std::max((n <= 120 ? 1.2 : 1.0) * s, 0.5 * w + 0.25 * s);
  }
  // Each candidate order placed and drawn; the drawing whose lines of descent
  // cross least is kept (the first, of fewest crossings by order, on a tie).
  const std::vector<layout::Rows> orders = layout::order_rows(g);
  PedigreeLayout best;
  long best_crossings = -1;
  for (const layout::Rows& rows : orders) {
    Graph candidate = g;
    candidate.rows = rows;
    std::vector<double> x = layout::place_rows(candidate, 0.35 * s);
    if (out.unlinked > 0) {
      // The row of persons tied to no one starts at the others' left edge.
      double others = 0, at = 0;
      bool any = false;
      for (size_t v = 0; v < candidate.nodes.size(); ++v) {
        if (v < out.persons.size() && out.persons[v].unlinked) continue;
        const double l = x[v] - candidate.nodes[v].half_width;
        if (!any || l < others) others = l;
        any = true;
      }
      at = others;
      for (const auto& block : candidate.rows.back())
        for (int v : block) {
          x[static_cast<size_t>(v)] = at + candidate.nodes[static_cast<size_t>(v)].half_width;
          at += 2 * candidate.nodes[static_cast<size_t>(v)].half_width;
        }
    }
    double left = 0;
    bool first = true;
    for (size_t v = 0; v < candidate.nodes.size(); ++v) {
      const double l = x[v] - candidate.nodes[v].half_width;
      if (first || l < left) left = l;
      first = false;
    }
    for (double& xv : x) xv += 0.6 * s - left;
    PedigreeLayout drawn = out;
    Geometry(candidate, std::move(x), drawn).build();
    const long crossings = descent_crossings(drawn.lines);
    if (best_crossings < 0 || crossings < best_crossings) {
      best = std::move(drawn);
      best_crossings = crossings;
    }
    if (best_crossings == 0) break;
  }
  out = std::move(best);
  return out;
}

}  // namespace

PedigreeLayout pedigree_layout(const Sample& sample, int k, const std::vector<double>& carrier,
                               const DrawingOptions& options) {
  if (k < 0 || k >= sample.pedigrees()) throw std::invalid_argument("no pedigree number " + std::to_string(k));
  const int n = sample.size(k);
  if (!carrier.empty() && static_cast<int>(carrier.size()) != n)
    throw std::invalid_argument("carrier probabilities for " + std::to_string(carrier.size()) +
                                " persons, the pedigree has " + std::to_string(n));
  for (double p : carrier)
    if (!std::isnan(p) && !(p >= 0.0 && p <= 1.0))
      throw std::invalid_argument("a carrier probability outside [0, 1]");
  PedigreeLayout out;
  if (options.trim) {
    const TrimmedPedigree t = trim_pedigree(sample, k, carrier);
    out = lay_out(t.sample, 0, t.carrier, t.folded);
    out.folded = t.folded_persons;
  } else {
    out = lay_out(sample, k, carrier, {});
  }
  if (options.width > 0 && out.width > options.width) out.scale = options.width / out.width;
  return out;
}

}  // namespace kinseg::report
