// The rules a pedigree drawing keeps, checked on what was drawn: either the
// layout's coordinates or an SVG read back, compared with the pedigree in the
// sample (who is whose child, who is a proband):
//   - every person has one symbol, and no two symbols overlap;
//   - parents stand above their children;
//   - spouses stand side by side on one row, joined by one marriage line, or
//     two when they are related (share an ancestor) (a person with three or
//     more spouses cannot stand beside them all: such a couple need only be
//     joined);
//   - the lines that touch a child's symbol from above lead to its parents
//     and its brothers and sisters only (children on their parents' sibship
//     line, with nobody else's lines joined to it);
//   - no line crosses a symbol;
//   - every proband, and nobody else, has an arrow pointing at the symbol.
#pragma once

#include <string>
#include <vector>

#include "pedigree/sample.hpp"
#include "report/pedigree_layout.hpp"

namespace kinseg::report {

struct DrawnSymbol {
  std::string id;
  SymbolShape shape = SymbolShape::kSquare;
  double x = 0, y = 0, size = 0;
};

struct DrawnArrow {
  std::string id;
  double tail_x = 0, tail_y = 0, tip_x = 0, tip_y = 0;
};

struct Drawing {
  std::vector<DrawnSymbol> symbols;
  std::vector<LineSegment> lines;
  std::vector<DrawnArrow> arrows;
};

Drawing drawing_of(const PedigreeLayout& layout);

// Reads back an SVG written by pedigree_svg(). Throws std::invalid_argument
// when it does not hold a drawing in that form.
Drawing read_drawing_svg(const std::string& svg);

// What breaks the rules, one line each; empty when the drawing keeps them.
std::vector<std::string> drawing_problems(const Drawing& drawing, const Sample& sample, int k);

}  // namespace kinseg::report
