// Pedigrees with loops, evaluated by summing their genotypes out, against the
// brute-force sum over every genotype vector of their persons, and against
// the loop breakers where a pedigree's loops can be broken: a first-cousin
// marriage, double first cousins, a man with children by two sisters, an
// uncle-niece marriage, exchange marriages between two families, a ring of
// remarriages that no breaker breaks, two loops sharing a person (a man with
// children by three sisters), and a small inbred pedigree whose loops share
// many persons; also a loop pedigree with a branch that the loop does not
// reach. Traits, proband codes, sexes (unknown ones too), covariates and points
// are drawn at random; both ascertainments. The genotype probabilities of every
// person, given all traits and given the conditioning set, and the persons'
// own penetrances are checked against the same sums. Also: the width limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "engine/engine.hpp"
#include "tests/support/brute_force.hpp"
#include "tests/support/kinfit_families.hpp"

namespace {

using kinseg::Ascertainment;
using kintest::Row;

struct LoopPedigree {
  std::string name;
  std::vector<Row> rows;  // parents and sexes; traits are drawn
  int loops;
};

Row founder(int sex) {
  Row r;
  r.sex = sex;
  return r;
}
Row child(int fa, int mo, int sex) {
  Row r;
  r.fa = fa;
  r.mo = mo;
  r.sex = sex;
  return r;
}

std::vector<LoopPedigree> loop_pedigrees() {
  return {
      {"first-cousin marriage",
       {founder(1), founder(2), child(1, 2, 1), child(1, 2, 2), founder(2), founder(1),
        child(3, 5, 1), child(6, 4, 2), child(7, 8, 1), child(7, 8, 2)},
       1},
      {"double first cousins",
       {founder(1), founder(2), founder(1), founder(2), child(1, 2, 1), child(1, 2, 1),
        child(3, 4, 2), child(3, 4, 2), child(5, 7, 1), child(6, 8, 2), child(9, 10, 0)},
       2},
      {"a man with children by two sisters",
       {founder(1), founder(2), child(1, 2, 2), child(1, 2, 2), founder(1), child(5, 3, 1),
        child(5, 4, 2), child(5, 3, 0)},
       1},
      {"uncle-niece marriage",
       {founder(1), founder(2), child(1, 2, 1), child(1, 2, 2), founder(1), child(5, 4, 2),
        child(3, 6, 1), child(3, 6, 2)},
       1},
      // The first-cousin marriage with a branch that the loop does not reach
      // (the wife of one cousin's father has a child by a second husband).
      {"first-cousin marriage and a half-sibling",
       {founder(1), founder(2), child(1, 2, 1), child(1, 2, 2), founder(2), founder(1),
        child(3, 5, 1), child(6, 4, 2), child(7, 8, 1), child(7, 8, 2), founder(1), child(11, 5, 2)},
       1},
      {"two loops sharing a person",
       {founder(1), founder(2), child(1, 2, 2), child(1, 2, 2), child(1, 2, 2), founder(1),
        child(6, 3, 1), child(6, 4, 2), child(6, 5, 1), founder(0)},
       2},
      // A brother and a sister of one family marry a sister and a brother of
      // another; two of their children marry in turn.
      {"exchange marriages between two families",
       {founder(1), founder(2), child(1, 2, 1), child(1, 2, 2), founder(1), founder(2), child(5, 6, 1),
        child(5, 6, 2), child(3, 8, 1), child(7, 4, 2), child(9, 10, 0)},
       2},
      // Four founders whose remarriages close a loop (M with A, A with N, N
      // with B, B with M): no member is both a child and a parent, so no
      // duplication breaks it.
      {"a ring of remarriages",
       {founder(1), founder(2), founder(1), founder(2), child(1, 2, 1), child(3, 2, 2), child(3, 4, 1),
        child(1, 4, 2)},
       1},
      // Brother-sister matings in two branches, whose children marry across.
      {"an inbred pedigree with loops sharing persons",
       {founder(1), founder(2), child(1, 2, 1), child(1, 2, 2), child(1, 2, 1), child(1, 2, 2),
        child(3, 4, 1), child(3, 4, 2), child(5, 6, 1), child(5, 6, 2), child(7, 10, 1), child(9, 8, 2),
        child(11, 12, 2)},
       5},
  };
}

// Traits, proband codes and covariates drawn for the rows; at least one
// affected proband, so that proband ascertainment keeps the pedigree as it is.
std::vector<Row> draw(std::vector<Row> rows, std::mt19937& rng) {
  std::uniform_int_distribution<int> trait(1, 3), code(0, 5);
  std::uniform_real_distribution<double> cov(-1.5, 2.5);
  for (Row& r : rows) {
    r.trait = trait(rng);
    const int c = code(rng);
    r.prob = c == 0 ? 0 : c == 1 ? 1 : 2;
    r.cov = {cov(rng), std::floor(cov(rng))};
  }
  Row& p = rows[rows.size() - 2];
  p.trait = 2;
  p.prob = 1;
  return rows;
}

kinseg::Point random_point(std::mt19937& rng) {
  std::uniform_real_distribution<double> u(-1.5, 1.5), unit(0.0, 1.0);
  kinseg::Point pt;
  pt.q = std::uniform_real_distribution<double>(0.05, 0.95)(rng);
  for (int g = 0; g < 3; ++g) {
    pt.w[g] = u(rng);
    pt.v[g] = u(rng);
    pt.tau[g] = unit(rng);
  }
  pt.sex_effect = rng() % 2 == 0;
  pt.free_transmission = rng() % 2 == 0;
  pt.d = {0.3 * u(rng), 0.3 * u(rng)};
  pt.ro[0] = u(rng);
  pt.ro[1] = u(rng);
  return pt;
}

// |a - b| within rel times |b|, or times floor when |b| is smaller (a
// log-likelihood near 0, a small probability).
bool near(double a, double b, double rel, double floor) {
  return std::fabs(a - b) <= rel * std::max(std::fabs(b), floor);
}

TEST(EngineLoops, AgainstBruteForceAndLoopBreakers) {
  std::mt19937 rng(7);
  for (const LoopPedigree& lp : loop_pedigrees()) {
    // Fewer trials where the brute force is long.
    const int trials = lp.rows.size() > 11 ? 4 : 8;
    for (int trial = 0; trial < trials; ++trial) {
      kinseg::Sample s = kintest::empty_sample(2);
      kintest::add_pedigree(s, "L" + std::to_string(trial), draw(lp.rows, rng));
      const Ascertainment a = trial % 2 == 0 ? Ascertainment::kProband : Ascertainment::kNone;
      kinseg::EngineOptions opt;
      opt.ascertainment = a;
      opt.threads = 1;
      opt.loops = kinseg::LoopMethod::kElimination;
      kinseg::Engine engine(s, opt);
      ASSERT_EQ(engine.families(), 1) << lp.name;
      EXPECT_EQ(engine.cost(0).loops, lp.loops) << lp.name;
      EXPECT_EQ(engine.loop_breakers(0), 0) << lp.name;

      const kinseg::Point pt = random_point(rng);
      engine.evaluate(pt);
      const kinseg::FamilyLikelihood r = engine.results()[0];
      const kintest::BruteForce bf = kintest::brute_force(s, 0, pt, a);
      const std::string what = lp.name + ", trial " + std::to_string(trial);
      ASSERT_FALSE(r.refused) << what;
      EXPECT_PRED4(near, r.lnl_all, bf.lnl_all, 1e-12, 1.0) << what;
      EXPECT_PRED4(near, r.lnl_cond, bf.lnl_cond, 1e-12, 1.0) << what;
      EXPECT_EQ(r.contribution, r.lnl_all - r.lnl_cond) << what;

      const kinseg::GenotypeProbabilities gp = engine.genotype_probabilities(pt);
      for (int p = 0; p < s.persons(); ++p) {
        ASSERT_TRUE(gp.known[p]) << what;
        for (int g = 0; g < 3; ++g) {
          const size_t i = 3 * static_cast<size_t>(p) + g;
          EXPECT_PRED4(near, gp.all[i], bf.post_all[i], 1e-12, 1e-3) << what << ", person " << p + 1;
          EXPECT_PRED4(near, gp.conditioning[i], bf.post_cond[i], 1e-12, 1e-3) << what << ", person " << p + 1;
          EXPECT_NEAR(gp.penetrance[i], bf.penetrance[i], 1e-14) << what << ", person " << p + 1;
        }
      }
      EXPECT_EQ(engine.results()[0].lnl_all, r.lnl_all) << what;

      // The loop breakers, where the loops can be broken, give the same.
      opt.loops = kinseg::LoopMethod::kBreakers;
      if (lp.name == "a ring of remarriages") {
        EXPECT_THROW(kinseg::Engine(s, opt), kinseg::EngineRefusal);
        continue;
      }
      kinseg::Engine breakers(s, opt);
      EXPECT_GT(breakers.loop_breakers(0), 0) << what;
      breakers.evaluate(pt);
      EXPECT_PRED4(near, breakers.results()[0].lnl_all, r.lnl_all, 1e-12, 1.0) << what;
      EXPECT_PRED4(near, breakers.results()[0].lnl_cond, r.lnl_cond, 1e-12, 1.0) << what;
    }
  }
}

// The age-of-onset penetrance through loops, trees and unattached members:
// ages drawn for every known trait, points with a mean and spread of onset per
// genotype; both ascertainments (the probands' ages enter the conditioning
// pass), with the distributions computed person by person and tabled by
// distinct age. The same sample evaluated without the onset terms gives the
// binary model's numbers bit for bit, ages or not.
TEST(EngineLoops, OnsetAgainstBruteForce) {
  std::mt19937 rng(21);
  std::vector<LoopPedigree> peds = loop_pedigrees();
  peds.push_back({"tree with unattached members",
                  {founder(1), founder(2), child(1, 2, 1), child(1, 2, 2), founder(2), child(3, 5, 0),
                   child(3, 5, 1), founder(1), founder(2)},
                  0});
  std::uniform_real_distribution<double> age(15.0, 95.0), mean(35.0, 75.0), spread(2.0, 15.0);
  for (const LoopPedigree& lp : peds) {
    for (int trial = 0; trial < 6; ++trial) {
      std::vector<Row> rows = draw(lp.rows, rng);
      for (Row& r : rows) r.age = r.trait == 3 ? NAN : std::round(age(rng));
      kinseg::Sample s = kintest::empty_sample(2);
      kintest::add_pedigree(s, "A" + std::to_string(trial), rows);
      const Ascertainment a = trial % 2 == 0 ? Ascertainment::kProband : Ascertainment::kNone;
      kinseg::EngineOptions opt;
      opt.ascertainment = a;
      opt.threads = 1;
      kinseg::Engine engine(s, opt);
      kinseg::Point pt = random_point(rng);
      for (double& w : pt.w) w += 1.0;
      pt.onset = true;
      for (int g = 0; g < 3; ++g) {
        pt.m[g] = mean(rng);
        pt.s[g] = spread(rng);
      }
      const std::string what = lp.name + ", trial " + std::to_string(trial);
      engine.evaluate(pt);
      const kinseg::FamilyLikelihood r = engine.results()[0];
      const kintest::BruteForce bf = kintest::brute_force(s, 0, pt, a);
      ASSERT_FALSE(r.refused) << what;
      EXPECT_NEAR(r.lnl_all, bf.lnl_all, 1e-10 * std::fabs(bf.lnl_all)) << what;
      EXPECT_NEAR(r.lnl_cond, bf.lnl_cond, 1e-10 * std::fabs(bf.lnl_cond) + 1e-13) << what;
      const kinseg::GenotypeProbabilities gp = engine.genotype_probabilities(pt);
      for (size_t i = 0; i < gp.all.size(); ++i) {
        EXPECT_NEAR(gp.all[i], bf.post_all[i], 1e-10) << what << ", entry " << i;
        EXPECT_NEAR(gp.conditioning[i], bf.post_cond[i], 1e-10) << what << ", entry " << i;
        EXPECT_NEAR(gp.penetrance[i], bf.penetrance[i], 1e-12 * bf.penetrance[i]) << what << ", entry " << i;
      }

      // The same pedigree among three copies of itself: a sample with four
      // times as many persons as distinct ages, whose onset distributions the
      // engine tables once per point; the family's numbers are the same bit
      // for bit as those computed person by person.
      kinseg::Sample copies = s;
      for (int c = 1; c <= 3; ++c) kintest::add_pedigree(copies, "C" + std::to_string(c), rows);
      kinseg::Engine tabled(copies, opt);
      tabled.evaluate(pt);
      EXPECT_EQ(tabled.results()[0].lnl_all, r.lnl_all) << what;
      EXPECT_EQ(tabled.results()[0].lnl_cond, r.lnl_cond) << what;
      EXPECT_EQ(tabled.results()[3].lnl_all, r.lnl_all) << what;

      pt.onset = false;
      kinseg::Sample binary = s;
      binary.onset.clear();
      kinseg::Engine without_ages(binary, opt);
      EXPECT_EQ(engine.evaluate(pt), without_ages.evaluate(pt)) << what;
    }
  }
}

// Pedigrees without loops, with members in no nuclear family, through the
// structure the engine finds itself: the same brute force.
TEST(EngineLoops, TreesAndUnattachedAgainstBruteForce) {
  std::mt19937 rng(11);
  const std::vector<Row> rows = {founder(1), founder(2), child(1, 2, 1), child(1, 2, 2), founder(2),
                                 child(3, 5, 0), child(3, 5, 1), founder(1), founder(2)};
  for (int trial = 0; trial < 10; ++trial) {
    kinseg::Sample s = kintest::empty_sample(2);
    kintest::add_pedigree(s, "T", draw(rows, rng));
    const Ascertainment a = trial % 2 == 0 ? Ascertainment::kProband : Ascertainment::kNone;
    kinseg::EngineOptions opt;
    opt.ascertainment = a;
    kinseg::Engine engine(s, opt);
    const kinseg::Point pt = random_point(rng);
    engine.evaluate(pt);
    const kintest::BruteForce bf = kintest::brute_force(s, 0, pt, a);
    EXPECT_NEAR(engine.results()[0].lnl_all, bf.lnl_all, 1e-12);
    EXPECT_NEAR(engine.results()[0].lnl_cond, bf.lnl_cond, 1e-12);
    const kinseg::GenotypeProbabilities gp = engine.genotype_probabilities(pt);
    for (size_t i = 0; i < gp.all.size(); ++i) {
      EXPECT_NEAR(gp.all[i], bf.post_all[i], 1e-12) << "entry " << i;
      EXPECT_NEAR(gp.conditioning[i], bf.post_cond[i], 1e-12) << "entry " << i;
    }
  }
}

// A pedigree whose tables run over more persons than the limit is refused by
// name with its cost and the advice to split it; the others are not named.
TEST(EngineLoops, WiderThanTheLimitRefusedByName) {
  kinseg::Sample s = kintest::empty_sample(0);
  std::mt19937 rng(3);
  const auto peds = loop_pedigrees();
  kintest::add_pedigree(s, "cousins", draw(peds[0].rows, rng));
  kintest::add_pedigree(s, "inbred", draw(peds.back().rows, rng));
  const kinseg::EliminationCost cousins = kinseg::pedigree_cost(s, 0), inbred = kinseg::pedigree_cost(s, 1);
  EXPECT_EQ(cousins.loops, 1);
  EXPECT_EQ(inbred.loops, 5);
  ASSERT_LT(cousins.width, inbred.width);
  EXPECT_GT(inbred.bytes, cousins.bytes);
  EXPECT_GT(inbred.seconds, cousins.seconds);
  kinseg::EngineOptions opt;
  opt.max_width = inbred.width - 1;
  try {
    kinseg::Engine engine(s, opt);
    FAIL() << "a pedigree wider than the limit accepted";
  } catch (const kinseg::EngineRefusal& e) {
    const std::string msg = e.what();
    EXPECT_EQ(msg, "pedigree inbred: " + kinseg::elimination_cost_text(inbred) + ": wider than the limit of " +
                       std::to_string(inbred.width - 1) +
                       " persons; split the pedigree into smaller ones (cut it at distant ancestors or "
                       "marriages that join large branches) or raise --max-width");
    EXPECT_EQ(e.over_limit, 1);
  }
  opt.max_width = inbred.width;
  kinseg::Engine engine(s, opt);
  EXPECT_EQ(engine.families(), 2);
  EXPECT_EQ(engine.cost(1).width, inbred.width);
  EXPECT_EQ(kinseg::pedigree_cost(s, 0).width, engine.cost(0).width);
}

}  // namespace
