// The fit on samples simulated under known values: the truth lies inside the
// profile-likelihood intervals for dominant, recessive and general
// transmission, and the standard errors agree with a Hessian of the engine's
// likelihood computed here, independently of the fit's own.
//
// Each interval misses the truth in 5% of samples; the seeds are fixed, so the
// outcome never varies. The samples are drawn without ascertainment (every
// pedigree kept, no correction), where the likelihood is exact, so that the
// intervals' coverage is that of the method alone.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/fit.hpp"
#include "engine/engine.hpp"
#include "tests/fit_samples.hpp"
#include "tools/settings.hpp"

namespace {

using kinseg::FitResult;
using kinseg::Model;

kinsim::Settings design(int families, int generations) {
  kinsim::Settings s;
  s.families = families;
  s.generations = generations;
  s.children = kinsim::Settings::kRange;
  s.children_min = 2;
  s.children_max = 5;
  s.marry = 0.6;
  s.ascertainment = kinsim::Settings::kNone;
  return s;
}

struct Recovery {
  const char* what;
  const char* model;
  kinsim::Settings settings;
  uint64_t seed;
};

std::string describe(const FitResult& r, const std::map<std::string, double>& truth) {
  std::ostringstream o;
  o << r.model << ": " << kinseg::status_name(r.status) << ", ln L " << *r.lnl << "\n";
  for (const auto& p : r.parameters)
    o << "  " << p.name << " truth " << truth.at(p.name) << " estimate " << p.estimate << " ("
      << (p.ci_low ? *p.ci_low : NAN) << ", " << (p.ci_high ? *p.ci_high : NAN) << ") " << kinseg::parameter_status_name(p.status) << "\n";
  for (const auto& m : r.messages) o << "  " << m << "\n";
  return o.str();
}

TEST(FitRecovery, ProfileIntervalsCoverTheTruth) {
  // In kinsim's terms (W1 <= W3); kinseg sees them turned round.
  kinsim::Settings dominant = design(250, 2);  // kinseg: q 0.2, w1 = w2 = 0.5, w3 = -2.5
  dominant.param(kinsim::kQ).value = 0.8;
  dominant.param(kinsim::kW1).value = -2.5;
  dominant.param(kinsim::kW1 + 1).value = 0.5;
  dominant.param(kinsim::kW1 + 2).value = 0.5;
  kinsim::Settings recessive = design(250, 2);  // kinseg: q 0.3, w1 = 2, w2 = w3 = -2
  recessive.param(kinsim::kQ).value = 0.7;
  recessive.param(kinsim::kW1).value = -2;
  recessive.param(kinsim::kW1 + 1).value = -2;
  recessive.param(kinsim::kW1 + 2).value = 2;
  kinsim::Settings general = design(200, 3);  // kinseg: q 0.25, w1 = w2 = 1, w3 = -3, tr 0.9, 0.5, 0.2
  general.param(kinsim::kQ).value = 0.75;
  general.param(kinsim::kW1).value = -3;
  general.param(kinsim::kW1 + 1).value = 1;
  general.param(kinsim::kW1 + 2).value = 1;
  general.param(kinsim::kTr1).value = 0.8;
  general.param(kinsim::kTr1 + 1).value = 0.5;
  general.param(kinsim::kTr1 + 2).value = 0.1;
  const Recovery cases[] = {
      {"dominant", "mendelian:dominant", dominant, 1},
      {"recessive", "mendelian:recessive", recessive, 2},
      {"general transmission", "general:dominant", general, 3},
  };
  for (const Recovery& c : cases) {
    SCOPED_TRACE(c.what);
    const kinseg::Sample sample = kintest::simulated_sample(c.settings, c.seed);
    kinseg::EngineOptions eo;
    eo.ascertainment = kinseg::Ascertainment::kNone;
    kinseg::Engine engine(sample, eo);
    const Model model(c.model, {});
    kinseg::FitOptions fo;
    fo.starts = 3;  // enough here; the default grid is tested elsewhere
    const FitResult r =
        fit(model, [&](const kinseg::Point& p) { return engine.evaluate(p); }, kinseg::summarize(sample), fo);
    const auto truth = kintest::kinseg_values(c.settings);
    SCOPED_TRACE(describe(r, truth));
    ASSERT_TRUE(r.lnl);
    EXPECT_TRUE(r.status == kinseg::FitStatus::converged || r.status == kinseg::FitStatus::at_bound);
    EXPECT_GE(r.starts_at_best, 2);
    // The maximum lies above the truth.
    std::vector<double> at_truth;
    for (const auto& name : model.free_names()) at_truth.push_back(truth.at(name));
    EXPECT_GE(*r.lnl, engine.evaluate(model.point(at_truth)));
    for (const auto& p : r.parameters) {
      if (p.role != kinseg::ParameterRole::estimated) continue;
      ASSERT_TRUE(p.ci_low && p.ci_high) << p.name;
      EXPECT_LE(*p.ci_low, truth.at(p.name)) << p.name;
      EXPECT_GE(*p.ci_high, truth.at(p.name)) << p.name;
    }
  }
}

// Gauss-Jordan inverse of a small matrix (row-major).
std::vector<double> inverse(std::vector<double> a, int n) {
  std::vector<double> inv(n * n, 0.0);
  for (int i = 0; i < n; ++i) inv[i * n + i] = 1;
  for (int c = 0; c < n; ++c) {
    int p = c;
    for (int r = c + 1; r < n; ++r)
      if (std::abs(a[r * n + c]) > std::abs(a[p * n + c])) p = r;
    for (int j = 0; j < n; ++j) std::swap(a[c * n + j], a[p * n + j]), std::swap(inv[c * n + j], inv[p * n + j]);
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

// Standard errors and the variance-covariance matrix against the inverse of a
// Hessian computed here: five-point differences on the diagonal and the
// four-point cross difference elsewhere, all with a step of 1e-4 times the
// parameter's scale (the fit uses nested differences with 1e-3).
TEST(FitRecovery, StandardErrorsAgreeWithAnIndependentHessian) {
  kinsim::Settings s = design(250, 2);
  s.param(kinsim::kQ).value = 0.8;
  s.param(kinsim::kW1).value = -2.5;
  s.param(kinsim::kW1 + 1).value = 0.5;
  s.param(kinsim::kW1 + 2).value = 0.5;
  s.covariates.push_back({"smoker", kinsim::Covariate::kBinary, 0.4, 0, 1});
  s.param(kinsim::kD1).value = 0.7;
  s.param(kinsim::kV1 + 2).value = 0.4;  // kinseg's v1
  const kinseg::Sample sample = kintest::simulated_sample(s, 4);
  kinseg::EngineOptions eo;
  eo.ascertainment = kinseg::Ascertainment::kNone;
  kinseg::Engine engine(sample, eo);
  kinseg::ModelOptions mo;
  mo.sex_effect = true;
  mo.covariates = {{"smoker", 1.0}};
  const Model model("mendelian:dominant", mo);
  kinseg::FitOptions fo;
  fo.profile = false;
  const FitResult r = fit(model, [&](const kinseg::Point& p) { return engine.evaluate(p); }, kinseg::summarize(sample), fo);
  ASSERT_EQ(r.status, kinseg::FitStatus::converged) << kinseg::status_name(r.status);
  const int k = model.k();
  ASSERT_EQ(static_cast<int>(r.covariance_names.size()), k);

  const std::vector<double> scale = model.scales();
  std::vector<double> h(k);
  for (int i = 0; i < k; ++i) h[i] = 1e-4 * scale[i];
  auto f = [&](std::vector<double> x, int i, double di, int j, double dj) {
    x[i] += di;
    x[j] += dj;
    return engine.evaluate(model.point(x));
  };
  std::vector<double> information(k * k);
  const std::vector<double>& x = r.free;
  const double f0 = engine.evaluate(model.point(x));
  for (int i = 0; i < k; ++i)
    for (int j = 0; j < k; ++j) {
      double d2;
      if (i == j) {
        d2 = (-f(x, i, 2 * h[i], i, 0) + 16 * f(x, i, h[i], i, 0) - 30 * f0 + 16 * f(x, i, -h[i], i, 0) -
              f(x, i, -2 * h[i], i, 0)) /
             (12 * h[i] * h[i]);
      } else {
        d2 = (f(x, i, h[i], j, h[j]) - f(x, i, h[i], j, -h[j]) - f(x, i, -h[i], j, h[j]) +
              f(x, i, -h[i], j, -h[j])) /
             (4 * h[i] * h[j]);
      }
      information[i * k + j] = -d2;
    }
  const std::vector<double> cov = inverse(information, k);
  for (int i = 0; i < k; ++i) {
    const double se = std::sqrt(cov[i * k + i]);
    EXPECT_NEAR(*r.find(r.free_names[i])->se, se, 1e-3 * se) << r.free_names[i];
    for (int j = 0; j < k; ++j)
      EXPECT_NEAR(r.covariance[i * k + j], cov[i * k + j], 2e-3 * se * std::sqrt(cov[j * k + j]))
          << r.free_names[i] << ", " << r.free_names[j];
  }
}

}  // namespace

namespace {

TEST(FitRecovery, RiskAlleleOfATraitRecordedInWomen) {
  // A trait recorded in women only: their risk allele has frequency 0.2 and
  // is dominant (genotypes 1 and 2 at logit 0.5, genotype 3 at -3), while the
  // men's baselines, which no known trait informs, run the other way (w1 <
  // w3). Started at the mirror image with the men's w1 > w3, the fit must
  // turn round by the women's order: q is the women's risk allele.
  kinsim::Settings s = design(200, 2);
  s.trait_sex = 2;
  s.param(kinsim::kQ).value = 0.2;
  const double w[3] = {-1.0, -1.0, 0.5}, v[3] = {1.5, 1.5, -3.5};
  for (int g = 0; g < 3; ++g) {
    s.param(kinsim::kW1 + g).value = w[g];
    s.param(kinsim::kV1 + g).value = v[g];
  }
  const kinseg::Sample sample = kintest::simulated_sample(s, 21);
  for (int p = 0; p < sample.persons(); ++p) {
    if (sample.sex[p] == kinseg::kMale) {
      ASSERT_EQ(sample.trait[p], kinseg::kUnknownTrait);
    }
  }
  const kinseg::SampleSummary summary = kinseg::summarize(sample);
  EXPECT_EQ(summary.sex2_share, 1.0);
  kinseg::EngineOptions eo;
  eo.ascertainment = kinseg::Ascertainment::kNone;
  kinseg::Engine engine(sample, eo);
  kinseg::ModelOptions mo;
  mo.sex_effect = true;
  mo.sex2_share = summary.sex2_share;
  mo.start = {{"q", 0.8}, {"w1", 1.0}, {"w3", -1.0}, {"h", 0.0}, {"v1", -4.0}, {"v3", 1.5}};
  const Model model("mendelian", mo);
  kinseg::FitOptions fo;
  fo.profile = false;
  fo.starts = 1;
  const FitResult r = fit(model, [&](const kinseg::Point& p) { return engine.evaluate(p); }, summary, fo);
  ASSERT_TRUE(r.lnl);
  const double s1 = r.point.w[0] + r.point.v[0], s2 = r.point.w[1] + r.point.v[1], s3 = r.point.w[2] + r.point.v[2];
  EXPECT_TRUE(r.turned_round);
  EXPECT_NEAR(r.point.q, 0.2, 0.1) << "q " << r.point.q;
  EXPECT_GT(s1, s3);
  EXPECT_GE(s1, s2);
  EXPECT_GE(s2, s3);
  EXPECT_GT(r.find("h")->estimate, 0.5);  // nearer dominant than recessive
}

}  // namespace
