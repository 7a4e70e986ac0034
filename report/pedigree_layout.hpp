// Where each person of a pedigree stands in its drawing, and every line of it,
// in the conventions of genetic counselling: generations in rows, spouses side
// by side joined by a marriage line (doubled for a consanguineous couple), the
// children of a couple on a sibship line under them, an arrow at each proband,
// the person's original id under the symbol and, when given, the probability
// that the person carries at least one copy of the risk allele under the id.
//
// The layout is computed once and then written as SVG (pedigree_svg.hpp); the
// tests check the drawing rules on it (tests/support/drawing_checks.hpp).
// Coordinates are SVG user units (pixels), y downwards.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pedigree/sample.hpp"

namespace kinseg::report {

enum class SymbolShape { kSquare, kCircle, kDiamond };  // male, female, unknown sex

struct PlacedPerson {
  int member = 0;      // member number within the pedigree
  std::string id;      // the original id
  SymbolShape shape = SymbolShape::kDiamond;
  int8_t trait = kUnknownTrait;
  bool proband = false;
  double carrier = 0;  // P(at least one copy); NaN when not given
  double x = 0, y = 0; // centre of the symbol
  int row = 0;         // generation row, 0 at the top
  std::vector<std::string> labels;  // lines under the symbol: the id, then the carrier probability
  std::vector<double> label_baselines;
  int folded = 0;      // a stub standing for this many persons of a folded branch (--trim); 0: a person
  bool unlinked = false;  // tied to no one else in the pedigree: drawn apart, in the last row
};

enum class LineKind {
  kMarriage,     // between spouses (a second parallel line for consanguinity)
  kDescent,      // from a couple down to its sibship line
  kSibship,      // horizontal, over the children of one couple
  kDrop,         // from the sibship line down to a child
  kPassThrough,  // a line of descent crossing a row to a child several rows down
};

struct LineSegment {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  LineKind kind = LineKind::kMarriage;
};

struct ProbandArrow {
  int member = 0;
  double tail_x = 0, tail_y = 0, tip_x = 0, tip_y = 0;  // the tip points at the symbol
};

struct PedigreeLayout {
  std::string pedigree_id;
  double symbol = 0;  // side of a square, diameter of a circle, diagonal of a diamond
  double font = 0;    // size of the label text
  double width = 0, height = 0;
  int rows = 0;
  bool carriers = false;  // carrier probabilities given
  double scale = 1;       // the drawing is shown at this scale (below 1 to meet a target width)
  int unlinked = 0;       // persons tied to no one, in the last row under a caption at unlinked_caption_y
  double unlinked_caption_y = 0;
  int folded = 0;         // persons folded into stubs (--trim)
  std::vector<PlacedPerson> persons;  // by member number
  std::vector<LineSegment> lines;
  std::vector<ProbandArrow> arrows;
};

// The line under the title of a drawing with carrier probabilities.
extern const char* const kCarrierNote;

struct DrawingOptions {
  bool trim = false;  // fold branches without any person of known trait (pedigree_trim.hpp)
  double width = 0;   // the widest the drawing is shown, in pixels (scaled down to it); 0: its own width
};

// The caption over the persons tied to no one.
extern const char* const kUnlinkedNote;

// The layout of pedigree k of the sample. carrier, when not empty, holds one
// probability per member of the pedigree (NaN: none for that person); a value
// outside [0, 1] is refused (std::invalid_argument). A pedigree in which a
// person is their own ancestor is refused the same way.
PedigreeLayout pedigree_layout(const Sample& sample, int k, const std::vector<double>& carrier = {},
                               const DrawingOptions& options = {});

}  // namespace kinseg::report
