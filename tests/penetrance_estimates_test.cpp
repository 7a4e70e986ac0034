// Each genotype's penetrance at the covariates' reference values, its 95%
// interval by the delta method on the logit scale, and the prevalence the
// model implies (analysis/penetrance.hpp), each against a route of its own:
// - on fits made by hand (a point, a free vector and a variance-covariance
//   matrix), the penetrance is logistic(w_g + v_g [sex 2] + d . ref) and its
//   interval's half-width on the logit scale is z sqrt(g' V g) with the
//   gradient g written out: 1 for w_g, v_g, the reference value for d, and
//   through the codominant link w2 = w3 + h (w1 - w3), h, 1 - h and w1 - w3;
// - the implied prevalence against sums written out for a few persons, with
//   and without covariates, sex increments and ages at onset;
// - on a sample kinsim drew under known values, with a covariate and a sex
//   effect, the true penetrances lie within the fit's intervals.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "analysis/fit.hpp"
#include "analysis/penetrance.hpp"
#include "analysis/sample_summary.hpp"
#include "engine/engine.hpp"
#include "tests/fit_samples.hpp"
#include "tools/settings.hpp"

namespace {

using kinseg::FitResult;
using kinseg::Model;
using kinseg::ModelOptions;
using kinseg::PenetranceResult;
using kinseg::ReferenceValue;

constexpr double kZ = 1.959963984540054;

double logistic(double x) { return 1 / (1 + std::exp(-x)); }
double logit(double p) { return std::log(p / (1 - p)); }

// Founders only, one pedigree: sex, trait, proband code, one covariate each
// and, when AGES is not empty, an age each.
struct Person {
  int sex, trait, proband;
  double x;
};

kinseg::Sample founders(const std::vector<Person>& persons, const std::vector<double>& ages = {}) {
  kinseg::Sample s;
  s.file = "by hand";
  s.covariate_names = {"x"};
  s.pedigree_ids = {"1"};
  s.start = {0, static_cast<int>(persons.size())};
  for (size_t i = 0; i < persons.size(); ++i) {
    s.ids.push_back(std::to_string(i + 1));
    s.father.push_back(-1);
    s.mother.push_back(-1);
    s.sex.push_back(static_cast<int8_t>(persons[i].sex));
    s.trait.push_back(static_cast<int8_t>(persons[i].trait));
    s.proband.push_back(static_cast<int8_t>(persons[i].proband));
    s.covariates.push_back(persons[i].x);
    s.line.push_back(static_cast<int>(i) + 2);
  }
  if (!ages.empty()) {
    s.onset_name = "age";
    s.onset = ages;
  }
  return s;
}

// A fit at the free vector X with the variance-covariance matrix V (row-major
// over every free parameter), as the fit would leave it.
FitResult fit_at(const Model& model, const std::vector<double>& x, const std::vector<double>& v) {
  FitResult f;
  f.model = model.name();
  f.lnl = -100.0;
  f.free_names = model.free_names();
  f.free = x;
  f.point = model.point(x);
  f.k = model.k();
  f.covariance_names = f.free_names;
  f.covariance = v;
  return f;
}

// A positive definite matrix with correlated entries: A A' + I / 10 for A
// with entries from a fixed pattern.
std::vector<double> covariance(int n) {
  std::vector<double> a(n * n), v(n * n, 0.0);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) a[i * n + j] = 0.05 * std::sin(1.0 + 3 * i + 7 * j);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      for (int k = 0; k < n; ++k) v[i * n + j] += a[i * n + k] * a[j * n + k];
      if (i == j) v[i * n + j] += 0.01 * (1 + i);
    }
  return v;
}

// sqrt(g' V g) over the named free parameters.
double sd_of(const std::map<std::string, double>& gradient, const std::vector<std::string>& names,
             const std::vector<double>& v) {
  const size_t n = names.size();
  double var = 0;
  for (size_t i = 0; i < n; ++i)
    for (size_t j = 0; j < n; ++j) {
      const auto a = gradient.find(names[i]), b = gradient.find(names[j]);
      if (a != gradient.end() && b != gradient.end()) var += a->second * v[i * n + j] * b->second;
    }
  return std::sqrt(var);
}

ModelOptions options(bool sex_effect) {
  ModelOptions o;
  o.sex_effect = sex_effect;
  o.covariates = {{"x", 2.0}};
  return o;
}

