#include "report/plot_axes.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kinseg::report {

std::string svg_coord(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", v);
  std::string s = text;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s == "-0" ? "0" : s;
}

std::string tick_text(double v, double step) {
  if (std::fabs(v) < 1e-9 * step) v = 0;
  char text[32];
  const double size = std::max(std::fabs(v), step);
  if (size >= 1e7 || size < 1e-4) {
    std::snprintf(text, sizeof text, "%.4g", v);
  } else {
    const int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
  }
  return text;
}

std::vector<double> axis_ticks(double lo, double hi, int count, double& step) {
  const double raw = (hi - lo) / count;
  const double p = std::pow(10.0, std::floor(std::log10(raw)));
  step = raw / p < 1.5 ? p : raw / p < 3.5 ? 2 * p : raw / p < 7.5 ? 5 * p : 10 * p;
  std::vector<double> t;
  for (double v = std::ceil(lo / step) * step; v <= hi + 1e-9 * step; v += step) t.push_back(v);
  return t;
}

}  // namespace kinseg::report
