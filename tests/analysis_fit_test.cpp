// The fit on likelihoods whose answer is known: quadratics (the maximum, the
// inverse of the curvature as variance-covariance matrix, profile intervals
// equal to the Wald ones), a smooth non-quadratic likelihood with its Hessian
// and profile written out by hand, bounds, held values, links and the
// model's constraints, turning round, a flat direction, refusals, several
// maxima and the evaluation limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/battery.hpp"
#include "analysis/fit.hpp"
#include "analysis/second_maximum.hpp"
#include "analysis/symmetric_eigen.hpp"

namespace {

using kinseg::FitOptions;
using kinseg::FitResult;
using kinseg::FitStatus;
using kinseg::Model;
using kinseg::ModelOptions;
using kinseg::Point;
using Vec = std::vector<double>;

constexpr double kZ = 1.959963984540054;  // the 97.5% normal point: sqrt(3.841...)

// Gauss-Jordan inverse of a small matrix (row-major), independent of the fit's
// eigen decomposition.
Vec inverse(Vec a, int n) {
  Vec inv(n * n, 0.0);
  for (int i = 0; i < n; ++i) inv[i * n + i] = 1;
  for (int c = 0; c < n; ++c) {
    int p = c;
    for (int r = c + 1; r < n; ++r)
      if (std::abs(a[r * n + c]) > std::abs(a[p * n + c])) p = r;
    for (int j = 0; j < n; ++j) {
      std::swap(a[c * n + j], a[p * n + j]);
      std::swap(inv[c * n + j], inv[p * n + j]);
    }
    const double d = a[c * n + c];
    for (int j = 0; j < n; ++j) a[c * n + j] /= d, inv[c * n + j] /= d;
    for (int r = 0; r < n; ++r) {
      if (r == c) continue;
      const double f = a[r * n + c];
      for (int j = 0; j < n; ++j) a[r * n + j] -= f * a[c * n + j], inv[r * n + j] -= f * inv[c * n + j];
    }
  }
  return inv;
}

// top - (x - mu)' A (x - mu) / 2, A = D^-1 R D^-1 from standard deviations and correlations.
struct Quadratic {
  Vec mu, a;
  double top = -100.0;
  Quadratic(Vec m, const Vec& sd, const Vec& corr) : mu(std::move(m)) {
    const int n = static_cast<int>(mu.size());
    Vec cov(n * n);
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) cov[i * n + j] = sd[i] * sd[j] * corr[i * n + j];
    a = inverse(cov, n);
  }
  int n() const { return static_cast<int>(mu.size()); }
  double operator()(const Vec& x) const {
    double s = 0;
    for (int i = 0; i < n(); ++i)
      for (int j = 0; j < n(); ++j) s += (x[i] - mu[i]) * a[i * n() + j] * (x[j] - mu[j]);
    return top - 0.5 * s;
  }
  // The maximum over the coordinates not in HELD, those held at VALUES.
  Vec conditional(const std::vector<int>& held, const Vec& values) const {
    std::vector<int> rest;
    for (int i = 0; i < n(); ++i)
      if (std::find(held.begin(), held.end(), i) == held.end()) rest.push_back(i);
    const int r = static_cast<int>(rest.size());
    Vec arr(r * r);
    for (int i = 0; i < r; ++i)
      for (int j = 0; j < r; ++j) arr[i * r + j] = a[rest[i] * n() + rest[j]];
    const Vec inv = inverse(arr, r);
    Vec x = mu;
    for (size_t h = 0; h < held.size(); ++h) x[held[h]] = values[h];
    for (int i = 0; i < r; ++i) {
      double shift = 0;
      for (int j = 0; j < r; ++j) {
        double g = 0;  // A_rh (h - mu_h)
        for (size_t h = 0; h < held.size(); ++h) g += a[rest[j] * n() + held[h]] * (values[h] - mu[held[h]]);
        shift += inv[i * r + j] * g;
      }
      x[rest[i]] = mu[rest[i]] - shift;
    }
    return x;
  }
  // The inverse of the curvature over the coordinates not held.
  Vec covariance_without(const std::vector<int>& held) const {
    std::vector<int> rest;
    for (int i = 0; i < n(); ++i)
      if (std::find(held.begin(), held.end(), i) == held.end()) rest.push_back(i);
    const int r = static_cast<int>(rest.size());
    Vec arr(r * r);
    for (int i = 0; i < r; ++i)
      for (int j = 0; j < r; ++j) arr[i * r + j] = a[rest[i] * n() + rest[j]];
    return inverse(arr, r);
  }
};

// Every number of the result is finite: no NaN reaches a report.
void expect_all_finite(const FitResult& r) {
  auto ok = [](double v) { return std::isfinite(v); };
  for (double v : r.free) EXPECT_TRUE(ok(v));
  for (double v : r.covariance) EXPECT_TRUE(ok(v));
  if (r.lnl) {
    EXPECT_TRUE(ok(*r.lnl));
  }
  for (const auto& p : r.parameters) {
    EXPECT_TRUE(ok(p.estimate)) << p.name;
    for (const auto& o : {p.se, p.ci_low, p.ci_high}) {
      if (o) {
        EXPECT_TRUE(ok(*o)) << p.name;
      }
    }
  }
}

bool mentions(const FitResult& r, const std::string& what) {
  for (const auto& m : r.messages)
    if (m.find(what) != std::string::npos) return true;
  return false;
}

kinseg::SampleSummary summary(double prevalence = 0.2) {
  kinseg::SampleSummary s;
  s.prevalence = prevalence;
  return s;
}

// mendelian:dominant with a covariate (largest value 80): q, w1, w3, d.age.
ModelOptions with_age() {
  ModelOptions o;
  o.covariates = {{"age", 80.0}};
  return o;
}
Vec dominant_coordinates(const Point& p) {
  EXPECT_EQ(p.w[1], p.w[0]);  // the link holds at every point the likelihood sees
  EXPECT_GE(p.w[0], p.w[2]);  // and so does the orientation
  return {p.q, p.w[0], p.w[2], p.d.at(0)};
}
const Vec kCorr = {1, 0.5, -0.3, 0.1,  //
                   0.5, 1, 0.2, 0.0,   //
                   -0.3, 0.2, 1, -0.4, //
                   0.1, 0.0, -0.4, 1};