void expect_interval(const kinseg::RiskEstimate& e, double logit_value, double sd, const std::string& what) {
  EXPECT_NEAR(e.value, logistic(logit_value), 1e-12) << what;
  ASSERT_TRUE(e.has_ci) << what;
  EXPECT_NEAR(logit(e.ci_low), logit_value - kZ * sd, 1e-6) << what;
  EXPECT_NEAR(logit(e.ci_high), logit_value + kZ * sd, 1e-6) << what;
}

const kinseg::Sample kFew = founders({{1, 2, 2, 0.0}, {2, 1, 2, 1.0}, {2, 2, 1, 2.0}, {1, 1, 2, 2.0}, {1, 3, 2, 5.0}});

// The unordered model with a sex effect and a covariate: no links, so the
// logit of genotype g's penetrance for sex 2 is w_g + v_g + d ref, its
// gradient 1, 1 and ref.
TEST(Penetrances, DeltaMethodAgainstTheGradientWrittenOut) {
  const Model model("mendelian:unordered", options(true));
  const std::vector<std::string> names = model.free_names();
  ASSERT_EQ(names, (std::vector<std::string>{"q", "w1", "w2", "w3", "v1", "v2", "v3", "d.x"}));
  const std::vector<double> x = {0.2, 1.1, -0.4, -2.3, 0.6, 0.3, -0.5, 0.8};
  const std::vector<double> v = covariance(8);
  const FitResult f = fit_at(model, x, v);
  for (double ref : {0.0, 1.25}) {  // a covariate at 0, and at a reference value
    const std::vector<ReferenceValue> reference = {{"x", ref, ref != 0.0}};
    const PenetranceResult r = kinseg::penetrances(f, model, reference, kFew, 0.5);
    ASSERT_EQ(r.rows.size(), 6u);
    for (size_t i = 0; i < r.rows.size(); ++i) {
      const auto& row = r.rows[i];
      const int g = static_cast<int>(i % 3) + 1;
      const bool two = i >= 3;
      const std::string what = "genotype " + std::to_string(g) + " sex " + std::to_string(row.sex) + " at " +
                               std::to_string(ref);
      EXPECT_EQ(row.genotype, g) << what;
      EXPECT_EQ(row.sex, two ? 2 : 1) << what;
      const double eta = x[g] + (two ? x[3 + g] : 0.0) + x[7] * ref;
      std::map<std::string, double> grad = {{"w" + std::to_string(g), 1.0}, {"d.x", ref}};
      if (two) grad["v" + std::to_string(g)] = 1.0;
      expect_interval(row.penetrance, eta, sd_of(grad, names, v), what);
    }
  }
}

// Links: dominant (w2 = w1: the heterozygote's penetrance and interval are
// the homozygote's) and codominant (w2 = w3 + h (w1 - w3)).
TEST(Penetrances, DeltaMethodThroughTheModelsLinks) {
  const std::vector<ReferenceValue> reference = {{"x", 0.5, false}};
  {
    const Model model("mendelian:dominant", options(false));
    ASSERT_EQ(model.free_names(), (std::vector<std::string>{"q", "w1", "w3", "d.x"}));
    const std::vector<double> x = {0.1, 0.9, -2.0, 0.4};
    const std::vector<double> v = covariance(4);
    const PenetranceResult r = kinseg::penetrances(fit_at(model, x, v), model, reference, kFew, 0.5);
    ASSERT_EQ(r.rows.size(), 3u);
    const double sd = sd_of({{"w1", 1.0}, {"d.x", 0.5}}, model.free_names(), v);
    expect_interval(r.rows[0].penetrance, 0.9 + 0.2, sd, "dominant, genotype 1");
    expect_interval(r.rows[1].penetrance, 0.9 + 0.2, sd, "dominant, genotype 2");
    expect_interval(r.rows[2].penetrance, -2.0 + 0.2, sd_of({{"w3", 1.0}, {"d.x", 0.5}}, model.free_names(), v),
                    "dominant, genotype 3");
    EXPECT_EQ(r.rows[0].sex, 0);
  }
  {
    const Model model("mendelian:codominant", options(false));
    ASSERT_EQ(model.free_names(), (std::vector<std::string>{"q", "w1", "w3", "h", "d.x"}));
    const double w1 = 1.5, w3 = -1.5, h = 0.3;
    const std::vector<double> x = {0.3, w1, w3, h, -0.2};
    const std::vector<double> v = covariance(5);
    const PenetranceResult r = kinseg::penetrances(fit_at(model, x, v), model, reference, kFew, 0.5);
    ASSERT_EQ(r.rows.size(), 3u);
    const double sd = sd_of({{"w1", h}, {"w3", 1 - h}, {"h", w1 - w3}, {"d.x", 0.5}}, model.free_names(), v);
    expect_interval(r.rows[1].penetrance, w3 + h * (w1 - w3) - 0.1, sd, "codominant, genotype 2");
  }
}

