// The battery on likelihoods whose maxima are known in closed form: a
// separable quadratic in the genotype baselines, Q and the effective
// transmission probabilities. Each model's maximum is then a short formula,
// the tests' statistics and p-values follow (the chi-square tails written out
// here, not taken from the library), and the verdict is known. Also: options
// that apply to some models only, the guard against a model ending below a
// model nested in it, the family ranking and the carrier probabilities.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "analysis/battery.hpp"
#include "analysis/nested_model.hpp"
#include "tests/support/pedigree_rows.hpp"

namespace {

using kinseg::SampleLikelihood;
using kinseg::BatteryOptions;
using kinseg::BatteryResult;
using kinseg::Point;

constexpr double kPi = 3.14159265358979323846;

// P(X >= x) for chi-square with 0 (the point mass at 0), 1, 2 and 3 degrees of
// freedom, in closed form.
double chi2_tail(double x, int df) {
  if (x <= 0) return 1.0;
  switch (df) {
    case 0: return 0.0;
    case 1: return std::erfc(std::sqrt(x / 2));
    case 2: return std::exp(-x / 2);
    case 3: return std::erfc(std::sqrt(x / 2)) + std::sqrt(2 * x / kPi) * std::exp(-x / 2);
  }
  ADD_FAILURE() << "df " << df;
  return 0;
}

// top - (a |w - w0|^2 + c (q - q0)^2 + b |tau - tau0|^2) / 2, with tau the
// transmission the point uses (Mendelian: 1, 1/2, 0). Where the three
// genotypes have the same baseline, Q and transmission do not matter to a
// likelihood, so their terms are left out there; with WEIGH they fade out
// smoothly as the baselines come together instead.
struct Synthetic {
  double q0 = 0.2;
  double w0[3] = {1.5, 1.5, -1.0};
  double tau0[3] = {1.0, 0.5, 0.0};
  double a = 40, b = 200, c = 100, top = -500;
  bool weigh = false;

  double operator()(const Point& p) const {
    double s = 0;
    for (int g = 0; g < 3; ++g) s += a * (p.w[g] - w0[g]) * (p.w[g] - w0[g]);
    const double mean = (p.w[0] + p.w[1] + p.w[2]) / 3;
    double spread = 0;
    for (int g = 0; g < 3; ++g) spread += (p.w[g] - mean) * (p.w[g] - mean);
    const double weight = weigh ? spread / (0.1 + spread) : (spread > 0 ? 1.0 : 0.0);
    const double mendel[3] = {1.0, 0.5, 0.0};
    const double* tau = p.free_transmission ? p.tau : mendel;
    double rest = c * (p.q - q0) * (p.q - q0);
    for (int g = 0; g < 3; ++g) rest += b * (tau[g] - tau0[g]) * (tau[g] - tau0[g]);
    return top - 0.5 * (s + weight * rest);
  }