TEST(Fit, QuadraticGivesItsMaximumCurvatureAndWaldIntervals) {
  const Quadratic quad({0.3, 1.0, -2.0, 0.02}, {0.03, 0.4, 0.5, 0.004}, kCorr);
  const Model model("mendelian:dominant", with_age());
  const FitResult r = fit(model, [&](const Point& p) { return quad(dominant_coordinates(p)); }, summary());
  EXPECT_EQ(r.status, FitStatus::converged);
  EXPECT_EQ(r.k, 4);
  ASSERT_TRUE(r.lnl);
  EXPECT_NEAR(*r.lnl, quad.top, 1e-8);
  EXPECT_NEAR(*r.aic(), -2 * quad.top + 8, 1e-7);
  EXPECT_EQ(r.starts_at_best, static_cast<int>(r.starts.size()));
  EXPECT_EQ(static_cast<int>(r.starts.size()), FitOptions{}.starts);
  EXPECT_TRUE(mentions(r, "6 of 6 starts reached the best ln L"));
  ASSERT_EQ(r.covariance_names, (std::vector<std::string>{"q", "w1", "w3", "d.age"}));
  const Vec cov = inverse(quad.a, 4);
  const std::vector<std::string> names = {"q", "w1", "w3", "d.age"};
  for (int i = 0; i < 4; ++i) {
    const auto* p = r.find(names[i]);
    ASSERT_TRUE(p);
    const double se = std::sqrt(cov[i * 4 + i]);
    EXPECT_NEAR(p->estimate, quad.mu[i], 1e-4 * se) << names[i];
    ASSERT_TRUE(p->se) << names[i];
    EXPECT_NEAR(*p->se, se, 1e-4 * se) << names[i];
    ASSERT_TRUE(p->ci_low && p->ci_high) << names[i];
    EXPECT_NEAR(*p->ci_low, quad.mu[i] - kZ * se, 2e-3 * se) << names[i];
    EXPECT_NEAR(*p->ci_high, quad.mu[i] + kZ * se, 2e-3 * se) << names[i];
    EXPECT_FALSE(p->ci_low_at_bound || p->ci_high_at_bound);
    EXPECT_EQ(kinseg::parameter_status_name(p->status), "estimated");
    for (int j = 0; j < 4; ++j) EXPECT_NEAR(r.covariance[i * 4 + j], cov[i * 4 + j], 1e-4 * se * std::sqrt(cov[j * 4 + j]));
  }
  // The linked parameter shares w1's value and uncertainty.
  const auto* w2 = r.find("w2");
  EXPECT_EQ(kinseg::parameter_status_name(w2->status), "linked");
  EXPECT_EQ(w2->note, "= w1");
  EXPECT_EQ(w2->estimate, r.find("w1")->estimate);
  EXPECT_EQ(*w2->se, *r.find("w1")->se);
  EXPECT_EQ(r.point.w[1], r.point.w[0]);
  expect_all_finite(r);

  // Without profiles: no intervals, the rest unchanged.
  FitOptions quick;
  quick.profile = false;
  const FitResult s = fit(model, [&](const Point& p) { return quad(dominant_coordinates(p)); }, summary(), quick);
  EXPECT_FALSE(s.profiled);
  EXPECT_FALSE(s.find("q")->ci_low);
  EXPECT_NEAR(*s.find("q")->se, *r.find("q")->se, 1e-9);
}

// Boxes of any finite size are searched on their own scale: w1 within
// -1e300:1e300 and the coefficient of a covariate whose values reach 1e300
// (its box -2e-299:2e-299) reach the maximum of a quadratic and get its
// standard errors, as in ordinary boxes. (A step floor of 1e-12 times the
// box's width froze w1 at its start and the coefficient at 0, reported
// converged; the coefficient's curvature, near 1e599, overflowed.)
TEST(Fit, WideAndNarrowBoxesReachTheMaximum) {
  ModelOptions o;
  o.covariates = {{"c", 1e300}};
  o.bounds = {{"w1", -1e300, 1e300}};
  const Model model("mendelian:unordered", o);
  const Vec mu = {0.3, 2.5, 0.5, -1.5, 7e-300}, sd = {0.05, 0.4, 0.3, 0.3, 2e-300};
  auto lnl = [&](const Point& p) {
    const Vec x = {p.q, p.w[0], p.w[1], p.w[2], p.d.at(0)};
    double s = 0;
    for (size_t i = 0; i < x.size(); ++i) s += ((x[i] - mu[i]) / sd[i]) * ((x[i] - mu[i]) / sd[i]);
    return -50.0 - 0.5 * s;
  };
  FitOptions quick;
  quick.profile = false;
  const FitResult r = fit(model, lnl, summary(), quick);
  EXPECT_EQ(r.status, FitStatus::converged);
  ASSERT_TRUE(r.lnl);
  EXPECT_NEAR(*r.lnl, -50.0, 1e-6);
  const std::vector<std::string> names = {"q", "w1", "w2", "w3", "d.c"};
  for (size_t i = 0; i < names.size(); ++i) {
    const auto* p = r.find(names[i]);
    ASSERT_TRUE(p) << names[i];
    EXPECT_NEAR(p->estimate, mu[i], 1e-3 * sd[i]) << names[i];
    ASSERT_TRUE(p->se) << names[i];
    EXPECT_NEAR(*p->se, sd[i], 1e-3 * sd[i]) << names[i];
  }
  expect_all_finite(r);
}

// An estimate at the upper bound of a box narrower than the parameter's
// nominal scale is labelled so (q in 1e-300:1e-299 was "lower bound", both
// bounds being within the tolerance of a scale of 0.1).
TEST(Fit, ANarrowBoxNamesTheBoundReached) {
  ModelOptions o;
  o.bounds = {{"q", 1e-300, 1e-299}};
  const Model model("mendelian", o);
  auto lnl = [](const Point& p) { return -10.0 + 1e297 * p.q - (p.w[0] - 1) * (p.w[0] - 1) - p.w[1] * p.w[1] - (p.w[2] + 1) * (p.w[2] + 1); };
  FitOptions quick;
  quick.profile = false;
  const FitResult r = fit(model, lnl, summary(), quick);
  const auto* q = r.find("q");
  ASSERT_TRUE(q);
  EXPECT_DOUBLE_EQ(q->estimate, 1e-299);
  EXPECT_EQ(q->status, kinseg::ParameterStatus::at_bound);
  EXPECT_EQ(q->note, "upper bound");
}

