// The plot of a profile likelihood as SVG: ln L against the parameter's value,
// with the estimate (a vertical line) and the level of the 95% interval (a
// horizontal line, its crossings with the curve marked).
#pragma once

#include <string>

#include "report/report_input.hpp"

namespace kinseg::report {

// `serial` makes the ids inside the SVG unique on a page with several plots.
std::string profile_plot_svg(const ProfileCurve& curve, int serial);

}  // namespace kinseg::report
