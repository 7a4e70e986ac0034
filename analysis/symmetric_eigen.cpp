#include "analysis/symmetric_eigen.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace kinseg {

SymmetricEigen symmetric_eigen(const std::vector<double>& a_in, int n) {
  auto at = [n](std::vector<double>& m, int i, int j) -> double& { return m[static_cast<size_t>(i) * n + j]; };
  std::vector<double> a(a_in);
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j) at(a, i, j) = at(a, j, i) = 0.5 * (at(a, i, j) + at(a, j, i));
  std::vector<double> v(static_cast<size_t>(n) * n, 0.0);
  for (int i = 0; i < n; ++i) at(v, i, i) = 1.0;

  for (int sweep = 0; sweep < 100; ++sweep) {
    double off = 0, diag = 0;
    for (int i = 0; i < n; ++i) {
      diag += at(a, i, i) * at(a, i, i);
      for (int j = i + 1; j < n; ++j) off += at(a, i, j) * at(a, i, j);
    }
    if (off <= 1e-30 * diag || off == 0) break;
    for (int p = 0; p < n; ++p)
      for (int q = p + 1; q < n; ++q) {
        const double apq = at(a, p, q);
        if (apq == 0) continue;
        const double theta = (at(a, q, q) - at(a, p, p)) / (2 * apq);
        const double t = (theta >= 0 ? 1.0 : -1.0) / (std::abs(theta) + std::sqrt(theta * theta + 1));
        const double c = 1 / std::sqrt(t * t + 1), s = t * c;
        for (int k = 0; k < n; ++k) {
          const double akp = at(a, k, p), akq = at(a, k, q);
          at(a, k, p) = c * akp - s * akq;
          at(a, k, q) = s * akp + c * akq;
        }
        for (int k = 0; k < n; ++k) {
          const double apk = at(a, p, k), aqk = at(a, q, k);
          at(a, p, k) = c * apk - s * aqk;
          at(a, q, k) = s * apk + c * aqk;
        }
        for (int k = 0; k < n; ++k) {
          const double vkp = at(v, k, p), vkq = at(v, k, q);
          at(v, k, p) = c * vkp - s * vkq;
          at(v, k, q) = s * vkp + c * vkq;
        }
      }
  }
  std::vector<int> order(n);
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](int x, int y) { return at(a, x, x) < at(a, y, y); });
  SymmetricEigen e;
  e.n = n;
  e.values.resize(n);
  e.vectors.assign(static_cast<size_t>(n) * n, 0.0);
  for (int j = 0; j < n; ++j) {
    e.values[j] = at(a, order[j], order[j]);
    for (int i = 0; i < n; ++i) e.vectors[static_cast<size_t>(i) * n + j] = at(v, i, order[j]);
  }
  return e;
}

}  // namespace kinseg