// A smooth likelihood that is not quadratic: binomial and logistic terms with
// a coupling, its second derivatives and its profile in q written out.
//   l = 30 ln q + 70 ln(1-q) + (40 + 5q) w1 - 100 ln(1 + e^w1) + 20 w3 - 100 ln(1 + e^w3)
double smooth(double q, double w1, double w3) {
  return 30 * std::log(q) + 70 * std::log(1 - q) + (40 + 5 * q) * w1 - 100 * std::log1p(std::exp(w1)) + 20 * w3 -
         100 * std::log1p(std::exp(w3));
}
double logit(double p) { return std::log(p / (1 - p)); }
// The maximum over w1 and w3 at q: the logistic terms peak where
// e^w / (1 + e^w) = (40 + 5q) / 100 and 20 / 100.
double smooth_profile_q(double q) { return smooth(q, logit((40 + 5 * q) / 100), logit(0.2)); }

TEST(Fit, StandardErrorsAgreeWithTheHessianWrittenOut) {
  const Model model("mendelian:dominant", {});
  const FitResult r = fit(model, [](const Point& p) { return smooth(p.q, p.w[0], p.w[2]); }, summary());
  ASSERT_EQ(r.status, FitStatus::converged);
  const double q = r.free[0], w1 = r.free[1], w3 = r.free[2];
  auto curvature = [](double w) { return 100 * std::exp(w) / ((1 + std::exp(w)) * (1 + std::exp(w))); };
  const Vec information = {30 / (q * q) + 70 / ((1 - q) * (1 - q)), -5, 0,  //
                           -5, curvature(w1), 0,                            //
                           0, 0, curvature(w3)};
  const Vec cov = inverse(information, 3);
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(r.parameters[model.free_parameters()[i]].se);
    EXPECT_NEAR(*r.parameters[model.free_parameters()[i]].se, std::sqrt(cov[i * 4]), 1e-5 * std::sqrt(cov[i * 4]));
    for (int j = 0; j < 3; ++j)
      EXPECT_NEAR(r.covariance[i * 3 + j], cov[i * 3 + j], 1e-5 * std::sqrt(cov[i * 4] * cov[j * 4]));
  }
  // The profile interval of q: where the profile written out lies 3.841/2
  // below the maximum. Not the Wald interval: ln L is skewed in q.
  const auto* pq = r.find("q");
  ASSERT_TRUE(pq->ci_low && pq->ci_high);
  for (double end : {*pq->ci_low, *pq->ci_high})
    EXPECT_NEAR(2 * (*r.lnl - smooth_profile_q(end)), kZ * kZ, 2e-3);
  EXPECT_GT(std::abs((*pq->ci_high - q) - (q - *pq->ci_low)), 1e-3);
}

// The profile kept for the report's plot: with three curve points a side,
// every point the profile met lies on the profile written out, the estimate
// at its top; points span both ends of the interval and go beyond them.
TEST(Fit, ProfileCurveLiesOnTheProfileWrittenOut) {
  const Model model("mendelian:dominant", {});
  FitOptions o;
  o.profile_settings.curve_points = 3;
  const FitResult r = fit(model, [](const Point& p) { return smooth(p.q, p.w[0], p.w[2]); }, summary(), o);
  ASSERT_EQ(r.status, FitStatus::converged);
  const auto* pq = r.find("q");
  ASSERT_TRUE(pq->ci_low && pq->ci_high);
  const auto& curve = pq->profile;
  ASSERT_GE(curve.size(), 9u);
  EXPECT_TRUE(std::is_sorted(curve.begin(), curve.end()));
  for (const auto& [q, lnl] : curve) {
    EXPECT_NEAR(lnl, smooth_profile_q(q), 1e-5) << "q = " << q;
    EXPECT_LE(lnl, *r.lnl + 1e-9);
  }
  EXPECT_LT(curve.front().first, *pq->ci_low);
  EXPECT_GT(curve.back().first, *pq->ci_high);
  const int inside = static_cast<int>(std::count_if(curve.begin(), curve.end(), [&](const auto& c) {
    return c.first > *pq->ci_low && c.first < *pq->ci_high;
  }));
  EXPECT_GE(inside, 7);  // the estimate and three a side
  // Without curve points, and without profiles, the same fit keeps less or none.
  o.profile_settings.curve_points = 0;
  EXPECT_LT(fit(model, [](const Point& p) { return smooth(p.q, p.w[0], p.w[2]); }, summary(), o).find("q")->profile.size(),
            curve.size());
  o.profile = false;
  EXPECT_TRUE(fit(model, [](const Point& p) { return smooth(p.q, p.w[0], p.w[2]); }, summary(), o).find("q")->profile.empty());
}

TEST(Fit, BoundsAndHeldValuesGiveTheConditionalMaximum) {
  struct Case {
    const char* what;
    Vec mu;                      // the unconstrained maximum: q, w1, w3, d.age
    ModelOptions options;
    std::vector<int> held;       // coordinates that end held
    Vec held_at;                 // at these values
    std::vector<const char*> status;  // q, w1, w3, d.age
    FitStatus fit_status;
  };
  ModelOptions fix_w3 = with_age();
  fix_w3.fix = {{"w3", -1.0}};
  ModelOptions bound_w1 = with_age();
  bound_w1.bounds = {{"w1", -1.0, 0.5}};
  const double q_low = Model("mendelian", {}).lower()[0];
  const Case cases[] = {
      {"q beyond its lower bound", {-0.1, 1.0, -2.0, 0.02}, with_age(), {0}, {q_low},
       {"at bound", "estimated", "estimated", "estimated"}, FitStatus::at_bound},
      {"w3 held by --fix", {0.3, 1.0, -2.0, 0.02}, fix_w3, {2}, {-1.0},
       {"estimated", "estimated", "fixed", "estimated"}, FitStatus::converged},
      {"w1 beyond its --bounds", {0.3, 1.0, -2.0, 0.02}, bound_w1, {1}, {0.5},
       {"estimated", "at bound", "estimated", "estimated"}, FitStatus::at_bound},
  };
  const std::vector<std::string> names = {"q", "w1", "w3", "d.age"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Quadratic quad(c.mu, {0.03, 0.4, 0.5, 0.004}, kCorr);
    const Model model("mendelian:dominant", c.options);
    const FitResult r = fit(model, [&](const Point& p) { return quad(dominant_coordinates(p)); }, summary());
    EXPECT_EQ(r.status, c.fit_status) << kinseg::status_name(r.status);
    const Vec want = quad.conditional(c.held, c.held_at);
    const Vec cov = quad.covariance_without(c.held);
    for (int i = 0, free = 0; i < 4; ++i) {
      const auto* p = r.find(names[i]);
      EXPECT_EQ(kinseg::parameter_status_name(p->status), c.status[i]) << names[i];
      EXPECT_NEAR(p->estimate, want[i], 1e-4 * quad.a.size() * 0.004) << names[i];
      const bool held = std::find(c.held.begin(), c.held.end(), i) != c.held.end();
      EXPECT_EQ(p->se.has_value(), !held) << names[i];
      if (!held) {
        const int n = static_cast<int>(c.held.size());
        const double se = std::sqrt(cov[free * (4 - n) + free]);
        EXPECT_NEAR(*p->se, se, 1e-4 * se) << names[i];
        ++free;
      }
    }
    if (c.fit_status == FitStatus::at_bound) {
      const auto* p = r.find(names[c.held[0]]);
      EXPECT_TRUE(p->note == "lower bound" || p->note == "upper bound");
      // The interval is cut at the bound on that side, and flagged.
      EXPECT_TRUE(p->ci_low_at_bound || p->ci_high_at_bound);
      EXPECT_TRUE(mentions(r, "at a bound, without standard error: " + names[c.held[0]]));
    } else {
      EXPECT_EQ(r.k, 3);
      EXPECT_EQ(r.find("w3")->note, "by --fix");
    }
    expect_all_finite(r);
  }
}

