// The battery on samples drawn by kinsim, whose truth is known, through the
// likelihood engine: 100 pedigrees of two generations (about 1,000 persons),
// drawn without ascertainment and analysed without correction, each with two
// seeds. The verdict must follow the truth:
// - a dominant major gene of strong effect: "major gene, Mendelian", dominant
//   best by AIC, its allele frequency near the truth, the families that most
//   support the gene richer in affected members, carriers among the affected;
// - no major gene: the sporadic model is not rejected;
// - types that are not transmitted (Tr1 = Tr2 = Tr3 = Q), with familial
//   aggregation through the parents' traits: Mendelian transmission is rejected
//   against general transmission;
// - types that are not transmitted and nothing else: every person's trait is
//   independent of the others', so nothing tells the types from no major gene:
//   the sporadic model is not rejected;
// - under the age-of-onset model, no major gene (everybody the same lifetime
//   risk and age at onset) with proband ascertainment: the sporadic model is
//   not rejected (bench/onset_verdicts.sh counts the rates).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/battery.hpp"
#include "analysis/engine_likelihood.hpp"
#include "engine/engine.hpp"
#include "analysis/sample_summary.hpp"
#include "tests/fit_samples.hpp"
#include "tools/kinseg_sample.hpp"
#include "tools/settings.hpp"
#include "tools/simulate.hpp"

