#include "tests/support/drawing_checks.hpp"

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <functional>
#include <map>
#include <numeric>
#include <set>

#include "report/symbol_outline.hpp"

namespace kinseg::report {

namespace {

constexpr double kTolerance = 0.5;  // drawing units: what the eye cannot tell apart

double depth(const DrawnSymbol& s, double px, double py) {
  return depth_inside(s.shape, s.size, px - s.x, py - s.y);
}

// The deepest a segment goes into a symbol. The depth is a concave function
// along the segment (the symbols are convex), so a ternary search finds it.
double deepest(const LineSegment& l, const DrawnSymbol& s) {
  const double r = 0.5 * s.size;
  if (std::max(l.x1, l.x2) < s.x - r || std::min(l.x1, l.x2) > s.x + r || std::max(l.y1, l.y2) < s.y - r ||
      std::min(l.y1, l.y2) > s.y + r)
    return -1.0;
  auto at = [&](double t) { return depth(s, l.x1 + t * (l.x2 - l.x1), l.y1 + t * (l.y2 - l.y1)); };
  double lo = 0, hi = 1;
  for (int i = 0; i < 80; ++i) {
    const double a = lo + (hi - lo) / 3, b = hi - (hi - lo) / 3;
    if (at(a) < at(b))
      lo = a;
    else
      hi = b;
  }
  return std::max({at(0.5 * (lo + hi)), at(0.0), at(1.0)});
}

double point_to_segment(double px, double py, const LineSegment& l) {
  const double dx = l.x2 - l.x1, dy = l.y2 - l.y1, len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((px - l.x1) * dx + (py - l.y1) * dy) / len2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(px - (l.x1 + t * dx), py - (l.y1 + t * dy));
}

int find_root(std::vector<int>& up, int x) {
  while (up[x] != x) x = up[x] = up[up[x]];
  return x;
}

}  // namespace

Drawing drawing_of(const PedigreeLayout& layout) {
  Drawing d;
  for (const PlacedPerson& p : layout.persons) d.symbols.push_back(DrawnSymbol{p.id, p.shape, p.x, p.y, layout.symbol});
  d.lines = layout.lines;
  for (const ProbandArrow& a : layout.arrows)
    d.arrows.push_back(
        DrawnArrow{layout.persons[static_cast<size_t>(a.member)].id, a.tail_x, a.tail_y, a.tip_x, a.tip_y});
  return d;
}

std::vector<std::string> drawing_problems(const Drawing& d, const Sample& sample, int k) {
  std::vector<std::string> problems;
  const int n = sample.size(k), base = sample.first(k);
  auto id = [&](int m) { return sample.ids[static_cast<size_t>(base + m)]; };

  // One symbol per person.
  std::map<std::string, int> symbol_of;
  for (size_t i = 0; i < d.symbols.size(); ++i)
    if (!symbol_of.emplace(d.symbols[i].id, static_cast<int>(i)).second)
      problems.push_back("two symbols for " + d.symbols[i].id);
  std::vector<int> sym(static_cast<size_t>(n), -1);
  std::set<std::string> ids;
  for (int m = 0; m < n; ++m) {
    ids.insert(id(m));
    auto it = symbol_of.find(id(m));
    if (it == symbol_of.end())
      problems.push_back("no symbol for " + id(m));
    else
      sym[static_cast<size_t>(m)] = it->second;
  }
  for (const DrawnSymbol& s : d.symbols)
    if (!ids.count(s.id)) problems.push_back("a symbol for " + s.id + ", who is not in the pedigree");
  if (!problems.empty()) return problems;
  auto S = [&](int m) -> const DrawnSymbol& { return d.symbols[static_cast<size_t>(sym[static_cast<size_t>(m)])]; };

  // No overlap.
  for (size_t i = 0; i < d.symbols.size(); ++i)
    for (size_t j = i + 1; j < d.symbols.size(); ++j) {
      const DrawnSymbol &a = d.symbols[i], &b = d.symbols[j];
      const double reach = 0.5 * (a.size + b.size) - kTolerance;
      if (std::fabs(a.x - b.x) < reach && std::fabs(a.y - b.y) < reach)
        problems.push_back("the symbols of " + a.id + " and " + b.id + " overlap");
    }

  // Parents above children; couples and their children.
  std::map<std::pair<int, int>, std::vector<int>> couples;
  for (int m = 0; m < n; ++m) {
    const int f = sample.father[static_cast<size_t>(base + m)] - base;
    const int mo = sample.mother[static_cast<size_t>(base + m)] - base;
    if (f < 0 || mo < 0 || f >= n || mo >= n) continue;
    couples[{f, mo}].push_back(m);
    for (int p : {f, mo})
      if (!(S(p).y < S(m).y - kTolerance)) problems.push_back(id(p) + " is not drawn above " + id(m));
  }

  // Related couples: a common ancestor (or one the other's ancestor).
  std::vector<std::set<int>> ancestors(static_cast<size_t>(n));
  std::vector<char> done(static_cast<size_t>(n), 0);
  std::function<const std::set<int>&(int)> anc = [&](int m) -> const std::set<int>& {
    auto& a = ancestors[static_cast<size_t>(m)];
    if (done[static_cast<size_t>(m)]) return a;
    done[static_cast<size_t>(m)] = 1;
    a.insert(m);
    for (int p : {sample.father[static_cast<size_t>(base + m)], sample.mother[static_cast<size_t>(base + m)]})
      if (p >= base && p < base + n) {
        const auto& pa = anc(p - base);
        a.insert(pa.begin(), pa.end());
      }
    return a;
  };

  std::map<int, int> spouses;
  for (const auto& couple : couples) {
    ++spouses[couple.first.first];
    ++spouses[couple.first.second];
  }
  for (const auto& [parents, children] : couples) {
    const DrawnSymbol &a = S(parents.first), &b = S(parents.second);
    const std::string names = id(parents.first) + " and " + id(parents.second);
    if (std::fabs(a.y - b.y) > kTolerance) {
      problems.push_back("the spouses " + names + " are not on one row");
      continue;
    }
    const DrawnSymbol& l = a.x < b.x ? a : b;
    const DrawnSymbol& r = a.x < b.x ? b : a;
    bool between = false;
    for (const DrawnSymbol& s : d.symbols)
      if (&s != &l && &s != &r && std::fabs(s.y - a.y) < 0.5 * a.size && s.x > l.x && s.x < r.x) between = true;
    if (between) {
      // A person with three or more spouses cannot stand beside them all.
      if (spouses[parents.first] <= 2 && spouses[parents.second] <= 2)
        problems.push_back("the spouses " + names + " are not side by side");
      continue;
    }
    const auto& aa = anc(parents.first);
    const auto& ab = anc(parents.second);
    bool related = false;
    for (int x : aa) related = related || ab.count(x) > 0;
    int lines = 0;
    for (const LineSegment& s : d.lines) {
      if (s.kind != LineKind::kMarriage || std::fabs(s.y1 - s.y2) > kTolerance) continue;
      if (std::fabs(s.y1 - a.y) >= 0.5 * a.size) continue;
      const double lo = std::min(s.x1, s.x2), hi = std::max(s.x1, s.x2);
      if (lo >= l.x - kTolerance && hi <= r.x + kTolerance && lo <= l.x + 0.5 * l.size + kTolerance &&
          hi >= r.x - 0.5 * r.size - kTolerance)
        ++lines;
    }
    const int want = related ? 2 : 1;
    if (lines != want)
      problems.push_back("the spouses " + names + " are joined by " + std::to_string(lines) +
                         " marriage lines, not " + std::to_string(want) + (related ? " (a related couple)" : ""));
  }

  // Lines joined into connected figures: two lines join where an end of one
  // lies on the other. A figure touches a person where one of its ends lies
  // on the person's outline.
  const size_t L = d.lines.size();
  std::vector<int> up(L);
  std::iota(up.begin(), up.end(), 0);
  for (size_t i = 0; i < L; ++i)
    for (size_t j = 0; j < L; ++j) {
      if (i == j) continue;
      const LineSegment& a = d.lines[i];
      if (point_to_segment(a.x1, a.y1, d.lines[j]) < kTolerance ||
          point_to_segment(a.x2, a.y2, d.lines[j]) < kTolerance)
        up[static_cast<size_t>(find_root(up, static_cast<int>(i)))] = find_root(up, static_cast<int>(j));
    }
  std::map<int, std::set<int>> touched;
  for (size_t i = 0; i < L; ++i) {
    const LineSegment& l = d.lines[i];
    for (int m = 0; m < n; ++m)
      for (const auto& [px, py] : {std::pair{l.x1, l.y1}, std::pair{l.x2, l.y2}})
        if (std::fabs(depth(S(m), px, py)) < kTolerance) touched[find_root(up, static_cast<int>(i))].insert(m);
  }
  for (const auto& [parents, children] : couples) {
    std::set<int> family(children.begin(), children.end());
    family.insert(parents.first);
    family.insert(parents.second);
    // The figure that joins both parents and reaches most of their children.
    const std::set<int>* best = nullptr;
    size_t reached = 0;
    for (const auto& [root, persons] : touched) {
      if (!persons.count(parents.first) || !persons.count(parents.second)) continue;
      size_t r = 0;
      for (int c : children) r += persons.count(c);
      if (!best || r > reached) {
        best = &persons;
        reached = r;
      }
    }
    const std::string names = id(parents.first) + " and " + id(parents.second);
    if (!best || reached == 0) {
      problems.push_back("no line of descent joins " + names + " to their children");
      continue;
    }
    for (int m : family)
      if (!best->count(m)) problems.push_back("the line of descent of " + names + " does not reach " + id(m));
    for (int m : *best)
      if (!family.count(m)) problems.push_back("the line of descent of " + names + " also touches " + id(m));
  }

  // No line, and no arrow, crosses a symbol.
  std::vector<LineSegment> all = d.lines;
  std::vector<std::string> what(d.lines.size(), "a line");
  for (const DrawnArrow& a : d.arrows) {
    all.push_back(LineSegment{a.tail_x, a.tail_y, a.tip_x, a.tip_y, LineKind::kDrop});
    what.push_back("the arrow at " + a.id);
  }
  for (size_t i = 0; i < all.size(); ++i)
    for (const DrawnSymbol& s : d.symbols)
      if (deepest(all[i], s) > kTolerance) {
        char where[96];
        std::snprintf(where, sizeof where, " (%.1f,%.1f)-(%.1f,%.1f)", all[i].x1, all[i].y1, all[i].x2, all[i].y2);
        problems.push_back(what[i] + where + " crosses the symbol of " + s.id);
      }

  // Arrows: one at every proband, pointing at the symbol from below left.
  std::map<std::string, int> arrows;
  for (const DrawnArrow& a : d.arrows) ++arrows[a.id];
  for (int m = 0; m < n; ++m) {
    const bool proband = sample.proband[static_cast<size_t>(base + m)] == kProband;
    const int count = arrows.count(id(m)) ? arrows[id(m)] : 0;
    if (proband && count != 1) problems.push_back("the proband " + id(m) + " has " + std::to_string(count) + " arrows");
    if (!proband && count > 0) problems.push_back(id(m) + " has an arrow but is not a proband");
  }
  for (const DrawnArrow& a : d.arrows) {
    const auto it = symbol_of.find(a.id);
    if (it == symbol_of.end()) continue;
    const DrawnSymbol& s = d.symbols[static_cast<size_t>(it->second)];
    const double in = depth(s, a.tip_x, a.tip_y);
    if (!(a.tip_x < s.x && a.tip_y > s.y && in <= kTolerance && in > -0.25 * s.size))
      problems.push_back("the arrow at " + a.id + " does not point at the symbol from below left");
  }
  return problems;
}

}  // namespace kinseg::report