TEST(Fit, DominantKeepsItsOrientationAndCodominantIsTurnedRound) {
  // The best dominant point would have w1 < w3: the fit stays on w1 = w3 (the
  // likelihood never sees w1 < w3), flagged as a bound.
  const Quadratic quad({0.3, -1.0, 1.0, 0.0}, {0.03, 0.4, 0.5, 0.004}, kCorr);
  const Model dom("mendelian:dominant", with_age());
  const FitResult r = fit(dom, [&](const Point& p) { return quad(dominant_coordinates(p)); }, summary());
  EXPECT_EQ(r.find("w1")->note, "w1 = w3");
  EXPECT_EQ(r.find("w3")->note, "w1 = w3");
  EXPECT_NEAR(r.find("w1")->estimate, r.find("w3")->estimate, 1e-9);
  // The best point on the line w1 = w3 = t: maximise the quadratic along it.
  // Substituting held coordinates for q, t, d.age: search the line directly.
  double best_t = 0, best = -1e300;
  for (double t = -2; t <= 2; t += 1e-4) {
    const Vec c = quad.conditional({1, 2}, {t, t});
    const double v = quad(c);
    if (v > best) best = v, best_t = t;
  }
  EXPECT_NEAR(r.find("w1")->estimate, best_t, 2e-4);
  EXPECT_NEAR(*r.lnl, best, 1e-6);
  EXPECT_FALSE(r.find("w1")->se);
  EXPECT_TRUE(r.status == FitStatus::at_bound || r.status == FitStatus::flat) << kinseg::status_name(r.status);

  // Codominant: a likelihood unchanged by exchanging the alleles, searched
  // from a start in the mirror half, ends with w1 >= w3 and says so.
  auto oriented = [](Point p) {
    if (p.w[0] < p.w[2]) {
      p.q = 1 - p.q;
      std::swap(p.w[0], p.w[2]);
    }
    return p;
  };
  const Quadratic codom({0.2, 1.0, 0.0, -1.5}, {0.03, 0.4, 0.4, 0.5}, kCorr);
  ModelOptions mirror_start;
  mirror_start.start = {{"q", 0.75}, {"w1", -1.4}, {"w2", 0.1}, {"w3", 1.1}};
  FitOptions one;
  one.starts = 1;
  one.profile = false;
  const Model co("mendelian:unordered", mirror_start);
  const FitResult c = fit(co, [&](const Point& p) {
    const Point o = oriented(p);
    return codom({o.q, o.w[0], o.w[1], o.w[2]});
  }, summary(), one);
  ASSERT_EQ(c.starts.size(), 1u);
  EXPECT_EQ(c.starts[0].origin, "--start");
  EXPECT_TRUE(c.starts[0].turned_round);
  EXPECT_TRUE(c.turned_round);
  EXPECT_TRUE(mentions(c, "turned round"));
  const Vec want = {0.2, 1.0, 0.0, -1.5};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(c.free[i], want[i], 1e-4) << i;

  // From the grid and the mirror start: the searches that ended at the
  // mirror image meet the others once turned round, so there is no second
  // maximum.
  FitOptions grid;
  grid.starts = 6;
  grid.profile = false;
  const FitResult g = fit(co, [&](const Point& p) {
    const Point o = oriented(p);
    return codom({o.q, o.w[0], o.w[1], o.w[2]});
  }, summary(), grid);
  int turned = 0;
  for (const auto& s : g.starts) turned += s.turned_round ? 1 : 0;
  EXPECT_GT(turned, 0);
  EXPECT_LT(turned, static_cast<int>(g.starts.size()));
  EXPECT_EQ(g.starts_at_best, static_cast<int>(g.starts.size()));
  EXPECT_FALSE(g.runner_up);
}

TEST(Fit, CodominantKeepsTheHeterozygoteBetweenTheHomozygotes) {
  // ln L peaks where the heterozygote is below both homozygotes (w2 = -2 <
  // w3 = -1 < w1 = 1): the codominant model is ordered, so its fit ends on
  // h = 0 (the recessive edge) with w2 = w3, never below; the unordered model
  // reaches the peak itself.
  const Quadratic quad({0.3, 1.0, -2.0, -1.0}, {0.03, 0.3, 0.3, 0.3}, kCorr);
  auto lnl = [&](const Point& p) { return quad({p.q, p.w[0], p.w[1], p.w[2]}); };
  FitOptions o;
  o.profile = false;
  const FitResult ordered = fit(Model("mendelian", {}), lnl, summary(), o);
  const kinseg::ParameterEstimate& h = *ordered.find("h");
  EXPECT_NEAR(h.estimate, 0.0, 1e-6);
  EXPECT_EQ(h.note, "lower bound");
  EXPECT_EQ(ordered.find("w2")->status, kinseg::ParameterStatus::derived);
  EXPECT_GE(ordered.find("w2")->estimate, ordered.find("w3")->estimate - 1e-9);
  EXPECT_LE(ordered.find("w2")->estimate, ordered.find("w1")->estimate);
  // Its maximum is the recessive model's.
  const FitResult recessive = fit(Model("mendelian:recessive", {}), lnl, summary(), o);
  EXPECT_NEAR(*ordered.lnl, *recessive.lnl, 1e-6);
  const FitResult unordered = fit(Model("mendelian:unordered", {}), lnl, summary(), o);
  EXPECT_NEAR(unordered.find("w2")->estimate, -2.0, 1e-3);
  EXPECT_GT(*unordered.lnl, *ordered.lnl + 1);
}

