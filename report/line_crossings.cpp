#include "report/line_crossings.hpp"

#include <algorithm>
#include <cmath>

namespace kinseg::report {

namespace {

bool of_descent(LineKind k) {
  return k == LineKind::kDescent || k == LineKind::kSibship || k == LineKind::kDrop || k == LineKind::kPassThrough;
}

// Which side of the line through a and b the point p lies on: +1, -1, or 0
// within a hundredth of a unit.
int side(double ax, double ay, double bx, double by, double px, double py) {
  const double len = std::hypot(bx - ax, by - ay);
  if (len == 0) return 0;
  const double d = ((bx - ax) * (py - ay) - (by - ay) * (px - ax)) / len;
  return d > 0.01 ? 1 : d < -0.01 ? -1 : 0;
}

// Two segments cross when each one's ends lie strictly on opposite sides of
// the other: ends that touch, and segments along one line, do not count.
bool cross(const LineSegment& a, const LineSegment& b) {
  const int s1 = side(a.x1, a.y1, a.x2, a.y2, b.x1, b.y1), s2 = side(a.x1, a.y1, a.x2, a.y2, b.x2, b.y2);
  const int s3 = side(b.x1, b.y1, b.x2, b.y2, a.x1, a.y1), s4 = side(b.x1, b.y1, b.x2, b.y2, a.x2, a.y2);
  return s1 * s2 < 0 && s3 * s4 < 0;
}

}  // namespace

long descent_crossings(const std::vector<LineSegment>& lines) {
  std::vector<LineSegment> d;
  for (const LineSegment& l : lines)
    if (of_descent(l.kind)) d.push_back(l);
  // By their upper end, so that only segments whose heights overlap are
  // compared.
  auto top = [](const LineSegment& l) { return std::min(l.y1, l.y2); };
  auto bottom = [](const LineSegment& l) { return std::max(l.y1, l.y2); };
  std::sort(d.begin(), d.end(), [&](const LineSegment& a, const LineSegment& b) { return top(a) < top(b); });
  long n = 0;
  for (size_t i = 0; i < d.size(); ++i)
    for (size_t j = i + 1; j < d.size() && top(d[j]) <= bottom(d[i]); ++j) n += cross(d[i], d[j]);
  return n;
}

}  // namespace kinseg::report
