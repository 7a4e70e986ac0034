// The outline of a pedigree symbol of size s centred at the origin (square of
// side s, circle of diameter s, diamond of diagonal s): where lines end on it,
// and whether a point lies inside it. Used by the layout to end lines on the
// symbols and by the drawing checks to read them back.
#pragma once

#include <algorithm>
#include <cmath>

#include "report/pedigree_layout.hpp"

namespace kinseg::report {

// Half the symbol's width at height dy from its centre (0 outside it).
inline double outline_half_width(SymbolShape shape, double s, double dy) {
  const double r = 0.5 * s, a = std::fabs(dy);
  if (a >= r) return 0.0;
  switch (shape) {
    case SymbolShape::kSquare: return r;
    case SymbolShape::kCircle: return std::sqrt(r * r - a * a);
    case SymbolShape::kDiamond: return r - a;
  }
  return r;
}

// How far above its centre the top of the symbol is, at horizontal offset dx.
inline double outline_top(SymbolShape shape, double s, double dx) { return outline_half_width(shape, s, dx); }

// How deep the point (dx, dy) from the centre lies inside the symbol: positive
// inside, negative outside, in the units of the drawing (exact for the square
// and circle, within a factor of the true distance for the diamond).
inline double depth_inside(SymbolShape shape, double s, double dx, double dy) {
  const double r = 0.5 * s;
  switch (shape) {
    case SymbolShape::kSquare: return r - std::max(std::fabs(dx), std::fabs(dy));
    case SymbolShape::kCircle: return r - std::hypot(dx, dy);
    case SymbolShape::kDiamond: return (r - std::fabs(dx) - std::fabs(dy)) / std::sqrt(2.0);
  }
  return 0.0;
}

}  // namespace kinseg::report