TEST(Fit, TheStatusIsThePointsWhateverSearchReachedIt) {
  // The same point from the fit's search settings and from the battery's, and
  // from a search cut short by its evaluation limit: the same status, as
  // decided at the point (a Newton step from it gains nothing).
  const Quadratic quad({0.3, 1.0, -2.0, 0.02}, {0.03, 0.4, 0.5, 0.004}, kCorr);
  auto lnl = [&](const Point& p) { return quad(dominant_coordinates(p)); };
  const Model model("mendelian:dominant", with_age());
  ModelOptions at_max = with_age();
  at_max.start = {{"q", 0.3}, {"w1", 1.0}, {"w3", -2.0}, {"d.age", 0.02}};
  const Model started("mendelian:dominant", at_max);
  FitOptions fit_like;
  fit_like.starts = 1;
  fit_like.profile = false;
  FitOptions battery_like = kinseg::battery_fit_options();
  battery_like.starts = 1;
  battery_like.profile = false;
  FitOptions cut_short = fit_like;
  cut_short.search.max_evaluations = 12;
  const FitResult a = fit(started, lnl, summary(), fit_like);
  const FitResult b = fit(started, lnl, summary(), battery_like);
  const FitResult c = fit(started, lnl, summary(), cut_short);
  EXPECT_EQ(a.starts[0].end_state, kinseg::SearchEnd::converged);
  EXPECT_EQ(c.starts[0].end_state, kinseg::SearchEnd::iteration_limit);
  for (const FitResult* r : {&a, &b, &c}) {
    EXPECT_EQ(r->status, FitStatus::converged) << kinseg::status_name(r->status);
    EXPECT_NEAR(*r->lnl, quad.top, 1e-6);
  }
  EXPECT_TRUE(mentions(c, "at a maximum all the same"));
  // Far from the maximum, cut short: not a maximum, and said with the gain.
  ModelOptions far = with_age();
  far.start = {{"q", 0.6}, {"w1", 3.0}, {"w3", 0.0}, {"d.age", 0.0}};
  cut_short.search.max_evaluations = 8;
  const FitResult d = fit(Model("mendelian:dominant", far), lnl, summary(), cut_short);
  EXPECT_EQ(d.status, FitStatus::iteration_limit);
  EXPECT_TRUE(mentions(d, "not a maximum: a Newton step from the estimates would raise ln L by"));
}

TEST(Fit, FlatDirectionIsReportedNotHidden) {
  // ln L does not depend on q (as when the genotypes do not differ): q is not
  // identified; the others keep their standard errors.
  const Quadratic quad({1.0, -2.0}, {0.4, 0.5}, {1, 0.3, 0.3, 1});
  const Model model("mendelian:dominant", {});
  const FitResult r = fit(model, [&](const Point& p) { return quad({p.w[0], p.w[2]}); }, summary());
  EXPECT_EQ(r.status, FitStatus::flat);
  EXPECT_EQ(kinseg::parameter_status_name(r.find("q")->status), "not identified");
  EXPECT_FALSE(r.find("q")->se);
  EXPECT_TRUE(mentions(r, "flat likelihood")) << r.messages.size();
  EXPECT_TRUE(mentions(r, "q is not identified"));
  EXPECT_EQ(r.covariance_names, (std::vector<std::string>{"w1", "w3"}));
  const Vec cov = inverse(quad.a, 2);
  EXPECT_NEAR(*r.find("w1")->se, std::sqrt(cov[0]), 1e-4);
  EXPECT_NEAR(*r.find("w3")->se, std::sqrt(cov[3]), 1e-4);
  // Its profile never falls: the interval runs from bound to bound.
  EXPECT_TRUE(r.find("q")->ci_low_at_bound);
  EXPECT_TRUE(r.find("q")->ci_high_at_bound);
  expect_all_finite(r);
}

TEST(Fit, RefusedStartsAndRefusedRegions) {
  const Model model("mendelian:dominant", {});
  // Every point refused.
  const FitResult none = fit(model, [](const Point&) { return -std::numeric_limits<double>::infinity(); }, summary());
  EXPECT_EQ(none.status, FitStatus::refused_start);
  EXPECT_FALSE(none.lnl);
  EXPECT_EQ(none.refused_starts, static_cast<int>(none.starts.size()));
  EXPECT_TRUE(mentions(none, "refused every start"));
  for (const auto& s : none.starts) EXPECT_EQ(s.end_state, kinseg::SearchEnd::refused_start);

  // Points with q > 0.45 refused (NaN or -inf), the maximum just inside: some
  // starts are refused, the others still reach it.
  const Quadratic quad({0.4, 1.0, -2.0}, {0.05, 0.4, 0.5}, {1, 0.5, -0.3, 0.5, 1, 0.2, -0.3, 0.2, 1});
  int refused = 0;
  const FitResult r = fit(model, [&](const Point& p) {
    if (p.q > 0.45) return ++refused % 2 ? std::numeric_limits<double>::quiet_NaN() : -std::numeric_limits<double>::infinity();
    return quad({p.q, p.w[0], p.w[2]});
  }, summary());
  EXPECT_GT(refused, 0);
  EXPECT_EQ(r.refused_starts, 1);  // the grid point q = 0.5
  EXPECT_TRUE(mentions(r, "1 refused"));
  EXPECT_EQ(r.status, FitStatus::converged);
  EXPECT_NEAR(r.find("q")->estimate, 0.4, 1e-4);
  EXPECT_NEAR(*r.lnl, quad.top, 1e-7);
  // The profile of q runs into the refused region: the interval ends there.
  ASSERT_TRUE(r.find("q")->ci_high);
  EXPECT_LE(*r.find("q")->ci_high, 0.45 + 1e-4);
  expect_all_finite(r);
}

TEST(Fit, EvaluationLimitIsNotConvergence) {
  const Quadratic quad({0.3, 1.0, -2.0, 0.02}, {0.03, 0.4, 0.5, 0.004}, kCorr);
  const Model model("mendelian:dominant", with_age());
  FitOptions few;
  few.search.max_evaluations = 15;
  few.profile = false;
  const FitResult r = fit(model, [&](const Point& p) { return quad(dominant_coordinates(p)); }, summary(), few);
  EXPECT_EQ(r.status, FitStatus::iteration_limit);
  EXPECT_TRUE(mentions(r, "limit of 15 evaluations"));
  for (const auto& s : r.starts) EXPECT_EQ(s.end_state, kinseg::SearchEnd::iteration_limit);
}

