// A pedigree drawing as SVG, from its layout (pedigree_layout.hpp). The file
// stands alone (it opens in a browser or a drawing program) and is embedded
// as it is in the HTML report.
//
// Every person is a group <g class="person" data-id="ID"> holding the symbol
// (class "symbol": rect, circle or polygon), the "?" of an unknown trait, the
// id and the carrier probability; every line is a <line> with the class of
// its kind (marriage, descent, sibship, drop, pass); a proband's arrow is a
// group <g class="arrow" data-id="ID">. A stub of a trimmed drawing is a person
// group with data-folded="N" (the persons it stands for), a person tied to no
// one has data-unlinked="1". The tests read these back
// (tests/support/drawing_checks.hpp).
#pragma once

#include <string>
#include <vector>

#include "pedigree/sample.hpp"
#include "report/pedigree_layout.hpp"

namespace kinseg::report {

std::string pedigree_svg(const PedigreeLayout& layout);

// Layout and SVG in one step.
std::string draw_pedigree(const Sample& sample, int k, const std::vector<double>& carrier = {},
                          const DrawingOptions& options = {});

// A small key to the symbols, for a page that shows several drawings.
std::string pedigree_key_svg();

}  // namespace kinseg::report
