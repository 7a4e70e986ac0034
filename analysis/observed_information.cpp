#include "analysis/observed_information.hpp"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "analysis/message_text.hpp"
#include "analysis/symmetric_eigen.hpp"

namespace kinseg {

namespace {

std::string fixed(double v, int digits) {
  std::ostringstream s;
  s.setf(std::ios::fixed);
  s.precision(digits);
  s << v;
  return s.str();
}

using Lnl = std::function<double(const std::vector<double>&)>;
using Feasible = std::function<bool(const std::vector<double>&)>;

// The points of the differences around X: a step h per coordinate.
struct Stencil {
  const std::vector<double>& x;
  std::vector<double> h;

  std::vector<double> at(std::initializer_list<std::pair<int, double>> moves) const {
    std::vector<double> y = x;
    for (const auto& [i, d] : moves) y[i] += d;
    return y;
  }
  // Every point of entry (i, j) may be evaluated.
  bool fits(const Feasible& feasible, int i, int j) const {
    if (i == j) {
      for (double m : {-1.5, -0.5, 0.5, 1.5})
        if (!feasible(at({{i, m * h[i]}}))) return false;
      return true;
    }
    for (int a : {-1, 1})
      for (int b : {-1, 1}) {
        if (!feasible(at({{i, 0.5 * a * h[i]}, {j, b * h[j]}}))) return false;
        if (!feasible(at({{j, 0.5 * a * h[j]}, {i, b * h[i]}}))) return false;
      }
    return true;
  }
};

// The steps, shortened until every stencil point may be evaluated; returns
// the coordinates that keep a step (those with no room are named in OUT).
std::vector<int> choose_steps(const Feasible& feasible, const std::vector<double>& scale, std::vector<int> cover,
                              const std::vector<std::string>& names, const InformationSettings& settings,
                              Stencil& st, ObservedInformation& out) {
  for (int i : cover) st.h[i] = settings.relative_step * scale[i];
  // A step shorter than this would measure rounding, not curvature.
  auto too_short = [&](int i) { return st.h[i] < settings.shortest_step * scale[i]; };
  std::vector<int> kept;
  for (int i : cover) {
    while (!st.fits(feasible, i, i) && !too_short(i)) st.h[i] *= 0.5;
    if (st.fits(feasible, i, i) && !too_short(i)) {
      kept.push_back(i);
    } else {
      out.messages.push_back("no room around the estimate of " + names[i] + " for its second derivative");
      out.no_room.push_back(i);
      out.why_no_se[i] = "too close to a bound for its second derivative";
    }
  }
  cover = kept;
  for (size_t a = 0; a < cover.size(); ++a)
    for (size_t b = a + 1; b < cover.size(); ++b)
      while (!st.fits(feasible, cover[a], cover[b]) && !too_short(cover[a]) && !too_short(cover[b])) {
        st.h[cover[a]] *= 0.5;
        st.h[cover[b]] *= 0.5;
      }
  for (size_t a = 0; a < cover.size(); ++a)
    for (size_t b = a + 1; b < cover.size(); ++b)
      if (!st.fits(feasible, cover[a], cover[b])) {
        out.messages.push_back("no room around the estimates of " + names[cover[a]] + " and " + names[cover[b]] +
                               " for their second derivative");
        out.no_room.push_back(cover[b]);
        out.why_no_se[cover[b]] = "too close to a bound for its second derivative with " + names[cover[a]];
        cover.erase(cover.begin() + b);
        --b;
      }
  return cover;
}

// The second differences over COVER: d[a][b], the difference along cover[b]
// (step h) of the difference along cover[a] (step h / 2); REFUSED marks the
// rows with a point ln L refuses. Records the largest asymmetry in OUT.
struct SecondDifferences {
  int m = 0;
  std::vector<double> d;
  std::vector<bool> refused;
  double operator()(int a, int b) const { return d[static_cast<size_t>(a) * m + b]; }
};

// The differences are taken on the parameters' scales (the steps divided by
// them): a coefficient of scale 1e-300 has a curvature near 1e600 in its own
// units, more than a double holds, and a finite one on its scale.
SecondDifferences second_differences(const Lnl& lnl, const Stencil& st, const std::vector<double>& scale,
                                     const std::vector<int>& cover, const InformationSettings& settings,
                                     ObservedInformation& out) {
  auto f = [&](const std::vector<double>& y) {
    ++out.evaluations;
    return lnl(y);
  };
  const std::vector<double>& h = st.h;
  auto cross = [&](int i, int j) {
    const double hi = 0.5 * h[i], hj = h[j];
    const double on_scales = 2 * (hi / scale[i]) * 2 * (hj / scale[j]);
    if (i == j) {
      return (f(st.at({{i, 1.5 * h[i]}})) - f(st.at({{i, 0.5 * h[i]}})) - f(st.at({{i, -0.5 * h[i]}})) +
              f(st.at({{i, -1.5 * h[i]}}))) /
             on_scales;
    }
    return (f(st.at({{i, hi}, {j, hj}})) - f(st.at({{i, -hi}, {j, hj}})) - f(st.at({{i, hi}, {j, -hj}})) +
            f(st.at({{i, -hi}, {j, -hj}}))) /
           on_scales;
  };
  SecondDifferences D;
  D.m = static_cast<int>(cover.size());
  const int m = D.m;
  D.d.assign(static_cast<size_t>(m) * m, 0.0);
  D.refused.assign(m, false);
  for (int a = 0; a < m; ++a)
    for (int b = 0; b < m; ++b) {
      D.d[static_cast<size_t>(a) * m + b] = cross(cover[a], cover[b]);
      if (!std::isfinite(D(a, b))) D.refused[a] = D.refused[b] = true;
    }
  for (int a = 0; a < m; ++a)
    for (int b = a + 1; b < m; ++b) {
      if (D.refused[a] || D.refused[b]) continue;
      const double norm = std::sqrt(std::abs(D(a, a) * D(b, b)));
      const double diff = std::abs(D(a, b) - D(b, a));
      if (norm > 0) out.asymmetry = std::max(out.asymmetry, diff / norm);
    }
  if (out.asymmetry > settings.asymmetry_warning)
    out.messages.push_back("the second derivatives are not symmetric to " + significant(out.asymmetry, 3) +
                           " (relative): ln L is not smooth enough near the estimate for accurate standard errors");
  return D;
}

// The information on the parameters' scales over ROWS (indices into COVER),
// its flat or negative directions dropped one parameter at a time until the
// rest is positive definite; then the information and its inverse in OUT.
void invert_information(const SecondDifferences& D, const std::vector<int>& cover, std::vector<int> rows,
                        const std::vector<double>& scale, const std::vector<std::string>& names,
                        const InformationSettings& settings, ObservedInformation& out) {
  while (!rows.empty()) {
    const int n = static_cast<int>(rows.size());
    std::vector<double> s(static_cast<size_t>(n) * n);
    for (int a = 0; a < n; ++a)
      for (int b = 0; b < n; ++b) {
        const int ra = rows[a], rb = rows[b];
        s[static_cast<size_t>(a) * n + b] = -0.5 * (D(ra, rb) + D(rb, ra));
      }
    const SymmetricEigen e = symmetric_eigen(s, n);
    const double largest = std::max(0.0, e.values.back());
    const double flat = settings.flat_absolute + settings.flat_relative * largest;
    if (e.values[0] > flat) {
      out.covered.clear();
      for (int a : rows) out.covered.push_back(cover[a]);
      out.information.assign(static_cast<size_t>(n) * n, 0.0);
      out.covariance.assign(static_cast<size_t>(n) * n, 0.0);
      out.se.assign(n, 0.0);
      for (int a = 0; a < n; ++a)
        for (int b = 0; b < n; ++b) {
          const double sa = scale[out.covered[a]], sb = scale[out.covered[b]];
          out.information[static_cast<size_t>(a) * n + b] = s[static_cast<size_t>(a) * n + b] / (sa * sb);
          double c = 0;
          for (int j = 0; j < n; ++j) c += e.vector(a, j) * e.vector(b, j) / e.values[j];
          out.covariance[static_cast<size_t>(a) * n + b] = c * sa * sb;
          if (a == b) out.se[a] = std::sqrt(c) * sa;
        }
      return;
    }
    // The direction of the smallest eigenvalue: name it and drop the
    // parameter that weighs most along it.
    int top = 0;
    for (int a = 1; a < n; ++a)
      if (std::abs(e.vector(a, 0)) > std::abs(e.vector(top, 0))) top = a;
    std::string direction;
    for (int a = 0; a < n; ++a) {
      const double c = e.vector(a, 0) * (e.vector(top, 0) < 0 ? -1 : 1);
      if (std::abs(c) < 0.1) continue;
      direction += (direction.empty() ? "" : ", ") + fixed(c, 2) + " " + names[cover[rows[a]]];
    }
    const std::string who = names[cover[rows[top]]];
    const bool alone = direction.find(',') == std::string::npos;
    if (e.values[0] < -flat) {
      out.messages.push_back("the observed information is not positive definite: ln L curves upwards along (" +
                             direction + "), curvature " + significant(e.values[0], 3) + "; " + who +
                             " gets no standard error");
      out.why_no_se[cover[rows[top]]] = "information matrix not positive definite: ln L curves upwards along " +
                                        (alone ? std::string("it") : "(" + direction + ")");
    } else {
      out.messages.push_back("flat likelihood: ln L hardly changes along (" + direction + "), curvature " +
                             significant(e.values[0], 3) + "; " + who + " is not identified");
      out.why_no_se[cover[rows[top]]] =
          "not identified: ln L is flat along " + (alone ? std::string("it") : "(" + direction + ")");
    }
    out.not_identified.push_back(cover[rows[top]]);
    rows.erase(rows.begin() + top);
  }
  out.covered.clear();
  out.information.clear();
  out.covariance.clear();
}

}  // namespace

ObservedInformation observed_information(const Lnl& lnl, const Feasible& feasible, const std::vector<double>& x,
                                         const std::vector<double>& scale, const std::vector<bool>& exclude,
                                         const std::vector<std::string>& names, const InformationSettings& settings) {
  ObservedInformation out;
  const int k = static_cast<int>(x.size());
  out.why_no_se.assign(k, "");
  std::vector<int> cover;
  for (int i = 0; i < k; ++i)
    if (!exclude[i]) cover.push_back(i);
  Stencil st{x, std::vector<double>(k, 0.0)};
  cover = choose_steps(feasible, scale, cover, names, settings, st, out);
  const SecondDifferences D = second_differences(lnl, st, scale, cover, settings, out);
  // The rows of a refused point give no standard error.
  std::vector<int> rows;
  for (int a = 0; a < D.m; ++a) {
    if (D.refused[a]) {
      out.messages.push_back("ln L is refused next to the estimate of " + names[cover[a]] + ": no standard error");
      out.no_room.push_back(cover[a]);
      out.why_no_se[cover[a]] = "ln L is refused next to the estimate";
    } else {
      rows.push_back(a);
    }
  }
  invert_information(D, cover, rows, scale, names, settings, out);
  return out;
}

}  // namespace kinseg