TEST(Fit, SeveralMaximaAreCountedAcrossStarts) {
  // Two peaks in q: at 0.08 (ln L 0) and at 0.6 (ln L -3), narrow in q.
  const Quadratic high({0.08, 1.0, -2.0}, {0.02, 0.4, 0.5}, {1, 0, 0, 0, 1, 0, 0, 0, 1});
  const Quadratic low({0.6, 1.0, -2.0}, {0.02, 0.4, 0.5}, {1, 0, 0, 0, 1, 0, 0, 0, 1});
  auto lnl = [&](const Point& p) {
    const Vec x = {p.q, p.w[0], p.w[2]};
    const double a = high(x) - high.top, b = low(x) - low.top - 3;
    const double m = std::max(a, b);
    return m + std::log(std::exp(a - m) + std::exp(b - m));
  };
  FitOptions o;
  o.starts = 8;
  o.profile = false;
  const FitResult r = fit(Model("mendelian:dominant", {}), lnl, summary(), o);
  EXPECT_NEAR(r.find("q")->estimate, 0.08, 1e-3);
  EXPECT_GT(r.starts_at_best, 0);
  EXPECT_LT(r.starts_at_best, 8);
  ASSERT_TRUE(r.others_nearest && r.others_farthest);
  EXPECT_NEAR(*r.others_nearest, 3.0, 0.01);
  EXPECT_NEAR(*r.others_farthest, 3.0, 0.01);
  EXPECT_TRUE(mentions(r, std::to_string(r.starts_at_best) + " of 8 starts reached the best ln L"));
  EXPECT_FALSE(r.runner_up) << "3 ln L units below the best: not a rival";
}

TEST(Fit, ASecondMaximumWithinTwoUnitsIsTheRunnerUp) {
  // The same two peaks, the lower one now 1 below the best: the starts that
  // climbed it make the runner-up, with its estimates.
  const Quadratic high({0.08, 1.0, -2.0}, {0.02, 0.4, 0.5}, {1, 0, 0, 0, 1, 0, 0, 0, 1});
  const Quadratic low({0.6, 1.5, -2.5}, {0.02, 0.4, 0.5}, {1, 0, 0, 0, 1, 0, 0, 0, 1});
  auto lnl = [&](const Point& p) {
    const Vec x = {p.q, p.w[0], p.w[2]};
    const double a = high(x) - high.top, b = low(x) - low.top - 1;
    const double m = std::max(a, b);
    return m + std::log(std::exp(a - m) + std::exp(b - m));
  };
  FitOptions o;
  o.starts = 8;
  o.profile = false;
  const FitResult r = fit(Model("mendelian:dominant", {}), lnl, summary(), o);
  EXPECT_NEAR(r.find("q")->estimate, 0.08, 1e-3);
  ASSERT_TRUE(r.runner_up);
  const kinseg::RunnerUp& u = *r.runner_up;
  EXPECT_NEAR(u.below, 1.0, 0.01);
  EXPECT_NEAR(u.lnl, *r.lnl - 1.0, 0.01);
  ASSERT_EQ(u.free.size(), 3u);
  EXPECT_NEAR(u.free[0], 0.6, 1e-3);
  EXPECT_NEAR(u.free[1], 1.5, 1e-2);
  EXPECT_NEAR(u.free[2], -2.5, 1e-2);
  ASSERT_GE(u.start, 0);
  const kinseg::StartRecord& s = r.starts[static_cast<size_t>(u.start)];
  EXPECT_EQ(*s.lnl, u.lnl);
  EXPECT_EQ(s.end, u.free);
  EXPECT_NE(u.start, r.best_start);
}

// The rule on starts written out: which ends are a second maximum, and which
// start is the runner-up. Free vector (q, w1), scales 0.1 and 1, q in
// [0, 1], w1 in [-20, 20]; the mirror image is (1 - q, -w1).
TEST(SecondMaximum, OnlyAMateriallyDifferentConvergedEndWithinTwoUnits) {
  using kinseg::SearchEnd;
  using kinseg::StartRecord;
  const Vec best = {0.1, 2.0};
  kinseg::MaximumComparison how;
  how.scale = {0.1, 1.0};
  how.lower = {0.0, -20.0};
  how.upper = {1.0, 20.0};
  how.mirror = [](const Vec& x) { return Vec{1 - x[0], -x[1]}; };
  auto start = [](Vec end, double lnl, SearchEnd e = SearchEnd::converged) {
    StartRecord s;
    s.end = std::move(end);
    s.lnl = lnl;
    s.end_state = e;
    return s;
  };
  const double top = -100.0;
  struct Case {
    const char* what;
    StartRecord other;
    bool runner_up;
  };
  const std::vector<Case> cases = {
      {"the same point", start(best, top), false},
      {"q within a tenth of its scale", start({0.109, 2.09}, top - 0.5), false},
      {"the mirror image", start({0.9, -2.0}, top), false},
      {"q beyond a tenth of its scale", start({0.111, 2.0}, top - 0.5), true},
      {"w1 beyond a tenth of its scale", start({0.1, 2.2}, top - 1.9), true},
      {"a tie at other estimates", start({0.7, -1.0}, top), true},
      {"more than 2 below", start({0.7, -1.0}, top - 2.1), false},
      {"stopped at the evaluation limit", start({0.7, -1.0}, top - 1, SearchEnd::iteration_limit), false},
      {"stopped short of its tolerances", start({0.7, -1.0}, top - 1, SearchEnd::not_converged), false},
      {"refused", start({0.7, -1.0}, top - 1, SearchEnd::refused_start), false},
  };
  for (const Case& c : cases) {
    std::vector<StartRecord> starts = {start(best, top), c.other};
    if (c.other.end_state == SearchEnd::refused_start) starts[1].lnl.reset();
    const auto u = kinseg::second_maximum(starts, 0, best, top, how);
    EXPECT_EQ(u.has_value(), c.runner_up) << c.what;
    if (u) {
      EXPECT_EQ(u->start, 1) << c.what;
      EXPECT_EQ(u->free, c.other.end) << c.what;
      EXPECT_DOUBLE_EQ(u->below, top - *c.other.lnl) << c.what;
    }
  }
  // A parameter whose range is narrower than its scale: a tenth of the range.
  kinseg::MaximumComparison narrow;
  narrow.scale = {0.1};
  narrow.lower = {0.0};
  narrow.upper = {0.05};
  EXPECT_TRUE(kinseg::differ_materially({0.1}, {0.106}, narrow));
  EXPECT_FALSE(kinseg::differ_materially({0.1}, {0.104}, narrow));
  // Of several, the highest; the best start itself never.
  const std::vector<StartRecord> several = {start({0.7, -1.0}, top - 1.5), start(best, top),
                                            start({0.5, 0.0}, top - 0.3), start({0.3, 1.0}, top - 1.0)};
  const auto u = kinseg::second_maximum(several, 1, best, top, how);
  ASSERT_TRUE(u);
  EXPECT_EQ(u->start, 2);

  // Along a ridge: w1 not identified, or ln L as high halfway as at the
  // ends, is one maximum, not two; a valley halfway makes two.
  const std::vector<StartRecord> ridge = {start(best, top), start({0.1, 9.0}, top)};
  kinseg::MaximumComparison flat_w1 = how;
  flat_w1.flat = {false, true};
  EXPECT_FALSE(kinseg::second_maximum(ridge, 0, best, top, flat_w1));
  kinseg::MaximumComparison plateau = how;
  plateau.lnl = [&](const Vec&) { return top - 0.005; };
  EXPECT_FALSE(kinseg::second_maximum(ridge, 0, best, top, plateau));
  kinseg::MaximumComparison valley = how;
  Vec asked;
  valley.lnl = [&](const Vec& x) {
    asked = x;
    return top - 0.5;
  };
  EXPECT_TRUE(kinseg::second_maximum(ridge, 0, best, top, valley));
  EXPECT_EQ(asked, (Vec{0.1, 5.5}));
  // A curved ridge (a valley halfway) through a best point with a parameter
  // not identified: the ends of its ln L are on it; one below it is not.
  kinseg::MaximumComparison curved = valley;
  curved.flat = {true, false};
  EXPECT_FALSE(kinseg::second_maximum(ridge, 0, best, top, curved));
  EXPECT_TRUE(kinseg::second_maximum({start(best, top), start({0.1, 9.0}, top - 0.4)}, 0, best, top, curved));
}

