// What the page's plots share: coordinates written short, round tick steps
// and tick labels with as many decimals as the step needs.
#pragma once

#include <string>
#include <vector>

namespace kinseg::report {

// A coordinate with at most two decimals, trailing zeros dropped ("12.5", "0").
std::string svg_coord(double v);

// Ticks at a round step (1, 2 or 5 times a power of ten) giving about
// `count` of them over [lo, hi]; `step` receives the step.
std::vector<double> axis_ticks(double lo, double hi, int count, double& step);

// A tick's label: as many decimals as the step between ticks needs, so that
// neighbouring ticks differ (ln L of a large sample, -11135.5 and -11135,
// must not both read -1.114e+04); very large or small values in exponent form.
std::string tick_text(double v, double step);

}  // namespace kinseg::report
