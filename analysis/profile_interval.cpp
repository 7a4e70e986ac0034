#include "analysis/profile_interval.hpp"

#include <algorithm>
#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/tools/toms748_solve.hpp>
#include <cmath>
#include <cstdint>
#include <limits>

#include "analysis/message_text.hpp"

namespace kinseg {

double profile_drop(double level) {
  return boost::math::quantile(boost::math::chi_squared(1.0), level);
}

ProfileInterval profile_interval(const Profile& profile, int coordinate, const std::vector<double>& x_hat,
                                 double lnl_hat, double lower, double upper, double scale,
                                 std::optional<double> se, const ProfileSettings& settings) {
  ProfileInterval out;
  const double target = std::sqrt(profile_drop(settings.level));
  const double theta_hat = x_hat[coordinate];
  double tolerance = settings.tolerance * scale;
  if (se && *se > 0) tolerance = std::min(tolerance, 1e-3 * *se);

  // Profile points met so far, to warm-start the next maximisation from the nearest.
  std::vector<std::pair<double, std::vector<double>>> met = {{theta_hat, x_hat}};
  auto evaluate = [&](double theta) {
    const auto nearest = std::min_element(met.begin(), met.end(), [&](const auto& a, const auto& b) {
      return std::abs(a.first - theta) < std::abs(b.first - theta);
    });
    ProfileMaximum p = profile(theta, nearest->second);
    ++out.maximisations;
    if (std::isfinite(p.lnl)) {
      met.emplace_back(theta, p.x);
      out.curve.emplace_back(theta, p.lnl);
    }
    if (std::isfinite(p.lnl) && p.lnl > lnl_hat + settings.better && !out.better) out.better = p;
    return p.lnl;
  };
  // The signed root of 2 delta ln L, minus its value at the interval's end.
  auto root = [&](double lnl) {
    if (!std::isfinite(lnl)) return 1e6;
    return std::sqrt(2 * std::max(0.0, lnl_hat - lnl)) - target;
  };

  for (int side : {-1, 1}) {
    const double bound = side < 0 ? lower : upper;
    std::optional<double>& end = side < 0 ? out.low : out.high;
    bool& cut = side < 0 ? out.low_at_bound : out.high_at_bound;
    const double room = std::abs(bound - theta_hat);
    if (room <= tolerance) {
      end = bound;
      cut = true;
      continue;
    }
    double step = se && *se > 0 ? target * *se : scale;
    step = std::min(step, room);
    double inside = theta_hat, inside_root = -target;
    bool bracketed = false, reached_bound = false;
    double outside = 0, outside_root = 0;
    for (int s = 0; s < settings.max_steps; ++s) {
      const double theta = theta_hat + side * step;
      const double r = root(evaluate(theta));
      if (out.better) return out;
      if (r >= 0) {
        bracketed = true;
        outside = theta;
        outside_root = r;
        break;
      }
      inside = theta;
      inside_root = r;
      if (step >= room) {
        reached_bound = true;
        break;
      }
      // Where the root would reach 0 if it were linear in theta, a little beyond.
      const double reached = r + target;
      double next = reached > 0.05 * target ? step * (target / reached) * 1.1 : step * 4;
      next = std::clamp(next, step * 1.2, step * 4);
      step = std::min(next, room);
    }
    if (!bracketed) {
      if (reached_bound) {
        end = bound;
        cut = true;
      } else {
        out.messages.push_back("the profile did not fall by " + std::to_string(target * target) + " within " +
                               std::to_string(settings.max_steps) + " steps");
        out.missing += std::string(out.missing.empty() ? "" : "; ") + (side < 0 ? "the lower" : "the upper") +
                       " end: ln L did not fall by " + significant(target * target / 2, 3) + " within " +
                       std::to_string(settings.max_steps) + " steps";
      }
      continue;
    }
    auto g = [&](double theta) {
      if (theta == inside) return inside_root;
      if (theta == outside) return outside_root;
      return root(evaluate(theta));
    };
    double a = std::min(inside, outside), b = std::max(inside, outside);
    double fa = a == inside ? inside_root : outside_root;
    double fb = b == inside ? inside_root : outside_root;
    std::uintmax_t iterations = 30;
    auto close = [&](double u, double v) { return std::abs(u - v) <= tolerance || out.better.has_value(); };
    const auto [lo, hi] = boost::math::tools::toms748_solve(g, a, b, fa, fb, close, iterations);
    if (out.better) return out;
    end = 0.5 * (lo + hi);
    if (std::abs(hi - lo) > tolerance)
      out.messages.push_back("the end of the profile interval was not pinned down within its tolerance");
  }

  for (int side : {-1, 1}) {
    const std::optional<double>& end = side < 0 ? out.low : out.high;
    if (settings.curve_points <= 0 || !end) continue;
    const double bound = side < 0 ? lower : upper;
    const double reach = *end - theta_hat;
    if (std::abs(reach) <= tolerance) continue;
    const int n = settings.curve_points;
    for (int j = 1; j <= n + 1; ++j) {
      double theta = j <= n ? theta_hat + reach * j / (n + 1) : *end + reach / 3;
      if (j > n) {
        if ((side < 0 && *end <= bound) || (side > 0 && *end >= bound)) break;
        theta = side < 0 ? std::max(theta, bound) : std::min(theta, bound);
      }
      evaluate(theta);
      if (out.better) return out;
    }
  }
  return out;
}

}  // namespace kinseg