  // The loss in ln L from the baselines a type allows (w0 in the documented
  // orientation, so the type's constraint W1 >= W3 does not bind).
  double w_loss(const std::string& type) const {
    if (type == "dominant") return a * (w0[0] - w0[1]) * (w0[0] - w0[1]) / 4;
    if (type == "recessive") return a * (w0[1] - w0[2]) * (w0[1] - w0[2]) / 4;
    return 0;
  }
  double sporadic() const {
    const double mean = (w0[0] + w0[1] + w0[2]) / 3;
    double s = 0;
    for (double w : w0) s += (w - mean) * (w - mean);
    return top - 0.5 * a * s;
  }
  // The maximum of each model but homog_general, by its transmission, or the
  // sporadic point (all baselines equal, where Q and transmission drop out)
  // when that is higher: every model holds it.
  double expected(const std::string& model) const {
    if (model == "sporadic") return sporadic();
    return std::max(sporadic(), own_maximum(model));
  }
  double own_maximum(const std::string& model) const {
    const std::string trans = model.substr(0, model.find(':'));
    const std::string type = model.substr(model.find(':') + 1);
    const double mendel[3] = {1.0, 0.5, 0.0};
    double loss = 0;
    if (trans == "mendelian") {
      for (int g = 0; g < 3; ++g) loss += 0.5 * b * (mendel[g] - tau0[g]) * (mendel[g] - tau0[g]);
    } else if (trans == "tau_ab_free") {
      loss = 0.5 * b * ((1 - tau0[0]) * (1 - tau0[0]) + tau0[2] * tau0[2]);
    } else if (trans == "no_transmission") {
      const double q = (c * q0 + b * (tau0[0] + tau0[1] + tau0[2])) / (c + 3 * b);
      loss = 0.5 * c * (q - q0) * (q - q0);
      for (double t : tau0) loss += 0.5 * b * (q - t) * (q - t);
    }
    return top - w_loss(type) - loss;
  }
};

SampleLikelihood likelihood_of(const Synthetic& s) {
  SampleLikelihood l;
  l.lnl = [s](const Point& p) { return s(p); };
  return l;
}

BatteryOptions quick_options() {
  BatteryOptions o;
  o.fit.starts = 3;
  return o;
}

const kinseg::LikelihoodRatioTest& test_of(const BatteryResult& r, const std::string& null_model,
                                           const std::string& alternative) {
  for (const auto& t : r.tests)
    if (t.null_model == null_model && t.alternative == alternative) return t;
  ADD_FAILURE() << "no test " << null_model << " vs " << alternative;
  static kinseg::LikelihoodRatioTest none;
  return none;
}

// Every model's ln L, the tests' statistics and p-values, against the closed forms.
void expect_closed_forms(const Synthetic& s, const BatteryResult& r) {
  for (const auto& m : r.models) {
    ASSERT_TRUE(m.fit.lnl) << m.name;
    if (m.name.rfind("homog_general", 0) == 0) continue;
    EXPECT_NEAR(*m.fit.lnl, s.expected(m.name), 1e-5) << m.name;
  }
  // homog_general holds mendelian and no_transmission and lies in general.
  const std::string t = ":" + r.best_mendelian_type;
  const double homog = *r.find("homog_general" + t)->fit.lnl;
  EXPECT_GE(homog, s.expected("mendelian" + t) - 1e-6);
  EXPECT_GE(homog, s.expected("no_transmission" + t) - 1e-6);
  EXPECT_LE(homog, s.expected("general" + t) + 1e-6);

  struct Expected {
    std::string null_model, alternative;
    std::vector<std::pair<double, int>> mixture;  // weight, df
  };
  const std::vector<Expected> tests = {
      {"sporadic", "mendelian:dominant", {{1, 2}}},
      {"sporadic", "mendelian:recessive", {{1, 2}}},
      {"sporadic", "mendelian:codominant", {{1, 3}}},
      {"no_transmission" + t, "general" + t, {{1, 3}}},
      {"mendelian" + t, "tau_ab_free" + t, {{1, 1}}},
      {"mendelian" + t, "general" + t, {{0.25, 1}, {0.5, 2}, {0.25, 3}}},
      {"tau_ab_free" + t, "general" + t, {{1, 2}}},
  };
  for (const auto& e : tests) {
    const auto& x = test_of(r, e.null_model, e.alternative);
    ASSERT_TRUE(x.available()) << e.null_model << " vs " << e.alternative << ": " << x.unavailable;
    const double stat = std::max(0.0, 2 * (s.expected(e.alternative) - s.expected(e.null_model)));
    EXPECT_NEAR(*x.statistic, stat, 2e-5) << e.null_model << " vs " << e.alternative;
    double p = 0;
    for (const auto& [w, df] : e.mixture) p += w * chi2_tail(*x.statistic, df);
    EXPECT_NEAR(*x.p, p, 1e-12 + 1e-9 * p) << e.null_model << " vs " << e.alternative;
  }
  EXPECT_EQ(r.tests.size(), 10u);
  const auto& mixed = test_of(r, "mendelian" + t, "homog_general" + t);
  EXPECT_EQ(mixed.reference_text, "0.25 chi2(0) + 0.5 chi2(1) + 0.25 chi2(2)");
  EXPECT_NEAR(*mixed.p,
              0.25 * chi2_tail(*mixed.statistic, 0) + 0.5 * chi2_tail(*mixed.statistic, 1) +
                  0.25 * chi2_tail(*mixed.statistic, 2),
              1e-12);
}

TEST(Battery, MendelianDominantMajorGene) {
  const Synthetic s;  // Q = 0.2, W = 1.5, 1.5, -1, Mendelian
  const BatteryResult r = run_battery(kintest::empty_sample(0), likelihood_of(s), quick_options());
  ASSERT_EQ(r.models.size(), 10u);
  const char* order[] = {"sporadic", "no_transmission:dominant", "no_transmission:recessive",
                         "no_transmission:codominant", "mendelian:dominant", "mendelian:recessive",
                         "mendelian:codominant", "tau_ab_free:dominant", "homog_general:dominant",
                         "general:dominant"};
  for (size_t i = 0; i < r.models.size(); ++i) EXPECT_EQ(r.models[i].name, order[i]);
  EXPECT_EQ(r.best_mendelian_type, "dominant");
  EXPECT_EQ(r.selected_model, "mendelian:dominant");
  EXPECT_EQ(r.best_model, "mendelian:dominant");  // as high as any, with the fewest parameters
  expect_closed_forms(s, r);

  // AIC and its differences.
  for (const auto& m : r.models) {
    EXPECT_NEAR(*m.fit.aic(), -2 * *m.fit.lnl + 2 * m.fit.k, 1e-9);
    ASSERT_TRUE(m.delta_aic);
    EXPECT_NEAR(*m.delta_aic, *m.fit.aic() - *r.find("mendelian:dominant")->fit.aic(), 1e-9);
  }
  EXPECT_EQ(r.find("general:dominant")->fit.k, 6);  // q, w1, w3, tr1, tr2, tr3

  // Each model started from the fits nested in it.
  using V = std::vector<std::string>;
  EXPECT_EQ(r.find("sporadic")->started_from, V{});
  EXPECT_EQ(r.find("mendelian:codominant")->started_from,
            (V{"sporadic", "mendelian:dominant", "mendelian:recessive"}));
  // tau_ab_free and homog_general end at the Mendelian point: one start for the three.
  EXPECT_EQ(r.find("general:dominant")->started_from,
            (V{"sporadic", "no_transmission:dominant", "mendelian:dominant"}));
  const auto& notes = r.find("general:dominant")->messages;
  EXPECT_NE(std::find(notes.begin(), notes.end(),
                      "the estimates of homog_general:dominant are the point of mendelian:dominant's: one start for both"),
            notes.end());

  // The Mendelian point lies on Tr1 = 1 and Tr3 = 0 of the general model: the
  // mixture allows for it, so those bounds are not flagged there, but they are
  // against the chi-square of tau_ab_free vs general.
  EXPECT_EQ(test_of(r, "mendelian:dominant", "general:dominant").flags_text(), "");
  EXPECT_NE(test_of(r, "tau_ab_free:dominant", "general:dominant").flags_text().find("alternative: tr1 at upper bound"),
            std::string::npos);
  EXPECT_NE(test_of(r, "sporadic", "mendelian:dominant").flags_text().find("q not identified under the null"),
            std::string::npos);

  EXPECT_TRUE(r.verdict.major_gene) << r.verdict.summary;
  EXPECT_EQ(r.verdict.summary, "evidence for a major gene with Mendelian transmission; dominant fits best by AIC");
  ASSERT_EQ(r.criteria.size(), 3u);
  for (const auto& c : r.criteria) EXPECT_TRUE(c.holds) << c.text;
  EXPECT_EQ(r.criteria[1].null_model, "no_transmission:dominant");
  EXPECT_EQ(r.criteria[1].alternative, "general:dominant");
}

TEST(Battery, ProfileIntervalsForTheSelectedModelOnly) {
  // On the quadratic the profile interval is the Wald one: q0 +- 1.96 / sqrt(c),
  // and w1 = w2 (linked) +- 1.96 / sqrt(2 a).
  const Synthetic s;
  BatteryOptions o = quick_options();
  o.profile_selected = true;
  const BatteryResult r = run_battery(kintest::empty_sample(0), likelihood_of(s), o);
  ASSERT_EQ(r.selected_model, "mendelian:dominant");
  const kinseg::FitResult& f = r.selected()->fit;
  EXPECT_TRUE(f.profiled);
  EXPECT_NEAR(*f.lnl, s.expected("mendelian:dominant"), 1e-6);
  const double z = 1.959963984540054;
  EXPECT_NEAR(*f.find("q")->ci_low, s.q0 - z / std::sqrt(s.c), 1e-3);
  EXPECT_NEAR(*f.find("q")->ci_high, s.q0 + z / std::sqrt(s.c), 1e-3);
  EXPECT_NEAR(*f.find("w1")->ci_high, s.w0[0] + z / std::sqrt(2 * s.a), 1e-3);
  EXPECT_FALSE(f.starts.empty());
  for (const auto& m : r.models) {
    if (m.name == r.selected_model) continue;
    EXPECT_FALSE(m.fit.profiled) << m.name;
    for (const auto& p : m.fit.parameters) EXPECT_FALSE(p.ci_low.has_value()) << m.name << " " << p.name;
  }
}

TEST(Battery, VerdictsOfOtherTruths) {
  struct Case {
    const char* what;
    double q0, w0[3], tau0[3];
    bool weigh;
    const char* type;
    const char* summary;
    bool holds[3];
  };
  const Case cases[] = {
      {"types not transmitted", 0.3, {1.5, 1.5, -1}, {0.3, 0.3, 0.3}, false, "dominant",
       "familial aggregation not explained by a transmitted major type", {true, false, false}},
      {"general transmission", 0.2, {1, -1, -1}, {0.8, 0.5, 0.1}, false, "recessive",
       "familial aggregation not explained by Mendelian transmission", {true, true, false}},
      {"no major gene", 0.2, {0.5, 0.5, 0.5}, {1, 0.5, 0}, true, "", "no evidence for a major gene",
       {false, false, true}},
  };
  for (const Case& c : cases) {
    Synthetic s;
    s.q0 = c.q0;
    s.weigh = c.weigh;
    for (int g = 0; g < 3; ++g) s.w0[g] = c.w0[g], s.tau0[g] = c.tau0[g];
    const BatteryResult r = run_battery(kintest::empty_sample(0), likelihood_of(s), quick_options());
    if (!s.weigh) {
      EXPECT_EQ(r.best_mendelian_type, c.type) << c.what;
      expect_closed_forms(s, r);
    }
    EXPECT_FALSE(r.verdict.major_gene) << c.what;
    EXPECT_EQ(r.verdict.summary.rfind(c.summary, 0), 0u) << c.what << ": " << r.verdict.summary;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(r.criteria[i].holds, c.holds[i]) << c.what << ": " << r.criteria[i].text;
  }
}

TEST(Battery, NoLargerModelEndsBelowOneNestedInIt) {
  // Searches cut short and no nested starts: larger models end below the
  // smaller ones they hold, are said to, and are refitted from them.
  const Synthetic s;
  BatteryOptions o = quick_options();
  o.start_from_nested = false;
  o.fit.search.max_evaluations = 25;
  const BatteryResult r = run_battery(kintest::empty_sample(0), likelihood_of(s), o);
  int refits = 0;
  for (const auto& m : r.models) {
    EXPECT_TRUE(m.started_from.empty());
    if (!m.refit) continue;
    ++refits;
    bool said = false;
    for (const auto& msg : m.messages) said = said || msg.find("refitted from") != std::string::npos;
    EXPECT_TRUE(said) << m.name;
  }
  EXPECT_GT(refits, 0);
  // After the refits every test's statistic is a difference the right way round.
  for (const auto& t : r.tests) {
    if (!t.available()) continue;
    EXPECT_EQ(t.flags_text().find("below the null"), std::string::npos) << t.null_model << " vs " << t.alternative;
  }
}

TEST(Battery, OptionsApplyWhereTheParameterIsEstimated) {
  const Synthetic s;
  BatteryOptions o = quick_options();
  o.model.fix = {{"tr2", 0.5}};
  o.model.start = {{"q", 0.25}};
  const BatteryResult r = run_battery(kintest::empty_sample(0), likelihood_of(s), o);
  // tr2 is held only in tau_ab_free and general; q is not in the sporadic model.
  auto notes = [&](const std::string& model) {
    std::string all;
    for (const auto& m : r.find(model)->messages) all += m + "\n";
    return all;
  };
  EXPECT_NE(notes("sporadic").find("--start q does not apply (no q in sporadic)"), std::string::npos);
  EXPECT_NE(notes("mendelian:dominant").find("--fix tr2 does not apply (no tr2 in mendelian:dominant)"),
            std::string::npos);
  EXPECT_NE(notes("homog_general:dominant").find("--fix tr2 does not apply (tr2 is derived"), std::string::npos);
  EXPECT_EQ(r.find("general:dominant")->fit.k, 5);
  EXPECT_EQ(r.find("tau_ab_free:dominant")->fit.k, 3);
  // Two free parameters fewer than the mixture of mendelian vs general is made for.
  const auto& t = test_of(r, "mendelian:dominant", "general:dominant");
  EXPECT_NE(t.flags_text().find("2 more free parameters, not 3"), std::string::npos) << t.flags_text();
  // tau_ab_free with tr2 held at 1/2 is the Mendelian model: no test.
  EXPECT_FALSE(test_of(r, "mendelian:dominant", "tau_ab_free:dominant").available());

  // Fixing tr2 elsewhere than 1/2 takes Mendelian transmission out of the general model.
  o.model.fix = {{"tr2", 0.3}};
  const BatteryResult r2 = run_battery(kintest::empty_sample(0), likelihood_of(s), o);
  const auto& t2 = test_of(r2, "mendelian:dominant", "general:dominant");
  EXPECT_FALSE(t2.available());
  EXPECT_NE(t2.unavailable.find("not nested"), std::string::npos);
  EXPECT_FALSE(r2.verdict.major_gene);
  EXPECT_EQ(r2.verdict.summary, "no verdict: a test needed by the criteria could not be made");
  EXPECT_NE(r2.criteria[2].text.find("not tested (the options given make mendelian:dominant not nested in "
                                     "general:dominant)"),
            std::string::npos)
      << r2.criteria[2].text;

  // An entry no model can take, and one every model refuses, are refused before any fit.
  for (const auto& fix : std::vector<kinseg::NamedValue>{{"tr4", 0.5}, {"q", 1.5}}) {
    BatteryOptions bad = quick_options();
    bad.model.fix = {fix};
    EXPECT_THROW(run_battery(kintest::empty_sample(0), likelihood_of(s), bad), kinseg::ModelError) << fix.name;
  }
}

TEST(Battery, FamiliesRankedAndCarriersUnderTheSelectedModel) {
  // Three pedigrees; the second is not analysed. Family contributions: the
  // first holds the quadratic, the second the part that prefers a genotype
  // effect, the third the part against.
  kinseg::Sample sample;
  sample.pedigree_ids = {"F1", "F2", "F3"};
  sample.start = {0, 3, 5, 8};
  sample.ids = {"dad", "mum", "kid", "x", "y", "a", "b", "c"};
  sample.father = {-1, -1, 0, -1, -1, -1, -1, 5};
  sample.mother = {-1, -1, 1, -1, -1, -1, -1, 6};
  sample.sex = {1, 2, 1, 1, 2, 1, 2, 2};
  sample.trait = {2, 1, 2, 1, 1, 1, 2, 3};
  sample.proband = {2, 2, 1, 2, 2, 1, 2, 2};
  sample.line = {2, 3, 4, 5, 6, 7, 8, 9};

  const Synthetic s;
  auto effect = [](const Point& p) { return p.w[0] - p.w[2]; };
  SampleLikelihood l;
  l.family_pedigrees = {0, 2};
  l.contributions = [&](const Point& p) { return std::vector<double>{s(p) + 0.5 * effect(p), -0.1 * effect(p)}; };
  l.lnl = [&](const Point& p) {
    const auto c = l.contributions(p);
    return c[0] + c[1];
  };
  l.genotypes = [&](const Point& p) {
    kinseg::GenotypePosteriors g;
    g.known = {1, 1, 1, 0, 0, 1, 1, 1};
    for (int i = 0; i < 8; ++i)
      for (double f : {p.q * p.q, 2 * p.q * (1 - p.q), (1 - p.q) * (1 - p.q)}) g.probability.push_back(f);
    return g;
  };
  const BatteryResult r = run_battery(sample, l, quick_options());
  ASSERT_EQ(r.selected_model, "mendelian:dominant");
  const Point m = r.selected()->fit.point, sp = r.find("sporadic")->fit.point;
  ASSERT_EQ(r.families.size(), 2u);
  // F1 supports the major gene, F3 opposes it.
  EXPECT_EQ(r.families[0].id, "F1");
  EXPECT_EQ(r.families[1].id, "F3");
  EXPECT_EQ(r.families[0].persons, 3);
  EXPECT_EQ(r.families[0].affected, 2);
  EXPECT_EQ(r.families[0].probands, 1);
  EXPECT_NEAR(r.families[0].mendelian, s(m) + 0.5 * effect(m), 1e-12);
  EXPECT_NEAR(r.families[0].sporadic, s(sp), 1e-12);
  EXPECT_NEAR(*r.families[0].log10_ratio, (s(m) + 0.5 * effect(m) - s(sp)) / std::log(10.0), 1e-12);
  EXPECT_NEAR(*r.families[1].log10_ratio, -0.1 * effect(m) / std::log(10.0), 1e-12);
  EXPECT_GT(*r.families[0].log10_ratio, 0);
  EXPECT_LT(*r.families[1].log10_ratio, 0);

  ASSERT_EQ(r.carriers.size(), 6u);  // F2 is not analysed
  const double q = m.q;
  EXPECT_EQ(r.carriers[3].pedigree, "F3");
  EXPECT_EQ(r.carriers[3].id, "a");
  for (const auto& c : r.carriers) {
    EXPECT_NEAR(c.genotype[0], q * q, 1e-15);
    EXPECT_NEAR(c.carrier, 1 - (1 - q) * (1 - q), 1e-12);
  }
}

TEST(Battery, RankingPutsRefusedFamiliesLastWithoutNaN) {
  kinseg::Sample sample;
  sample.pedigree_ids = {"A", "B", "C", "D"};
  sample.start = {0, 1, 2, 3, 4};
  sample.ids = {"1", "1", "1", "1"};
  sample.father = sample.mother = {-1, -1, -1, -1};
  sample.sex = {1, 1, 1, 1};
  sample.trait = {2, 2, 2, 2};
  sample.proband = {1, 1, 1, 1};
  const double inf = std::numeric_limits<double>::infinity();
  const auto r = kinseg::rank_families(sample, {0, 1, 2, 3}, {-inf, -1.0, -inf, -2.0}, {-inf, -2.0, -1.0, -inf});
  std::vector<std::string> order;
  for (const auto& f : r) order.push_back(f.id);
  EXPECT_EQ(order, (std::vector<std::string>{"D", "B", "C", "A"}));
  EXPECT_EQ(*r[0].log10_ratio, inf);
  EXPECT_EQ(*r[2].log10_ratio, -inf);
  EXPECT_FALSE(r[3].log10_ratio.has_value());
}

}  // namespace