// The sporadic model has one penetrance, genotype 0: one row, or one per sex;
// its implied prevalence without covariates is that penetrance, interval and
// all (every person the same, one type).
TEST(Penetrances, SporadicModel) {
  ModelOptions o;
  o.sex_effect = true;
  const kinseg::Sample few = founders({{1, 2, 2, 0.0}, {2, 1, 2, 0.0}, {1, 1, 2, 0.0}});
  kinseg::Sample plain = few;
  plain.covariate_names.clear();
  plain.covariates.clear();
  const Model by_sex("sporadic", o);
  const std::vector<std::string> names = by_sex.free_names();
  ASSERT_EQ(names, (std::vector<std::string>{"w1", "v1"}));
  const std::vector<double> v = {0.04, -0.01, -0.01, 0.09};
  const PenetranceResult r = kinseg::penetrances(fit_at(by_sex, {-1.0, 0.7}, v), by_sex, {}, plain, 0.3);
  ASSERT_EQ(r.rows.size(), 2u);
  EXPECT_EQ(r.rows[0].genotype, 0);
  EXPECT_EQ(r.rows[0].sex, 1);
  EXPECT_EQ(r.rows[1].sex, 2);
  expect_interval(r.rows[0].penetrance, -1.0, 0.2, "men");
  expect_interval(r.rows[1].penetrance, -0.3, std::sqrt(0.04 - 0.02 + 0.09), "women");
  // Two men and a woman: the mean of their penetrances.
  EXPECT_NEAR(r.implied_prevalence.value, (2 * logistic(-1.0) + logistic(-0.3)) / 3, 1e-12);
  EXPECT_EQ(r.prevalence_persons, 3);
  EXPECT_EQ(r.observed_prevalence, 0.3);

  const Model one("sporadic", ModelOptions{});
  const PenetranceResult s = kinseg::penetrances(fit_at(one, {-1.0}, {0.04}), one, {}, plain, 0.3);
  ASSERT_EQ(s.rows.size(), 1u);
  EXPECT_EQ(s.rows[0].sex, 0);
  expect_interval(s.implied_prevalence, -1.0, 0.2, "implied prevalence");
}

// The implied prevalence: the mean over the non-probands of known trait of
// sum_g P(g) P(affected | g, own sex and covariates), against the sum written
// out; every member of known trait when all are probands; under onset each
// person's risk by their own age.
TEST(Penetrances, ImpliedPrevalenceOverThePersonsCounted) {
  const Model model("mendelian:unordered", options(true));
  const std::vector<double> x = {0.2, 1.1, -0.4, -2.3, 0.6, 0.3, -0.5, 0.8};
  const FitResult f = fit_at(model, x, covariance(8));
  const double pg[3] = {0.04, 0.32, 0.64};
  auto person = [&](int sex, double cov) {
    double p = 0;
    for (int g = 0; g < 3; ++g) p += pg[g] * logistic(x[1 + g] + (sex == 2 ? x[4 + g] : 0.0) + x[7] * cov);
    return p;
  };
  // kFew: the proband (third) and the person of unknown trait (fifth) are not counted.
  const PenetranceResult r = kinseg::penetrances(f, model, {{"x", 1.0, false}}, kFew, 0.5);
  EXPECT_EQ(r.prevalence_persons, 3);
  EXPECT_FALSE(r.all_probands);
  EXPECT_NEAR(r.implied_prevalence.value, (person(1, 0.0) + person(2, 1.0) + person(1, 2.0)) / 3, 1e-12);
  EXPECT_TRUE(r.implied_prevalence.has_ci);
  EXPECT_LT(r.implied_prevalence.ci_low, r.implied_prevalence.value);
  EXPECT_GT(r.implied_prevalence.ci_high, r.implied_prevalence.value);

  const kinseg::Sample probands = founders({{1, 2, 1, 0.0}, {2, 1, 1, 1.0}, {1, 3, 2, 4.0}});
  const PenetranceResult all = kinseg::penetrances(f, model, {{"x", 1.0, false}}, probands, 0.5);
  EXPECT_EQ(all.prevalence_persons, 2);
  EXPECT_TRUE(all.all_probands);
  EXPECT_NEAR(all.implied_prevalence.value, (person(1, 0.0) + person(2, 1.0)) / 2, 1e-12);

  // Under onset: the same logistic is the lifetime risk, times F_g(own age).
  ModelOptions o = options(false);
  o.onset.on = true;
  o.onset.youngest = 20;
  o.onset.oldest = 80;
  const Model onset("mendelian:dominant", o);
  ASSERT_EQ(onset.free_names(), (std::vector<std::string>{"q", "w1", "w3", "d.x", "m1", "m3", "s"}));
  const std::vector<double> y = {0.2, 1.0, -2.0, 0.5, 45.0, 60.0, 6.0};
  const kinseg::Sample aged = founders({{1, 2, 2, 0.0}, {2, 1, 2, 1.0}, {2, 1, 1, 2.0}}, {40.0, 70.0, 55.0});
  const PenetranceResult l =
      kinseg::penetrances(fit_at(onset, y, covariance(7)), onset, {{"x", 1.0, false}}, aged, 0.5);
  EXPECT_TRUE(l.lifetime);
  ASSERT_EQ(l.rows.size(), 3u);
  EXPECT_NEAR(l.rows[0].penetrance.value, logistic(1.0 + 0.5), 1e-12);
  auto risk = [&](double cov, double age) {
    const double carrier = 1 - 0.8 * 0.8;
    return carrier * logistic(1.0 + 0.5 * cov) * logistic((age - 45) / 6) +
           0.64 * logistic(-2.0 + 0.5 * cov) * logistic((age - 60) / 6);
  };
  EXPECT_NEAR(l.implied_prevalence.value, (risk(0.0, 40.0) + risk(1.0, 70.0)) / 2, 1e-12);
  EXPECT_NE(l.prevalence_definition.find("R_g(a) = gamma_g F_g(a)"), std::string::npos);
}

