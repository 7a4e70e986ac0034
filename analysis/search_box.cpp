#include "analysis/search_box.hpp"

#include <algorithm>
#include <cmath>

#include "analysis/message_text.hpp"

namespace kinseg {

std::string box_problem(const std::string& name, double low, double high) {
  const std::string box = name + "=" + significant(low, 10) + ":" + significant(high, 10);
  if (!std::isfinite(low) || !std::isfinite(high)) return box + ": the bounds must be finite numbers";
  if (!(low < high)) return box + ": the lower bound must be below the upper one";
  if (!std::isfinite(high - low))
    return box + ": the box is wider than a double holds (its width is not a finite number); give narrower bounds";
  return "";
}

double search_scale(double nominal, double low, double high) {
  const double quarter = 0.25 * (high - low);
  return std::isfinite(nominal) && nominal > 0 ? std::min(nominal, quarter) : quarter;
}

std::vector<double> first_steps(const SearchBox& box, const std::vector<double>& steps) {
  std::vector<double> dx(steps.size());
  for (size_t i = 0; i < steps.size(); ++i) {
    const double room = 0.45 * (box.upper[i] - box.lower[i]);
    const double step = std::min(steps[i], room);
    dx[i] = step > 0 ? step : room;
  }
  return dx;
}

}  // namespace kinseg