// Every missing standard error and interval says why; a present one says
// nothing. Under the model's own parameters: at a bound, fixed, linked,
// derived, not identified, not profiled.
TEST(Fit, AMissingStandardErrorOrIntervalGivesItsReason) {
  auto expect_reasons_match = [](const FitResult& r) {
    for (const auto& p : r.parameters) {
      EXPECT_EQ(p.se.has_value(), p.se_missing.empty()) << p.name << ": " << p.se_missing;
      EXPECT_EQ(p.ci_low && p.ci_high, p.ci_missing.empty()) << p.name << ": " << p.ci_missing;
    }
  };
  // q not identified (ln L does not depend on it), w2 linked to w1, profiled.
  const Quadratic quad({1.0, -2.0}, {0.4, 0.5}, {1, 0.3, 0.3, 1});
  const FitResult flat = fit(Model("mendelian:dominant", {}), [&](const Point& p) { return quad({p.w[0], p.w[2]}); },
                             summary());
  expect_reasons_match(flat);
  EXPECT_EQ(flat.find("q")->se_missing, "not identified: ln L is flat along it");
  EXPECT_EQ(flat.find("q")->ci_missing, "");  // its profile runs from bound to bound
  EXPECT_EQ(flat.find("w2")->se_missing, "");
  EXPECT_EQ(kinseg::status_reason(*flat.find("w2")), "");

  // Not profiled, q fixed by --fix: the reason of each.
  ModelOptions fixed_q;
  fixed_q.fix = {{"q", 0.2}};
  FitOptions quick;
  quick.profile = false;
  const FitResult unprofiled = fit(Model("mendelian:dominant", fixed_q),
                                   [&](const Point& p) { return quad({p.w[0], p.w[2]}); }, summary(), quick);
  expect_reasons_match(unprofiled);
  EXPECT_EQ(unprofiled.find("q")->se_missing, "fixed by --fix");
  EXPECT_EQ(unprofiled.find("q")->se_missing, kinseg::status_reason(*unprofiled.find("q")));
  EXPECT_EQ(unprofiled.find("w1")->ci_missing, "not profiled (--no-profile)");
  EXPECT_EQ(unprofiled.find("w2")->ci_missing, "not profiled (--no-profile)");
  quick.unprofiled = "not profiled: intervals are computed for the selected model only";
  EXPECT_EQ(fit(Model("mendelian:dominant", fixed_q), [&](const Point& p) { return quad({p.w[0], p.w[2]}); },
                summary(), quick)
                .find("w1")
                ->ci_missing,
            quick.unprofiled);

  // At the upper bound of a narrow box: the status's reason, said once.
  ModelOptions box;
  box.bounds = {{"w1", -1.0, 0.5}};
  const FitResult bound = fit(Model("mendelian:dominant", box), [&](const Point& p) { return quad({p.w[0], p.w[2]}); },
                              summary());
  expect_reasons_match(bound);
  EXPECT_EQ(bound.find("w1")->se_missing, "at the upper bound");
  EXPECT_EQ(kinseg::status_reason(*bound.find("w1")), "at the upper bound");
  EXPECT_EQ(bound.find("w2")->se_missing, "as w1: at the upper bound");
}

