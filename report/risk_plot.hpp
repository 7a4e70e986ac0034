// The plot of each genotype's risk by age as SVG: the risk of having fallen
// ill by each age, one curve per genotype with its 95% band shaded, the asked
// ages marked, and a legend that names the genotypes. The panels of a
// section (one per sex) share their axes, so that they can be compared.
#pragma once

#include <cstddef>
#include <string>

#include "report/report_input.hpp"

namespace kinseg::report {

// The plot of the section's panel `panel`; `serial` makes the ids inside
// the SVG unique on a page with several plots.
std::string risk_plot_svg(const RiskSection& section, size_t panel, int serial);

}  // namespace kinseg::report
