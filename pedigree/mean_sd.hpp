// The mean and standard deviation of a covariate's values, finite for any
// finite values: values beyond 1e100 in size are summed divided by the
// largest of them, so that neither the sum nor the squares overflow (a single
// value of 1e300 made the deviation inf).
#pragma once

#include <vector>

namespace kinseg {

struct MeanSd {
  double mean = 0;
  double sd = 0;  // with n - 1; 0 for fewer than two values
};

MeanSd mean_sd(const std::vector<double>& values);

}  // namespace kinseg