// Without a variance-covariance matrix: the values, no intervals; without
// estimates: no rows.
TEST(Penetrances, NoMatrixNoInterval) {
  const Model model("mendelian:dominant", options(false));
  FitResult f = fit_at(model, {0.1, 0.9, -2.0, 0.4}, {});
  f.covariance_names.clear();
  const PenetranceResult r = kinseg::penetrances(f, model, {{"x", 0.0, false}}, kFew, 0.5);
  ASSERT_EQ(r.rows.size(), 3u);
  EXPECT_FALSE(r.rows[0].penetrance.has_ci);
  EXPECT_NEAR(r.rows[0].penetrance.value, logistic(0.9), 1e-12);
  EXPECT_FALSE(r.implied_prevalence.has_ci);
  f.lnl.reset();
  EXPECT_TRUE(kinseg::penetrances(f, model, {{"x", 0.0, false}}, kFew, 0.5).rows.empty());
}

// A free parameter without a standard error: a penetrance that moves with
// it has no interval when it is not identified (its variance is unknown,
// not 0), and keeps the interval held at the bound when it is on one; a
// penetrance that does not move with it keeps its interval.
TEST(Penetrances, NoIntervalAlongAParameterWithoutStandardError) {
  const Model model("mendelian:dominant", options(false));
  const std::vector<double> x = {0.1, 0.9, -2.0, 0.4};
  FitResult f = fit_at(model, x, {});
  f.covariance_names = {"q", "w1", "d.x"};
  const std::vector<double> full = covariance(4);
  for (int a : {0, 1, 3})
    for (int b : {0, 1, 3}) f.covariance.push_back(full[a * 4 + b]);
  kinseg::ParameterEstimate w3;
  w3.name = "w3";
  w3.status = kinseg::ParameterStatus::not_identified;
  f.parameters = {w3};
  const std::vector<ReferenceValue> reference = {{"x", 0.5, false}};
  const PenetranceResult flat = kinseg::penetrances(f, model, reference, kFew, 0.5);
  ASSERT_EQ(flat.rows.size(), 3u);
  const std::vector<double> v = f.covariance;
  expect_interval(flat.rows[0].penetrance, 0.9 + 0.2, sd_of({{"w1", 1.0}, {"d.x", 0.5}}, f.covariance_names, v),
                  "genotype 1, w3 not identified");
  EXPECT_FALSE(flat.rows[2].penetrance.has_ci);
  EXPECT_NEAR(flat.rows[2].penetrance.value, logistic(-2.0 + 0.2), 1e-12);
  EXPECT_FALSE(flat.implied_prevalence.has_ci);
  f.parameters[0].status = kinseg::ParameterStatus::at_bound;
  const PenetranceResult bound = kinseg::penetrances(f, model, reference, kFew, 0.5);
  expect_interval(bound.rows[2].penetrance, -2.0 + 0.2, sd_of({{"d.x", 0.5}}, f.covariance_names, v),
                  "genotype 3, w3 on its bound");
}