namespace {

const char* kDesign =
    "families = 100\n"
    "generations = 2\n"
    "children = range 2 4\n"
    "marry = 0.5\n"
    "ascertainment = none\n";

// kinsim keeps W1 <= W3: its genotype 1 (two copies of its Q allele) is the
// one of lower risk. Q = 0.85 and W = -3, 1, 1 is, in the orientation of the
// fits, a dominant allele of frequency 0.15 raising the logit from -3 to 1.
const char* kDominant = "Q = 0.85\nW1 = -3\nW2 = 1\nW3 = 1\n";

struct Drawn {
  kinseg::Sample sample;
  kinseg::BatteryResult result;
};

Drawn run(const std::string& model_values, uint64_t seed) {
  const kinsim::Settings settings = kinsim::parse_settings(std::string(kDesign) + model_values, "scenario");
  kinsim::validate(settings);
  Drawn out;
  out.sample = kintest::simulated_sample(settings, seed);
  kinseg::EngineOptions eo;
  eo.ascertainment = kinseg::Ascertainment::kNone;
  eo.threads = 1;
  kinseg::Engine engine(out.sample, eo);
  kinseg::BatteryOptions o;
  o.fit.starts = 2;
  out.result =
      kinseg::run_battery(out.sample, kinseg::engine_sample_likelihood(engine), o);
  return out;
}

TEST(BatteryOnSamples, DominantMajorGene) {
  for (uint64_t seed : {1, 2}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const Drawn drawn = run(kDominant, seed);
    const kinseg::BatteryResult& r = drawn.result;
    EXPECT_TRUE(r.verdict.major_gene) << r.verdict.summary;
    EXPECT_EQ(r.best_mendelian_type, "dominant");
    EXPECT_EQ(r.selected_model, "mendelian:dominant");
    const kinseg::FitResult& fit = r.selected()->fit;
    EXPECT_NEAR(fit.point.q, 0.15, 0.06);
    EXPECT_NEAR(fit.point.w[0], 1.0, 0.8);
    EXPECT_NEAR(fit.point.w[2], -3.0, 0.8);

    // The ten families that support the gene most against the ten that support it least.
    ASSERT_GE(r.families.size(), 20u);
    auto affected_share = [&](size_t from, size_t to) {
      double a = 0, n = 0;
      for (size_t i = from; i < to; ++i) a += r.families[i].affected, n += r.families[i].persons;
      return a / n;
    };
    EXPECT_GT(*r.families.front().log10_ratio, 1.0);
    EXPECT_GT(affected_share(0, 10), affected_share(r.families.size() - 10, r.families.size()));

    // Every person has carrier probabilities; the affected carry the allele far more often.
    EXPECT_EQ(static_cast<int>(r.carriers.size()), drawn.sample.persons());
    double carriers[2] = {0, 0};
    int n[2] = {0, 0};
    for (const auto& c : r.carriers) {
      EXPECT_NEAR(c.genotype[0] + c.genotype[1] + c.genotype[2], 1.0, 1e-9);
      const int trait = drawn.sample.trait[c.person];
      if (trait == kinseg::kAffected || trait == kinseg::kUnaffected) {
        const int i = trait == kinseg::kAffected ? 0 : 1;
        carriers[i] += c.carrier;
        ++n[i];
      }
    }
    EXPECT_GT(carriers[0] / n[0], 0.7);
    EXPECT_LT(carriers[1] / n[1], 0.2);
  }
}

TEST(BatteryOnSamples, VerdictsWithoutAMendelianMajorGene) {
  struct Case {
    const char* what;
    std::string values;
    int criterion;  // the criterion that must fail: 0 sporadic vs Mendelian, 2 Mendelian vs general
  };
  const Case cases[] = {
      {"no major gene", "Q = 0.85\nW1 = -1\nW2 = -1\nW3 = -1\n", 0},
      {"types not transmitted, aggregation through the parents' traits",
       std::string(kDominant) + "Tr1 = 0.85\nTr2 = 0.85\nTr3 = 0.85\nRo2 = 2\n", 2},
      {"types not transmitted", std::string(kDominant) + "Tr1 = 0.85\nTr2 = 0.85\nTr3 = 0.85\n", 0},
  };
  for (const Case& c : cases)
    for (uint64_t seed : {1, 2}) {
      SCOPED_TRACE(std::string(c.what) + ", seed " + std::to_string(seed));
      const kinseg::BatteryResult r = run(c.values, seed).result;
      EXPECT_FALSE(r.verdict.major_gene) << r.verdict.summary;
      ASSERT_EQ(r.criteria.size(), 3u);
      EXPECT_FALSE(r.criteria[c.criterion].holds) << r.criteria[c.criterion].text;
      if (c.criterion == 2) {
        EXPECT_TRUE(r.criteria[0].holds) << r.criteria[0].text;
        EXPECT_EQ(r.verdict.summary.rfind("familial aggregation not explained by", 0), 0u) << r.verdict.summary;
      } else {
        EXPECT_EQ(r.verdict.summary.rfind("no evidence for a major gene", 0), 0u) << r.verdict.summary;
      }
    }
}

// Ages at onset, single ascertainment (each affected member a proband with
// probability 0.05), analysed with the proband correction; one seed.
TEST(BatteryOnSamples, AgeOfOnsetWithoutAMajorGene) {
  const kinsim::Settings settings = kinsim::parse_settings(
      "families = 100\ngenerations = 2\nchildren = range 2 5\nmarry = 0.6\nascertainment = single 0.05\n"
      "limits = none\nQ = 0.9\nW1 = -2.2\nW2 = -2.2\nW3 = -2.2\nonset = 60 60 60 5\n",
      "scenario");
  kinsim::validate(settings);
  const kinseg::Sample sample = kinsim::kinseg_sample(settings, kinsim::draw_sample(settings, 1));
  kinseg::EngineOptions eo;
  eo.ascertainment = kinseg::Ascertainment::kProband;
  eo.threads = 1;
  kinseg::Engine engine(sample, eo);
  const kinseg::SampleSummary summary = kinseg::summarize(sample);
  ASSERT_TRUE(summary.onset.present);
  kinseg::BatteryOptions o;
  o.fit.starts = 2;
  o.model.onset.on = true;
  o.model.onset.youngest = summary.onset.youngest;
  o.model.onset.oldest = summary.onset.oldest;
  o.model.onset.mean_start = summary.onset.mean;
  o.model.onset.spread_start = summary.onset.spread;
  const kinseg::BatteryResult r = kinseg::run_battery(sample, kinseg::engine_sample_likelihood(engine), o);
  EXPECT_FALSE(r.verdict.major_gene) << r.verdict.summary;
  ASSERT_EQ(r.criteria.size(), 3u);
  EXPECT_FALSE(r.criteria[0].holds) << r.criteria[0].text;
  // The sporadic fit's age at onset is the truth's.
  ASSERT_EQ(r.models.front().name, "sporadic");
  const kinseg::Point& sporadic = r.models.front().fit.point;
  EXPECT_NEAR(sporadic.m[0], 60.0, 3.0);
  EXPECT_NEAR(sporadic.s[0], 5.0, 1.5);
}

}  // namespace
