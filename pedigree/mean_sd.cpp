#include "pedigree/mean_sd.hpp"

#include <algorithm>
#include <cmath>

namespace kinseg {

MeanSd mean_sd(const std::vector<double>& values) {
  MeanSd out;
  const size_t n = values.size();
  if (n == 0) return out;
  double largest = 0;
  for (const double x : values) largest = std::max(largest, std::abs(x));
  const double unit = largest > 1e100 ? largest : 1.0;
  double sum = 0;
  for (const double x : values) sum += x / unit;
  const double mean = sum / static_cast<double>(n);
  out.mean = mean * unit;
  if (n > 1) {
    double ss = 0;
    for (const double x : values) ss += (x / unit - mean) * (x / unit - mean);
    out.sd = std::sqrt(ss / static_cast<double>(n - 1)) * unit;
  }
  return out;
}

}  // namespace kinseg
