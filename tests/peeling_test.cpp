// The family likelihood by peeling (MMPFAM), against worked values and against
// the sum over all genotype assignments.
#include <gtest/gtest.h>

#include <cmath>

#include "fit/reference/reference_likelihood.hpp"
#include "tests/support/kinfit_families.hpp"

namespace {

using kintest::Family;
using kintest::Member;
using kintest::Params;
using kintest::Way;

Member person(int trait, int sex = 1) {
  Member m;
  m.trait = trait;
  m.sex = sex;
  return m;
}

double peel(kinfit::KinfitState& s, int F) {
  kinfit::MASSIX(s, F);
  double lhf = 0.0;
  kinfit::MMPFAM(s, F, lhf);
  return lhf;
}

Family family(std::vector<int> traits, std::vector<Way> ways) {
  Family f;
  for (size_t i = 0; i < traits.size(); ++i) f.members.push_back(person(traits[i], i % 2 ? 2 : 1));
  f.ways = std::move(ways);
  return f;
}

TEST(Mmpfam, WorkedValues) {
  const Params p;  // Q 0.5, W (-1, 0, 1), RO (0.5, 1.0), Mendelian
  struct Case {
    const char* what;
    Family fam;
    Params p;
    double want;
  };
  Params flat;
  flat.w[0] = flat.w[1] = flat.w[2] = 0.0;
  flat.ro[0] = flat.ro[1] = 0.0;
  const Case cases[] = {
      {"one nuclear family", family({2, 1, 2}, {Way{{1, 2, 3}, 0}}), p, -1.6136726477},
      {"three generations", family({2, 1, 2, 1, 2, 1}, {Way{{1, 2, 3}, 3}, Way{{3, 4, 5, 6}, 0}}),
       p, -4.1195412267},
      {"all penetrances one half", family({2, 1, 1}, {Way{{1, 2, 3}, 0}}), flat, -2.0794415417},
  };
  for (const Case& c : cases) {
    auto s = kintest::make_state({c.fam}, 0, c.p);
    EXPECT_NEAR(peel(*s, 1), c.want, 1e-9) << c.what;
    EXPECT_NEAR(peel(*s, 1), kintest::brute_force_contribution(c.fam, c.p, 0), 1e-12) << c.what;
  }
}

// With every trait unknown each scale factor is 1 up to rounding, whichever
// way the peeling goes (onto a child, onto a mother with a second spouse).
TEST(Mmpfam, NothingObservedGivesZero) {
  Params p;
  p.free_transmission = true;
  p.tr[0] = 0.9;
  p.tr[1] = 0.4;
  p.tr[2] = 0.2;
  const Family f = family({3, 3, 3, 3, 3, 3, 3, 3},
                          {Way{{1, 2, 3}, 3}, Way{{3, 4, 5, 6}, 4}, Way{{7, 4, 8}, 0}});
  auto s = kintest::make_state({f}, 0, p);
  EXPECT_NEAR(peel(*s, 1), 0.0, 1e-15);
}

// Shapes of peeling: onto the father, onto the mother, onto an only child, a
// parent with two spouses, two unconnected groups; each equals the sum over all
// genotype assignments, also with free transmission.
TEST(Mmpfam, PeelingShapesEqualTheFullSum) {
  struct Case {
    const char* what;
    Family fam;
  };
  const Case cases[] = {
      {"onto the father, then his parents' way",
       family({2, 1, 2, 1, 2, 2, 1}, {Way{{3, 4, 5, 6}, 3}, Way{{1, 2, 3, 7}, 0}})},
      {"onto the mother",
       family({2, 1, 1, 2, 2, 1, 2}, {Way{{3, 4, 5, 6}, 4}, Way{{1, 2, 7, 4}, 0}})},
      {"onto an only child", family({1, 2, 2, 1, 2}, {Way{{1, 2, 3}, 3}, Way{{3, 4, 5}, 0}})},
      {"two spouses", family({2, 1, 2, 1, 2, 1, 2}, {Way{{1, 2, 3, 4}, 1}, Way{{1, 5, 6, 7}, 0}})},
      {"two groups", family({2, 1, 2, 1, 2, 1}, {Way{{1, 2, 3}, 0}, Way{{4, 5, 6}, 0}})},
      {"link child with siblings, mother of unknown trait",
       family({2, 3, 2, 1, 2, 1, 2, 1}, {Way{{1, 2, 3, 4, 5}, 3}, Way{{3, 6, 7, 8}, 0}})},
  };
  Params mendel;
  Params free;
  free.free_transmission = true;
  free.tr[0] = 0.8;
  free.tr[1] = 0.35;
  free.tr[2] = 0.1;
  free.q = 0.3;
  for (const Case& c : cases)
    for (const Params& p : {mendel, free}) {
      auto s = kintest::make_state({c.fam}, 0, p);
      EXPECT_NEAR(peel(*s, 1), kintest::brute_force_contribution(c.fam, p, 0), 1e-12)
          << c.what << (p.free_transmission ? ", free transmission" : "");
    }
}

// A way whose observed traits are impossible (an affected child whose
// penetrance is 0 for every genotype) has scale factor 0: no number comes out.
TEST(Mmpfam, VanishingScaleFactorIsNotANumber) {
  Params p;
  p.w[0] = p.w[1] = p.w[2] = -1000.0;
  auto s = kintest::make_state({family({1, 1, 2}, {Way{{1, 2, 3}, 0}})}, 0, p);
  EXPECT_TRUE(std::isnan(peel(*s, 1)));
}

}  // namespace