TEST(Fit, HomogGeneralStaysWhereTr2IsAProbability) {
  // The unconstrained maximum (tr1 = tr3 = 0.9 at q = 0.3) needs tr2 < 0: the
  // fit ends on tr2 = 0, and no point with tr2 outside [0, 1] reaches the likelihood.
  const Quadratic quad({0.3, 1.0, 0.0, -1.0, 0.9, 0.9}, {0.05, 0.4, 0.4, 0.4, 0.1, 0.1},
                       {1, 0, 0, 0, 0, 0,  0, 1, 0, 0, 0, 0,  0, 0, 1, 0, 0, 0,
                        0, 0, 0, 1, 0, 0,  0, 0, 0, 0, 1, 0,  0, 0, 0, 0, 0, 1});
  int outside = 0;
  const Model model("homog_general:unordered", {});
  FitOptions o;
  o.profile = false;
  const FitResult r = fit(model, [&](const Point& p) {
    if (p.tau[1] < 0 || p.tau[1] > 1 || std::abs(p.tau[1] - Model::homog_tr2(p.q, p.tau[0], p.tau[2])) > 1e-12)
      ++outside;
    return quad({p.q, p.w[0], p.w[1], p.w[2], p.tau[0], p.tau[2]});
  }, summary(), o);
  EXPECT_EQ(outside, 0);
  EXPECT_NEAR(r.find("tr2")->estimate, 0.0, 1e-6);
  EXPECT_EQ(kinseg::parameter_status_name(r.find("tr2")->status), "derived");
  for (const char* name : {"q", "tr1", "tr3"}) {
    EXPECT_EQ(r.find(name)->note, "tr2 = 0");
    EXPECT_FALSE(r.find(name)->se);
    EXPECT_EQ(r.find(name)->se_missing, "on the edge tr2 = 0");
  }
  EXPECT_EQ(r.find("tr2")->se_missing, "derived from q, tr1, tr3");
  EXPECT_TRUE(r.find("w2")->se);
  EXPECT_EQ(r.status, FitStatus::at_bound);
  // No feasible point does better: a grid over q, tr1, tr3 on the edge and inside.
  double best = -1e300;
  for (double q = 0.2; q <= 0.4; q += 0.0025)
    for (double t1 = 0.6; t1 <= 1.0; t1 += 0.005)
      for (double t3 = 0.6; t3 <= 1.0; t3 += 0.005) {
        const double tr2 = Model::homog_tr2(q, t1, t3);
        if (tr2 < 0 || tr2 > 1) continue;
        best = std::max(best, quad({q, 1.0, 0.0, -1.0, t1, t3}));
      }
  EXPECT_GE(*r.lnl, best - 1e-6);
}

TEST(Fit, AProfileAboveTheMaximumMovesTheFit) {
  // A broad peak at q = 0.2 (ln L 0) and a higher one at q = 0.45 (ln L 3),
  // out of sight of the one search from q = 0.2 but within reach of the
  // profile of q: the fit goes on from the profile's point.
  const Quadratic broad({0.2, 1.0, -2.0}, {0.15, 0.4, 0.5}, {1, 0, 0, 0, 1, 0, 0, 0, 1});
  const Quadratic peak({0.45, 1.0, -2.0}, {0.03, 0.4, 0.5}, {1, 0, 0, 0, 1, 0, 0, 0, 1});
  auto lnl = [&](const Point& p) {
    const Vec x = {p.q, p.w[0], p.w[2]};
    const double a = broad(x) - broad.top, b = peak(x) - peak.top + 3;
    const double m = std::max(a, b);
    return m + std::log(std::exp(a - m) + std::exp(b - m));
  };
  ModelOptions from;
  from.start = {{"q", 0.2}, {"w1", 1.0}, {"w3", -2.0}};
  FitOptions one;
  one.starts = 1;
  const FitResult r = fit(Model("mendelian:dominant", from), lnl, summary(), one);
  ASSERT_EQ(r.starts.size(), 1u);
  EXPECT_NEAR(*r.starts[0].lnl, 0.0, 0.01);  // the search stayed on the broad peak
  EXPECT_TRUE(mentions(r, "the profile of q found ln L higher by"));
  EXPECT_NEAR(r.find("q")->estimate, 0.45, 1e-3);
  EXPECT_NEAR(*r.lnl, 3.0, 0.02);  // plus a trace of the broad peak
  EXPECT_EQ(r.status, FitStatus::converged);
  EXPECT_TRUE(r.profiled);
  EXPECT_TRUE(r.find("q")->ci_low && r.find("q")->ci_high);
}

TEST(Fit, ErrorsOfTheLikelihoodPassThrough) {
  int calls = 0;
  auto failing = [&](const Point&) -> double {
    if (++calls == 30) throw std::runtime_error("family 7: out of memory");
    return -1.0;
  };
  EXPECT_THROW(fit(Model("mendelian", {}), failing, summary()), std::runtime_error);
}

TEST(SymmetricEigen, DecomposesAndOrders) {
  const int n = 5;
  Vec a(n * n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j <= i; ++j) a[i * n + j] = a[j * n + i] = std::sin(1.0 + i * 7 + j * 3);
  const kinseg::SymmetricEigen e = kinseg::symmetric_eigen(a, n);
  for (int j = 0; j < n; ++j) {
    if (j > 0) {
      EXPECT_LE(e.values[j - 1], e.values[j]);
    }
    for (int i = 0; i < n; ++i) {
      double av = 0;
      for (int k = 0; k < n; ++k) av += a[i * n + k] * e.vector(k, j);
      EXPECT_NEAR(av, e.values[j] * e.vector(i, j), 1e-12);
    }
    for (int m = 0; m < n; ++m) {
      double dot = 0;
      for (int i = 0; i < n; ++i) dot += e.vector(i, j) * e.vector(i, m);
      EXPECT_NEAR(dot, j == m ? 1.0 : 0.0, 1e-12);
    }
  }
}

}  // namespace

namespace {

// A profile interval whose walk gives up before ln L falls by 1.92 says which
// end is missing and why.
TEST(ProfileInterval, AnEndNotFoundSaysWhy) {
  // ln L = -0.001 theta^2: it falls by 1.92 only at |theta| = 43.8, beyond
  // three steps from an SE of 1 (1.96, 7.8, 31.4).
  auto profile = [](double theta, const Vec& warm) {
    kinseg::ProfileMaximum m;
    m.x = warm;
    m.x[0] = theta;
    m.lnl = -0.001 * theta * theta;
    return m;
  };
  kinseg::ProfileSettings few;
  few.max_steps = 3;
  const kinseg::ProfileInterval pi = kinseg::profile_interval(profile, 0, {0.0}, 0.0, -1e6, 1e6, 1.0, 1.0, few);
  EXPECT_FALSE(pi.low);
  EXPECT_FALSE(pi.high);
  EXPECT_EQ(pi.missing,
            "the lower end: ln L did not fall by 1.92 within 3 steps; the upper end: ln L did not fall by 1.92 within "
            "3 steps");
  // With room to walk, both ends and no reason.
  const kinseg::ProfileInterval full = kinseg::profile_interval(profile, 0, {0.0}, 0.0, -1e6, 1e6, 1.0, 1.0);
  ASSERT_TRUE(full.low && full.high);
  EXPECT_NEAR(*full.high, std::sqrt(3.841458820694124 / 2 / 0.001), 1e-2);
  EXPECT_EQ(full.missing, "");
}

}  // namespace
