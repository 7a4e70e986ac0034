// Crossings of the lines of descent of a drawing, as the reader sees them: two
// drawn segments (lines of descent, sibship lines, drops to a child and lines
// passing a row) that cut through each other, rather than meet at an end or
// join. The layout keeps the order of its rows with the fewest; the benchmarks
// report them.
#pragma once

#include <vector>

#include "report/pedigree_layout.hpp"

namespace kinseg::report {

long descent_crossings(const std::vector<LineSegment>& lines);

}  // namespace kinseg::report
