// Penetrance of one person (FEN) and the genotype work table of a family
// (MASSIX).
#include <gtest/gtest.h>

#include <cmath>

#include "fit/reference/reference_likelihood.hpp"
#include "tests/support/kinfit_families.hpp"

namespace {

using kintest::Family;
using kintest::Member;
using kintest::Params;
using kintest::person;
using kintest::Way;

// A single nuclear family: affected father, unaffected mother, affected and
// unaffected child.
Family nuclear_family() {
  Family f;
  f.members = {person(2), person(1, 2, 2), person(2), person(1, 2, 2)};
  f.ways = {Way{{1, 2, 3, 4}, 0}};
  return f;
}

TEST(Fen, WorkedValues) {
  auto s = kintest::make_state({nuclear_family()}, 0, Params{});
  struct Case {
    int p, nU, nA;
    double y[3];
  };
  const Case cases[] = {
      {1, 0, 0, {0.2689414214, 0.5, 0.7310585786}},   // affected founder
      {3, 1, 1, {0.6224593312, 0.8175744762, 0.9241418200}},  // affected child
      {4, 1, 1, {0.3775406688, 0.1824255238, 0.0758581800}},  // unaffected child
  };
  for (const Case& c : cases)
    for (int g = 1; g <= 3; ++g)
      EXPECT_NEAR(kinfit::FEN(*s, c.p, g, c.nU, c.nA), c.y[g - 1], 1e-10)
          << "person " << c.p << " genotype " << g;
  // Genotype 2 of the founder has predictor 0: exactly one half.
  EXPECT_EQ(kinfit::FEN(*s, 1, 2, 0, 0), 0.5);
}

// Which traits enter: unknown never; in the conditioning pass, codes 0 and 1
// under mode 1, code 0 under every other mode.
TEST(Fen, TraitsLeftOutOfAPass) {
  Family f;
  f.members = {person(2, 0), person(2, 1), person(2, 2), person(3, 0)};
  auto s = kintest::make_state({f}, 0, Params{});
  const double y1 = 0.2689414214;  // affected, genotype 1, no parents
  struct Case {
    int mode, icond;
    bool enters[4];
  };
  const Case cases[] = {
      {0, 0, {true, true, true, false}}, {1, 0, {true, true, true, false}},
      {0, 1, {true, false, false, false}}, {1, 1, {true, true, false, false}},
      {2, 1, {true, false, false, false}}, {-1, 1, {true, false, false, false}},
  };
  for (const Case& c : cases) {
    s->ASCERT.MODE = c.mode;
    s->ASCERT.ICOND = c.icond;
    for (int p = 1; p <= 4; ++p) {
      const double v = kinfit::FEN(*s, p, 1, 0, 0);
      if (c.enters[p - 1])
        EXPECT_NEAR(v, y1, 1e-10) << "mode " << c.mode << " pass " << c.icond << " person " << p;
      else
        EXPECT_EQ(v, 1.0) << "mode " << c.mode << " pass " << c.icond << " person " << p;
    }
  }
}

// The predictor: covariates, then the baseline of the person's sex, then the
// regressive terms on unaffected and affected parents.
TEST(Fen, PredictorTerms) {
  Family f;
  f.members = {person(2, 2, 1, {2, -1, 3}), person(2, 2, 2, {2, -1, 3}),
               person(1, 2, 2, {0, 0, 0})};
  Params p;
  p.d[0] = 0.25;
  p.d[1] = -0.5;
  p.d[2] = 0.125;
  p.sex_effects = true;
  p.v[0] = 0.3;
  p.v[1] = -0.2;
  p.v[2] = 0.1;
  auto s = kintest::make_state({f}, 3, p);
  auto logistic = [](double x) { return std::exp(x) / (std::exp(x) + 1); };
  const double cov = 2 * 0.25 + -1 * -0.5 + 3 * 0.125;
  for (int g = 1; g <= 3; ++g) {
    const double w = p.w[g - 1], v = p.v[g - 1];
    EXPECT_NEAR(kinfit::FEN(*s, 1, g, 0, 0), logistic(cov + w), 1e-14);
    EXPECT_NEAR(kinfit::FEN(*s, 2, g, 0, 0), logistic(cov + w + v), 1e-14);
    EXPECT_NEAR(kinfit::FEN(*s, 2, g, 2, 0), logistic(cov + w + v + 2 * 0.5), 1e-14);
    EXPECT_NEAR(kinfit::FEN(*s, 1, g, 1, 1), logistic(cov + w + 0.5 + 1.0), 1e-14);
    EXPECT_NEAR(kinfit::FEN(*s, 3, g, 0, 2), 1 - logistic(w + v + 2.0), 1e-14);
  }
  // Without the sex terms, sex code 2 uses the same baselines as sex code 1.
  s->IUSE(5) = 0;
  kintest::derive(*s);
  for (int g = 1; g <= 3; ++g) EXPECT_EQ(kinfit::FEN(*s, 2, g, 1, 1), kinfit::FEN(*s, 1, g, 1, 1));
}

// |x| below single-precision 1E-8 counts as 0; extreme predictors give 0 and 1,
// never a NaN.
TEST(Fen, TinyAndHugePredictors) {
  Family f;
  f.members = {person(2), person(1)};
  auto s = kintest::make_state({f}, 0, Params{});
  struct Case {
    double w;
    bool half;
  };
  const Case cases[] = {{0.0, true},     {5e-9, true},  {-9.99999993922528E-9, true},
                        {9.99999993922529E-9, false}, {1e-8, false}, {-2e-8, false}};
  for (const Case& c : cases) {
    s->PRPAR.W(2) = c.w;
    EXPECT_EQ(kinfit::FEN(*s, 1, 2, 0, 0) == 0.5, c.half) << c.w;
    EXPECT_EQ(kinfit::FEN(*s, 2, 2, 0, 0) == 0.5, c.half) << c.w;
  }
  s->PRPAR.W(1) = -1000.0;
  s->PRPAR.W(3) = 1000.0;
  EXPECT_EQ(kinfit::FEN(*s, 1, 1, 0, 0), 0.0);
  EXPECT_EQ(kinfit::FEN(*s, 2, 1, 0, 0), 1.0);
  EXPECT_EQ(kinfit::FEN(*s, 1, 3, 0, 0), 1.0);
  EXPECT_EQ(kinfit::FEN(*s, 2, 3, 0, 0), 0.0);
  s->PRPAR.W(3) = 1e308;
  EXPECT_EQ(kinfit::FEN(*s, 1, 3, 2, 2), 1.0);
}

// Members 1..8: 1, 2 founders of way (1, 2 | 3, 4); 3 also the father of way
// (3, 7 | 8), peeled first onto 3; 5 and 6 belong to no way; 7 a founder.
Family three_generations_with_strays() {
  Family f;
  f.members = {person(2, 1, 1, {1}), person(3, 2, 2, {-2}), person(2, 0, 1, {3}),
               person(3, 2, 2, {0}),  person(1, 2, 1, {4}),  person(3, 0, 2, {1}),
               person(1, 2, 2, {2}),  person(2, 2, 1, {-1})};
  f.ways = {Way{{3, 7, 8}, 3}, Way{{1, 2, 3, 4}, 0}};
  return f;
}

TEST(Massix, RowsOfChildrenFoundersAndStrays) {
  Params p;
  p.q = 0.3;
  p.d[0] = 0.2;
  auto s = kintest::make_state({three_generations_with_strays()}, 1, p);
  const double P[3] = {s->PRPAR.P1, s->PRPAR.P2, s->PRPAR.P3};
  for (int mode : {0, 1, 2})
    for (int icond : {0, 1}) {
      s->ASCERT.MODE = mode;
      s->ASCERT.ICOND = icond;
      kinfit::MASSIX(*s, 1);
      SCOPED_TRACE(testing::Message() << "mode " << mode << " pass " << icond);
      for (int g = 1; g <= 3; ++g) {
        const double pg = P[g - 1];
        // Founders and strays: frequency times penetrance without regressive terms.
        EXPECT_EQ(s->XX(1, g), kinfit::FEN(*s, 1, g, 0, 0) * pg);
        EXPECT_EQ(s->XX(2, g), pg);  // unknown trait
        EXPECT_EQ(s->XX(5, g), kinfit::FEN(*s, 5, g, 0, 0) * pg);
        EXPECT_EQ(s->XX(6, g), pg);
        EXPECT_EQ(s->XX(7, g), kinfit::FEN(*s, 7, g, 0, 0) * pg);
        // Children, with their parents' trait codes: 3 (parents affected and
        // unknown) keeps its child row although it is a parent too.
        EXPECT_EQ(s->XX(3, g), kinfit::FEN(*s, 3, g, 0, 1));
        EXPECT_EQ(s->XX(4, g), 1.0);  // unknown trait
        EXPECT_EQ(s->XX(8, g), kinfit::FEN(*s, 8, g, 1, 1));
      }
      const int idone[8] = {1, 1, 1, 1, 0, 0, 1, 1};
      for (int m = 1; m <= 8; ++m) EXPECT_EQ(s->IDONE(m), idone[m - 1]) << "member " << m;
    }
  // In the conditioning pass under mode 1, only codes 0 and 1 keep their
  // penetrance: the affected founder (code 1) does, the stray of code 2 does not.
  s->ASCERT.MODE = 1;
  s->ASCERT.ICOND = 1;
  kinfit::MASSIX(*s, 1);
  EXPECT_NE(s->XX(1, 1), P[0]);
  EXPECT_EQ(s->XX(5, 1), P[0]);
  EXPECT_EQ(s->XX(8, 1), 1.0);
}

// The row that MASSIX builds with the covariate sum taken once per person is
// bit for bit the row of three separate FEN calls, over many random persons,
// parameters and passes.
TEST(Massix, RowsEqualSeparateFenCallsBitForBit) {
  std::mt19937 rng(20241);
  for (int trial = 0; trial < 200; ++trial) {
    const int ncov = trial % 9;
    Family fam = kintest::random_family(rng, ncov, 14, 3);
    auto s = kintest::make_state({fam}, ncov, kintest::random_params(rng, ncov));
    const int n = static_cast<int>(fam.members.size());
    // Parents of each child, from the ways.
    std::vector<int> fa(static_cast<size_t>(n + 1)), mo(static_cast<size_t>(n + 1));
    for (const Way& w : fam.ways)
      for (size_t i = 2; i < w.members.size(); ++i) {
        fa[static_cast<size_t>(w.members[i])] = w.members[0];
        mo[static_cast<size_t>(w.members[i])] = w.members[1];
      }
    const double P[3] = {s->PRPAR.P1, s->PRPAR.P2, s->PRPAR.P3};
    for (int icond : {0, 1}) {
      s->ASCERT.MODE = trial % 3;
      s->ASCERT.ICOND = icond;
      kinfit::MASSIX(*s, 1);
      for (int m = 1; m <= n; ++m) {
        const size_t um = static_cast<size_t>(m);
        for (int g = 1; g <= 3; ++g) {
          double want;
          if (fa[um] != 0) {
            const int tf = s->TRAIT(fa[um]), th = s->TRAIT(mo[um]);
            want = s->TRAIT(m) == 3 ? 1.0
                                    : kinfit::FEN(*s, m, g, (tf == 1) + (th == 1), (tf == 2) + (th == 2));
          } else {
            want = s->TRAIT(m) == 3 ? P[g - 1] : kinfit::FEN(*s, m, g, 0, 0) * P[g - 1];
          }
          ASSERT_EQ(s->XX(m, g), want) << "trial " << trial << " member " << m << " genotype " << g;
        }
      }
    }
  }
}

}  // namespace
