// Pedigrees with loops, evaluated by loop breaking, against the brute-force
// sum over every genotype vector of their persons: a first-cousin marriage,
// double first cousins, a man with children by two sisters, an uncle-niece
// marriage, and two loops sharing a person (a man with children by three
// sisters); also a loop pedigree with a branch that the loop does not reach. Traits, proband codes, sexes (unknown ones too), covariates and
// points are drawn at random; both ascertainments. The genotype probabilities
// of every person, given all traits and given the conditioning set, and the
// persons' own penetrances are checked against the same sums. Also: the limit
// on loop breakers.
#include <gtest/gtest.h>

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

TEST(EngineLoops, AgainstBruteForce) {
  std::mt19937 rng(7);
  for (const LoopPedigree& lp : loop_pedigrees()) {
    for (int trial = 0; trial < 8; ++trial) {
      kinseg::Sample s = kintest::empty_sample(2);
      kintest::add_pedigree(s, "L" + std::to_string(trial), draw(lp.rows, rng));
      const Ascertainment a = trial % 2 == 0 ? Ascertainment::kProband : Ascertainment::kNone;
      kinseg::EngineOptions opt;
      opt.ascertainment = a;
      opt.threads = 1;
      kinseg::Engine engine(s, opt);
      ASSERT_EQ(engine.families(), 1) << lp.name;
      const kinseg::PedigreeStructure ps = kinseg::pedigree_structure(s, 0);
      ASSERT_EQ(ps.loops, lp.loops) << lp.name;
      EXPECT_EQ(engine.loop_breakers(0), static_cast<int>(ps.breakers.size()));

      const kinseg::Point pt = random_point(rng);
      engine.evaluate(pt);
      const kinseg::FamilyLikelihood& r = engine.results()[0];
      const kintest::BruteForce bf = kintest::brute_force(s, 0, pt, a);
      const std::string what = lp.name + ", trial " + std::to_string(trial);
      ASSERT_FALSE(r.refused) << what;
      EXPECT_NEAR(r.lnl_all, bf.lnl_all, 1e-11 * std::fabs(bf.lnl_all) + 1e-13) << what;
      EXPECT_NEAR(r.lnl_cond, bf.lnl_cond, 1e-11 * std::fabs(bf.lnl_cond) + 1e-13) << what;
      EXPECT_EQ(r.contribution, r.lnl_all - r.lnl_cond) << what;

      const kinseg::GenotypeProbabilities gp = engine.genotype_probabilities(pt);
      for (int p = 0; p < s.persons(); ++p) {
        ASSERT_TRUE(gp.known[p]) << what;
        for (int g = 0; g < 3; ++g) {
          const size_t i = 3 * static_cast<size_t>(p) + g;
          EXPECT_NEAR(gp.all[i], bf.post_all[i], 1e-11) << what << ", person " << p + 1;
          EXPECT_NEAR(gp.conditioning[i], bf.post_cond[i], 1e-11) << what << ", person " << p + 1;
          EXPECT_NEAR(gp.penetrance[i], bf.penetrance[i], 1e-14) << what << ", person " << p + 1;
        }
      }
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

TEST(EngineLoops, TooManyBreakersRefusedByName) {
  kinseg::Sample s = kintest::empty_sample(0);
  std::mt19937 rng(3);
  const auto peds = loop_pedigrees();
  kintest::add_pedigree(s, "cousins", draw(peds[0].rows, rng));
  kintest::add_pedigree(s, "double", draw(peds[1].rows, rng));
  kintest::add_pedigree(s, "sisters3", draw(peds[5].rows, rng));
  kinseg::EngineOptions opt;
  opt.max_loop_breakers = 1;
  try {
    kinseg::Engine engine(s, opt);
    FAIL() << "two loop breakers accepted under a limit of one";
  } catch (const kinseg::EngineRefusal& e) {
    const std::string msg = e.what();
    EXPECT_NE(msg.find("pedigree double: 2 loops to break, by 2 loop breakers, more than the limit of 1"),
              std::string::npos)
        << msg;
    EXPECT_NE(msg.find("pedigree sisters3:"), std::string::npos) << msg;
    EXPECT_EQ(msg.find("cousins"), std::string::npos) << msg;
  }
  opt.max_loop_breakers = 2;
  kinseg::Engine engine(s, opt);
  EXPECT_EQ(engine.families(), 3);
}

// Four founders whose remarriages close a loop (M with A, A with N, N with B,
// B with M): no member is both a child and a parent, so no duplication breaks
// it. The pedigree is refused by name, with the others.
TEST(EngineLoops, LoopWithoutBreakerRefusedByName) {
  kinseg::Sample s = kintest::empty_sample(0);
  std::mt19937 rng(4);
  kintest::add_pedigree(s, "cousins", draw(loop_pedigrees()[0].rows, rng));
  kintest::add_pedigree(s, "swap", draw({founder(1), founder(2), founder(1), founder(2), child(1, 2, 1),
                                         child(3, 2, 2), child(3, 4, 1), child(1, 4, 2)},
                                        rng));
  kintest::add_pedigree(s, "double", draw(loop_pedigrees()[1].rows, rng));
  kinseg::EngineOptions opt;
  opt.max_loop_breakers = 1;
  try {
    kinseg::Engine engine(s, opt);
    FAIL() << "a loop without breaker accepted";
  } catch (const kinseg::EngineRefusal& e) {
    const std::string msg = e.what();
    EXPECT_NE(msg.find("pedigree swap: its loops cannot be broken"), std::string::npos) << msg;
    EXPECT_NE(msg.find("pedigree double: 2 loops"), std::string::npos) << msg;
    EXPECT_EQ(e.over_limit, 1);
  }
}

}  // namespace