// A sample kinsim drew with a dominant gene (kinseg's q = 0.15, w1 = w2 = 1,
// w3 = -3), a sex increment of its own for carriers and non-carriers and a
// binary covariate: the true penetrances at the reference value (the
// covariate's sample mean) lie within the fit's 95% intervals, as does the
// true implied prevalence. The seed is fixed, so the outcome never varies.
TEST(Penetrances, TruthWithinTheIntervalsOnAKinsimSample) {
  kinsim::Settings s;
  s.families = 150;
  s.generations = 2;
  s.children = kinsim::Settings::kRange;
  s.children_min = 2;
  s.children_max = 4;
  s.marry = 0.5;
  s.ascertainment = kinsim::Settings::kNone;
  s.covariates.push_back({"x", kinsim::Covariate::kBinary, 0.4, 0, 1});
  s.param(kinsim::kQ).value = 0.85;
  s.param(kinsim::kW1).value = -3;
  s.param(kinsim::kW1 + 1).value = 1;
  s.param(kinsim::kW1 + 2).value = 1;
  s.param(kinsim::kV1).value = -0.5;
  s.param(kinsim::kV1 + 1).value = 0.5;
  s.param(kinsim::kV1 + 2).value = 0.5;
  s.param(kinsim::kD1).value = 0.8;
  const kinseg::Sample sample = kintest::simulated_sample(s, 4);
  const kinseg::SampleSummary summary = kinseg::summarize(sample);
  ModelOptions o;
  o.sex_effect = true;
  o.sex2_share = summary.sex2_share;
  o.covariates = {{"x", summary.covariates[0].largest_abs}};
  const Model model("mendelian:dominant", o);
  kinseg::EngineOptions eo;
  eo.ascertainment = kinseg::Ascertainment::kNone;
  eo.threads = 1;
  kinseg::Engine engine(sample, eo);
  kinseg::FitOptions fo;
  fo.starts = 2;
  fo.profile = false;
  const FitResult r =
      fit(model, [&](const kinseg::Point& p) { return engine.evaluate(p); }, summary, fo);
  ASSERT_TRUE(r.lnl);
  const std::vector<ReferenceValue> reference = {{"x", summary.covariates[0].mean, false}};
  const PenetranceResult pen = kinseg::penetrances(r, model, reference, sample, summary.prevalence);

  const auto truth = kintest::kinseg_values(s);
  std::vector<double> at_truth;
  for (const auto& name : model.free_names()) at_truth.push_back(truth.at(name));
  const kinseg::Point t = model.point(at_truth);
  ASSERT_EQ(pen.rows.size(), 6u);
  for (const auto& row : pen.rows) {
    const double want = logistic(kinseg::penetrance_logit(t, row.genotype - 1, row.sex, reference));
    // The truth written out: carriers 1 + 0.8 x (+ 0.5 for women), non-carriers -3 + 0.8 x (- 0.5).
    const double by_hand = logistic((row.genotype < 3 ? 1.0 : -3.0) + 0.8 * reference[0].value +
                                    (row.sex == 2 ? (row.genotype < 3 ? 0.5 : -0.5) : 0.0));
    EXPECT_NEAR(want, by_hand, 1e-12);
    ASSERT_TRUE(row.penetrance.has_ci);
    EXPECT_LE(row.penetrance.ci_low, want) << "genotype " << row.genotype << " sex " << row.sex;
    EXPECT_GE(row.penetrance.ci_high, want) << "genotype " << row.genotype << " sex " << row.sex;
  }
  FitResult at_true = r;
  at_true.point = t;
  const double implied_truth =
      kinseg::penetrances(at_true, model, reference, sample, summary.prevalence).implied_prevalence.value;
  EXPECT_LE(pen.implied_prevalence.ci_low, implied_truth);
  EXPECT_GE(pen.implied_prevalence.ci_high, implied_truth);
  // The model fits: what it implies is near what is observed.
  EXPECT_NEAR(pen.implied_prevalence.value, summary.prevalence, 0.03);
}

}  // namespace
