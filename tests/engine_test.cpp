// The engine's behaviour around the likelihood itself: results that do not
// depend on the number of threads, families that a point refuses, the family
// scan and its notes, and points it cannot read.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <stdexcept>
#include <vector>

#include "engine/engine.hpp"
#include "tests/support/kinfit_families.hpp"

namespace {

using kinseg::Ascertainment;
using kintest::Row;

Row founder(int sex, int trait = 3, int prob = 2) {
  Row r;
  r.sex = sex;
  r.trait = trait;
  r.prob = prob;
  return r;
}
Row child(int fa, int mo, int sex, int trait = 3, int prob = 2) {
  Row r = founder(sex, trait, prob);
  r.fa = fa;
  r.mo = mo;
  return r;
}

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Random pedigrees without loops and a few with loops: a first-cousin
// marriage and a man with children by three sisters.
kinseg::Sample mixed_sample(int pedigrees, std::mt19937& rng) {
  std::vector<kintest::Family> fams;
  for (int F = 0; F < pedigrees; ++F) fams.push_back(kintest::random_family(rng, 2, 40, 2));
  kinseg::Sample s = kintest::sample_of(fams, 2);
  std::uniform_int_distribution<int> trait(1, 3);
  for (int copy = 0; copy < 5; ++copy) {
    std::vector<Row> cousins = {founder(1), founder(2), child(1, 2, 1), child(1, 2, 2), founder(2),
                                founder(1), child(3, 5, 1), child(6, 4, 2), child(7, 8, 1, 2, 1),
                                child(7, 8, 2)};
    std::vector<Row> sisters = {founder(1), founder(2), child(1, 2, 2), child(1, 2, 2), child(1, 2, 2),
                                founder(1), child(6, 3, 1), child(6, 4, 2, 2, 1), child(6, 5, 1)};
    for (auto* rows : {&cousins, &sisters}) {
      for (Row& r : *rows) {
        if (r.prob != 1) r.trait = trait(rng);
        r.cov = {static_cast<double>(rng() % 3), 0.5 * static_cast<double>(rng() % 5)};
      }
      kintest::add_pedigree(s, "loop" + std::to_string(s.pedigrees()), *rows);
    }
  }
  return s;
}

TEST(EngineThreads, ResultsIndependentOfThreadCount) {
  std::mt19937 rng(99);
  const kinseg::Sample s = mixed_sample(150, rng);
  std::vector<kinseg::Point> points;
  for (int i = 0; i < 3; ++i) points.push_back(kintest::point_of(kintest::random_params(rng, 2), 2));

  kinseg::EngineOptions opt;
  opt.threads = 1;
  kinseg::Engine one(s, opt);
  ASSERT_GT(one.families(), 100);
  for (int threads : {2, 3, 8}) {
    opt.threads = threads;
    kinseg::Engine many(s, opt);
    EXPECT_EQ(many.threads(), threads);
    ASSERT_EQ(many.families(), one.families());
    // Each point twice, after the others, so that nothing carries over from
    // one evaluation to the next.
    for (int round = 0; round < 2; ++round)
      for (const kinseg::Point& pt : points) {
        const double t1 = one.evaluate(pt);
        const double tn = many.evaluate(pt);
        EXPECT_TRUE(same_bits(t1, tn)) << threads << " threads: " << t1 << " " << tn;
        EXPECT_TRUE(std::isfinite(t1));
        for (int f = 0; f < one.families(); ++f) {
          const auto& a = one.results()[f];
          const auto& b = many.results()[f];
          EXPECT_TRUE(same_bits(a.lnl_all, b.lnl_all) && same_bits(a.lnl_cond, b.lnl_cond) &&
                      same_bits(a.contribution, b.contribution))
              << threads << " threads, family " << f;
        }
      }
    const kinseg::GenotypeProbabilities g1 = one.genotype_probabilities(points[0]);
    const kinseg::GenotypeProbabilities gn = many.genotype_probabilities(points[0]);
    EXPECT_EQ(g1.known, gn.known);
    EXPECT_EQ(std::memcmp(g1.all.data(), gn.all.data(), sizeof(double) * g1.all.size()), 0);
    EXPECT_EQ(std::memcmp(g1.conditioning.data(), gn.conditioning.data(),
                          sizeof(double) * g1.conditioning.size()),
              0);
  }
}

// A point under which an unaffected person's trait has probability 0 (a
// baseline so high that the probability of being affected rounds to 1)
// refuses the families with such a person: a pedigree without loops, one with
// a loop, and one whose unaffected member belongs to no nuclear family. They
// get -inf, the total is -inf, and no value anywhere is NaN.
TEST(EngineRefusals, VanishingLikelihoodGivesMinusInfinity) {
  kinseg::Sample s = kintest::empty_sample(0);
  kintest::add_pedigree(s, "fine", {founder(1, 2, 1), founder(2, 2), child(1, 2, 1, 2)});
  kintest::add_pedigree(s, "tree", {founder(1, 2, 1), founder(2, 2), child(1, 2, 1, 1)});
  kintest::add_pedigree(s, "loop",
                        {founder(1, 2, 1), founder(2), child(1, 2, 1), child(1, 2, 2), founder(2),
                         founder(1), child(3, 5, 1), child(6, 4, 2), child(7, 8, 1, 1)});
  kintest::add_pedigree(s, "alone", {founder(1, 2, 1), founder(2, 2), child(1, 2, 1, 2), founder(1, 1)});
  kinseg::Point pt;
  pt.q = 0.3;
  pt.w[0] = pt.w[1] = pt.w[2] = 40.0;
  for (Ascertainment a : {Ascertainment::kNone, Ascertainment::kProband}) {
    kinseg::EngineOptions opt;
    opt.ascertainment = a;
    kinseg::Engine engine(s, opt);
    ASSERT_EQ(engine.families(), 4);
    EXPECT_EQ(engine.evaluate(pt), -INFINITY);
    const auto& r = engine.results();
    EXPECT_FALSE(r[0].refused);
    EXPECT_EQ(r[0].contribution, 0.0 + r[0].lnl_all - r[0].lnl_cond);
    for (int f = 1; f < 4; ++f) {
      EXPECT_TRUE(r[f].refused) << "family " << f;
      EXPECT_EQ(r[f].lnl_all, -INFINITY);
      EXPECT_EQ(r[f].lnl_cond, -INFINITY);
      EXPECT_EQ(r[f].contribution, -INFINITY);
    }
    const kinseg::GenotypeProbabilities gp = engine.genotype_probabilities(pt);
    for (int p = 0; p < s.persons(); ++p) {
      EXPECT_EQ(gp.known[p] != 0, p < 3) << "person " << p;
      for (int g = 0; g < 3; ++g) EXPECT_FALSE(std::isnan(gp.all[3 * p + g]));
    }
  }
}

// The family scan: which pedigrees are analysed and what the notes say; a
// pedigree without a proband is evaluated as if its first affected member
// were one.
TEST(EngineFamilyScan, AnalysedPedigreesAndNotes) {
  kinseg::Sample s = kintest::empty_sample(0);
  kintest::add_pedigree(s, "A", {founder(1, 1), founder(2, 2, 1), child(1, 2, 1, 2)});
  kintest::add_pedigree(s, "B", {founder(1, 2, 0), founder(2, 3), child(1, 2, 1, 3)});  // nothing informative
  kintest::add_pedigree(s, "C", {founder(1, 1), founder(2, 1), child(1, 2, 1, 2, 0)});  // affected only code 0
  kintest::add_pedigree(s, "D", {founder(1, 1), founder(2, 3), child(1, 2, 1, 2), child(1, 2, 2, 2)});
  kinseg::Sample explicit_proband = s;
  explicit_proband.proband[s.first(3) + 2] = kinseg::kProband;

  kinseg::Point pt;
  pt.q = 0.2;
  pt.w[0] = -1.0;
  pt.w[2] = 1.0;
  pt.ro[0] = 0.3;

  kinseg::EngineOptions opt;
  opt.ascertainment = Ascertainment::kProband;
  kinseg::Engine engine(s, opt);
  ASSERT_EQ(engine.families(), 2);
  EXPECT_EQ(engine.pedigree(0), 0);
  EXPECT_EQ(engine.pedigree(1), 3);
  ASSERT_EQ(engine.notes().size(), 3u);
  EXPECT_EQ(engine.notes()[0].text,
            "pedigree B: no member of known trait outside those always conditioned on (proband code "
            "0); not analysed");
  EXPECT_EQ(engine.notes()[1].text, "pedigree C: no affected member; excluded under proband ascertainment");
  EXPECT_EQ(engine.notes()[2].text, "pedigree D: no proband; its first affected member, 3, is taken as the proband");
  kinseg::Engine with_proband(explicit_proband, opt);
  engine.evaluate(pt);
  with_proband.evaluate(pt);
  EXPECT_EQ(engine.results()[1].contribution, with_proband.results()[1].contribution);

  opt.ascertainment = Ascertainment::kNone;
  kinseg::Engine none(s, opt);
  EXPECT_EQ(none.families(), 3);
  ASSERT_EQ(none.notes().size(), 1u);
  EXPECT_EQ(none.notes()[0].pedigree, 1);
}

TEST(EnginePoints, UnreadablePointsRefused) {
  kinseg::Sample s = kintest::empty_sample(1);
  kintest::add_pedigree(s, "A", {founder(1, 1), founder(2, 2, 1), child(1, 2, 1, 2)});
  kinseg::Engine engine(s, kinseg::EngineOptions{});
  kinseg::Point ok;
  ok.q = 0.5;
  ok.d = {0.1};
  EXPECT_NO_THROW(engine.evaluate(ok));
  struct Case {
    const char* what;
    void (*spoil)(kinseg::Point&);
  };
  const Case cases[] = {
      {"q above 1", [](kinseg::Point& p) { p.q = 1.5; }},
      {"q not a number", [](kinseg::Point& p) { p.q = NAN; }},
      {"tr2 below 0", [](kinseg::Point& p) {
         p.free_transmission = true;
         p.tau[1] = -0.1;
       }},
      {"w3 infinite", [](kinseg::Point& p) { p.w[2] = INFINITY; }},
      {"no covariate coefficient", [](kinseg::Point& p) { p.d.clear(); }},
  };
  for (const Case& c : cases) {
    kinseg::Point p = ok;
    c.spoil(p);
    EXPECT_THROW(engine.evaluate(p), std::invalid_argument) << c.what;
  }
}

}  // namespace
