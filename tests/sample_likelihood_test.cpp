// The ascertainment-corrected sample log-likelihood (GENMMP): worked
// contributions, skipped and refused families, the listing of the final
// evaluation, agreement with the sum over all genotype assignments, and
// bit-for-bit agreement with a plain transcription of the peeling formulas.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "common/text_file.hpp"
#include "fit/likelihood.hpp"
#include "fit/reference/reference_likelihood.hpp"
#include "fit/setup.hpp"
#include "tests/support/kinfit_families.hpp"
#include "tests/test_util.hpp"

namespace {

using kintest::Family;
using kintest::Member;
using kintest::Params;
using kintest::person;
using kintest::Way;

constexpr double R = -999999984306749440.0;

double evaluate(kinfit::KinfitState& s, int mode, int iphase = -1) {
  s.ASCERT.MODE = mode;
  s.MAX.IPHASE = iphase;
  double flh = 0.0;
  kinfit::GENMMP(s, flh);
  return flh;
}

// The worked family: affected father, unaffected mother, affected child.
Family worked_family(int child_prob) {
  Family f;
  f.members = {person(2), person(1, 2, 2), person(2, child_prob)};
  f.ways = {Way{{1, 2, 3}, 0}};
  return f;
}

TEST(Genmmp, WorkedContributions) {
  struct Case {
    int child_prob, mode;
    double want;
  };
  const Case cases[] = {
      {2, 0, -1.6136726477},  // one pass
      {0, 0, -1.3848096790},  // conditioned on the child's trait
      {1, 1, -1.3848096790},  // the same through the proband under mode 1
      {0, 2, -1.3848096790},  // any other mode: code 0 is the conditioning set
      {2, 1, -1.6136726477},  // empty conditioning set: its likelihood is 1
      {2, 2, -1.6136726477},
  };
  for (const Case& c : cases) {
    auto s = kintest::make_state({worked_family(c.child_prob)}, 0, Params{});
    EXPECT_NEAR(evaluate(*s, c.mode), c.want, 1e-9)
        << "child's code " << c.child_prob << ", mode " << c.mode;
  }
}

// One person of known trait, proband code 1: ln of sum P(g) y(g) under mode 0,
// nothing under mode 1 (the same trait in both passes).
TEST(Genmmp, SinglePerson) {
  Family f;
  f.members = {person(2, 1)};
  auto s = kintest::make_state({f}, 0, Params{});
  const double y[3] = {0.2689414213699951, 0.5, 0.7310585786300049};
  EXPECT_NEAR(evaluate(*s, 0), std::log(0.25 * y[0] + 0.5 * y[1] + 0.25 * y[2]), 1e-14);
  EXPECT_EQ(evaluate(*s, 1), 0.0);
}

TEST(Genmmp, RefusedPointWritesNothing) {
  auto s = kintest::make_state({worked_family(2)}, 0, Params{});
  kin::StringUnit lh, err;
  kintest::TestConsole tc;
  s->LH_FAM = &lh;
  s->PAR_ERR = &err;
  s->con = &tc.con;
  s->X(2) = 2.0;  // W1 > W3
  EXPECT_EQ(evaluate(*s, 0, 2), R);
  EXPECT_EQ(lh.text, "");
  EXPECT_EQ(tc.text(), "");
  EXPECT_NE(err.text, "");  // the checking set-up's message

  // The maximisation uses the silent set-up, which refuses a value on a bound
  // that the checking set-up moves inside.
  auto t = kintest::make_state({worked_family(2)}, 0, Params{});
  t->IEST(1) = 1;
  t->GL(1) = 0.5;
  t->GR(1) = 0.9;
  EXPECT_EQ(evaluate(*t, 0, 1), R);
  EXPECT_NEAR(evaluate(*t, 0, -1), -1.6136726477, 1e-5);
  EXPECT_EQ(t->X(1), 0.5 + kinfit::DELTA);
}

// A family with a member in no way whose trait has probability 0 (covariate
// -1000 with coefficient 1).
Family doomed_family() {
  Family f;
  f.members = {person(2, 2, 1, {0}), person(1, 2, 2, {0}), person(2, 2, 1, {0}),
               person(2, 2, 2, {-1000})};
  f.ways = {Way{{1, 2, 3}, 0}};
  return f;
}

Family worked_with_cov(int child_prob) {
  Family f = worked_family(child_prob);
  for (Member& m : f.members) m.cov = {0};
  return f;
}

TEST(Genmmp, SkippedFamiliesCountForNothing) {
  Params p;
  p.d[0] = 1.0;
  Family no_ni = doomed_family();
  for (Member& m : no_ni.members) m.prob = 0;  // nobody counts: NI = 0, NG = 0
  auto s = kintest::make_state({worked_with_cov(2), doomed_family(), no_ni, worked_with_cov(0)}, 1, p);
  s->LUK(2) = 0;
  ASSERT_EQ(s->NG(3), 0.0);
  kin::StringUnit lh;
  kintest::TestConsole tc;
  s->LH_FAM = &lh;
  s->con = &tc.con;
  EXPECT_NEAR(evaluate(*s, 0, 2), -1.6136726477 + -1.3848096790, 1e-9);
  const std::string lines =
      "   1  3.0-0.53789088E+00\n"
      "   4  2.0-0.69240484E+00\n";
  EXPECT_EQ(lh.text, lines);
  EXPECT_EQ(tc.text(), lines);
}

TEST(Genmmp, UnattachedFloorRefusesAndKeepsEarlierLines) {
  Params p;
  p.d[0] = 1.0;
  auto s = kintest::make_state({worked_with_cov(2), doomed_family(), worked_with_cov(2)}, 1, p);
  kin::StringUnit lh;
  kintest::TestConsole tc;
  s->LH_FAM = &lh;
  s->con = &tc.con;
  EXPECT_EQ(evaluate(*s, 0, 2), R);
  EXPECT_EQ(lh.text, "   1  3.0-0.53789088E+00\n");
  EXPECT_EQ(tc.text(), lh.text);
  // Only the floor refuses: a member in no way with a small but larger
  // probability counts.
  s->X(11) = 1e-3;
  EXPECT_LT(evaluate(*s, 0), -3.0);
}

// An impossible nuclear family (scale factor 0) refuses the point instead of
// handing a NaN or an infinity to the maximiser.
TEST(Genmmp, ImpossibleNuclearFamilyRefuses) {
  Params p;
  p.d[0] = 1.0;
  Family f = worked_with_cov(2);
  f.members[2].cov = {-1000};  // the affected child cannot be affected
  auto s = kintest::make_state({worked_with_cov(2), f}, 1, p);
  kin::StringUnit lh;
  s->LH_FAM = &lh;
  for (int mode : {0, 1}) EXPECT_EQ(evaluate(*s, mode, 2), R);
  // Every trait beyond the range of the exponential: still no NaN.
  auto t = kintest::make_state({worked_family(2)}, 0, Params{});
  t->X(2) = t->X(3) = t->X(4) = 1e300;
  EXPECT_EQ(evaluate(*t, 0), R);  // the unaffected mother cannot be unaffected
}

// Four members of known trait, each in no way, with trait probability y:
// contribution 4 ln y, listed divided by NI = 4.
TEST(Genmmp, ListingLine) {
  struct Case {
    double contribution;
    int ni;
    const char* line;
  };
  const Case cases[] = {
      {-10.0, 4, "   1  4.0-0.25000000E+01\n"},
      {-1.0, 4, "   1  4.0-0.25000000E+00\n"},
      {-1.5, 3, "   1  3.0-0.50000000E+00\n"},
  };
  for (const Case& c : cases) {
    Family f;
    for (int i = 0; i < c.ni; ++i) f.members.push_back(person(2));
    f.members.push_back(person(3));  // unknown trait: not counted in NI
    Params p;
    const double y = std::exp(c.contribution / c.ni);
    p.w[0] = p.w[1] = p.w[2] = std::log(y / (1 - y));
    auto s = kintest::make_state({f}, 0, p);
    kin::StringUnit lh;
    kintest::TestConsole tc;
    s->LH_FAM = &lh;
    s->con = &tc.con;
    EXPECT_NEAR(evaluate(*s, 0, 2), c.contribution, 1e-12);
    EXPECT_EQ(lh.text, c.line);
    EXPECT_EQ(tc.text(), c.line);
    // Outside the final evaluation nothing is listed.
    lh.text.clear();
    evaluate(*s, 0, -1);
    evaluate(*s, 0, 1);
    EXPECT_EQ(lh.text, "");
  }
}

// ---------------------------------------------------------------------------
// Against the sum over all genotype assignments.

// Family 1: three generations with covariates, both sexes, proband codes 0, 1
// and 2, and member 5 in no way. Family 2: a mother with two husbands, peeled
// onto her. Family 3: two persons in no way.
std::vector<Family> brute_force_sample() {
  Family a;
  a.members = {person(2, 2, 1, {1, 0}),  person(1, 2, 2, {0, 2}),  person(2, 1, 1, {-1, 1}),
               person(1, 0, 2, {2, 2}),  person(2, 2, 2, {3, -1}), person(3, 2, 2, {0, 0}),
               person(2, 0, 1, {1, 1}),  person(1, 2, 2, {-2, 0})};
  a.ways = {Way{{1, 2, 3, 4}, 3}, Way{{3, 6, 7, 8}, 0}};
  Family b;
  b.members = {person(1, 2, 1, {0, 1}), person(2, 1, 2, {1, 1}), person(2, 2, 1, {2, 0}),
               person(1, 2, 2, {0, 0}), person(2, 2, 1, {1, -1}), person(2, 2, 2, {3, 3})};
  b.ways = {Way{{1, 2, 3, 4}, 2}, Way{{5, 2, 6}, 0}};
  Family c;
  c.members = {person(2, 0, 1, {1, 2}), person(1, 2, 2, {-1, 0})};
  return {a, b, c};
}

Params brute_force_params() {
  Params p;
  p.q = 0.27;
  p.w[0] = -1.2;
  p.w[1] = 0.1;
  p.w[2] = 0.7;
  p.sex_effects = true;
  p.v[0] = 0.4;
  p.v[1] = -0.3;
  p.v[2] = 0.2;
  p.free_transmission = true;
  p.tr[0] = 0.85;
  p.tr[1] = 0.4;
  p.tr[2] = 0.15;
  p.d[0] = 0.3;
  p.d[1] = -0.25;
  p.ro[0] = -0.6;
  p.ro[1] = 0.9;
  return p;
}

TEST(Genmmp, EqualsTheFullSumInEveryMode) {
  const std::vector<Family> fams = brute_force_sample();
  const Params p = brute_force_params();
  for (int mode : {0, 1, 2}) {
    auto s = kintest::make_state(fams, 2, p);
    double want = 0.0;
    for (size_t f = 0; f < fams.size(); ++f) {
      const double one = kintest::brute_force_contribution(fams[f], p, mode);
      want += one;
      for (int g = 1; g <= 3; ++g) s->LUK(g) = g == static_cast<int>(f + 1);
      EXPECT_NEAR(evaluate(*s, mode), one, 1e-12) << "mode " << mode << ", family " << f + 1;
    }
    for (int g = 1; g <= 3; ++g) s->LUK(g) = 1;
    EXPECT_NEAR(evaluate(*s, mode), want, 1e-11) << "mode " << mode;
  }
}

TEST(Genmmp, RandomSmallPedigreesEqualTheFullSum) {
  std::mt19937 rng(7);
  for (int trial = 0; trial < 150; ++trial) {
    const int ncov = trial % 4;
    std::vector<Family> fams;
    for (int f = 0; f < 3; ++f) fams.push_back(kintest::random_family(rng, ncov, 9, 2));
    const Params p = kintest::random_params(rng, ncov);
    for (int mode : {0, 1, 2}) {
      auto s = kintest::make_state(fams, ncov, p);
      double want = 0.0;
      for (size_t f = 0; f < fams.size(); ++f)
        if (s->NG(static_cast<int>(f + 1)) != 0.0)
          want += kintest::brute_force_contribution(fams[f], p, mode);
      EXPECT_NEAR(evaluate(*s, mode), want, 1e-10 * (1 + std::fabs(want)))
          << "trial " << trial << ", mode " << mode;
    }
  }
}

// ---------------------------------------------------------------------------
// Bit for bit against a plain transcription: every member's row from separate
// FEN calls, the peeling sums with no term computed once for several
// genotypes, members in no way found by scanning the member lists.

void plain_massix(kinfit::KinfitState& s, int F) {
  const int o = s.BUF1(F + 1), n = s.BUF1(F + 2) - o;
  const double P[3] = {s.PRPAR.P1, s.PRPAR.P2, s.PRPAR.P3};
  std::vector<int> done(static_cast<size_t>(n + 1), 0);
  for (int m = 1; m <= n; ++m)
    for (int g = 1; g <= 3; ++g) s.XX(m, g) = 1.0;
  for (int w = s.BUF3(F + 1) + 1; w <= s.BUF3(F + 2); ++w) {
    const int b = s.BUF14(w + 1), e = s.BUF14(w + 2);
    if (e - b <= 2) continue;
    const int f = s.BUF16(b + 1), h = s.BUF16(b + 2);
    const int nU = (s.TRAIT(o + f) == 1) + (s.TRAIT(o + h) == 1);
    const int nA = (s.TRAIT(o + f) == 2) + (s.TRAIT(o + h) == 2);
    for (int i = b + 3; i <= e; ++i) {
      const int k = s.BUF16(i);
      done[static_cast<size_t>(k)] = 1;
      if (s.TRAIT(o + k) != 3)
        for (int g = 1; g <= 3; ++g) s.XX(k, g) = kinfit::FEN(s, o + k, g, nU, nA);
    }
  }
  auto founder = [&](int m) {
    for (int g = 1; g <= 3; ++g)
      s.XX(m, g) = s.TRAIT(o + m) == 3 ? P[g - 1] : kinfit::FEN(s, o + m, g, 0, 0) * P[g - 1];
  };
  for (int w = s.BUF3(F + 1) + 1; w <= s.BUF3(F + 2); ++w)
    for (int i = 1; i <= 2; ++i) {
      const int m = s.BUF16(s.BUF14(w + 1) + i);
      if (done[static_cast<size_t>(m)] != 1) {
        done[static_cast<size_t>(m)] = 1;
        founder(m);
      }
    }
  for (int m = 1; m <= n; ++m)
    if (done[static_cast<size_t>(m)] != 1) founder(m);
}

double plain_mmpfam(kinfit::KinfitState& s, int F) {
  double A = 0.0;
  for (int w = s.BUF3(F + 1) + 1; w <= s.BUF3(F + 2); ++w) {
    const int b = s.BUF14(w + 1), e = s.BUF14(w + 2);
    const int f = s.BUF16(b + 1), h = s.BUF16(b + 2);
    int k = s.BUF15(w);
    if (k == 0) k = f;
    auto child_sum = [&](int u, int j, int l) {
      return s.TRANC(1, j, l) * s.XX(u, 1) + s.TRANC(2, j, l) * s.XX(u, 2) +
             s.TRANC(3, j, l) * s.XX(u, 3);
    };
    if (k == f || k == h) {
      const int r = k == f ? h : f;
      for (int gk = 1; gk <= 3; ++gk) {
        double sum = 0.0;
        for (int gr = 1; gr <= 3; ++gr) {
          double prod = 1.0;
          for (int i = b + 3; i <= e; ++i) prod = prod * child_sum(s.BUF16(i), gk, gr);
          sum = sum + s.XX(r, gr) * prod;
        }
        s.XX(k, gk) = s.XX(k, gk) * sum;
      }
    } else {
      for (int gk = 1; gk <= 3; ++gk) {
        double sum = 0.0;
        for (int gf = 1; gf <= 3; ++gf)
          for (int gh = 1; gh <= 3; ++gh) {
            double prod = 1.0;
            for (int i = b + 4; i <= e; ++i) prod = prod * child_sum(s.BUF16(i), gf, gh);
            sum = sum + s.XX(f, gf) * s.XX(h, gh) * s.TRANC(gk, gf, gh) * prod;
          }
        s.XX(k, gk) = s.XX(k, gk) * sum;
      }
    }
    const double S = s.XX(k, 1) + s.XX(k, 2) + s.XX(k, 3);
    A = A + std::log(S);
    for (int g = 1; g <= 3; ++g) s.XX(k, g) = s.XX(k, g) * (1 / S);
  }
  return A;
}

double plain_genmmp(kinfit::KinfitState& s) {
  double fstat = 0.0;
  if (s.MAX.IPHASE == 1)
    kinfit::STAPAR(s, fstat);
  else
    kinfit::STAP0(s, fstat);
  if (fstat + 9.999999843067494E17 <= 0) return R;
  double flh = 0.0;
  for (int F = 1; F <= s.BUF1(1); ++F) {
    if (s.LUK(F) == 0 || s.NG(F) == 0.0) continue;
    const int o = s.BUF1(F + 1), n = s.BUF1(F + 2) - o;
    double acc = 0.0;
    s.ASCERT.ICOND = 0;
    for (;;) {
      plain_massix(s, F);
      int has0 = 0;
      for (int m = 1; m <= n; ++m) has0 = has0 || s.PROB(o + m) == 0;
      double lhf = s.BUF3(F + 2) > s.BUF3(F + 1) ? plain_mmpfam(s, F) : 0.0;
      for (int m = 1; m <= n; ++m) {
        bool listed = false;
        for (int i = s.BUF14(s.BUF3(F + 1) + 2) + 1; i <= s.BUF14(s.BUF3(F + 2) + 2); ++i)
          listed = listed || s.BUF16(i) == m;
        if (listed) continue;
        const double S = s.XX(m, 1) + s.XX(m, 2) + s.XX(m, 3);
        if (S <= 9.99999983775159E-18) return R;
        lhf = lhf + std::log(S);
      }
      if (s.ASCERT.ICOND == 0) {
        acc = acc + lhf;
        if (s.ASCERT.MODE != 0 || has0) {
          s.ASCERT.ICOND = 1;
          continue;
        }
      } else {
        acc = acc - lhf;
      }
      break;
    }
    flh = flh + acc;
  }
  return flh;
}

uint64_t bits(double x) {
  uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

TEST(Genmmp, BitForBitAsThePlainFormulas) {
  std::mt19937 rng(4711);
  for (int trial = 0; trial < 40; ++trial) {
    const int ncov = trial % 9;
    std::vector<Family> fams;
    for (int f = 0; f < 12; ++f) fams.push_back(kintest::random_family(rng, ncov, 40, 3));
    Params p = kintest::random_params(rng, ncov);
    // Every fourth trial: a transmission table that the set-up leaves alone
    // and that is not symmetric in the parents' genotypes.
    const bool own_table = trial % 4 == 3;
    if (own_table) p.free_transmission = false;
    kinfit::Tranc tranc = kinfit::kMendelian;
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (double& t : tranc.a) t = own_table ? u(rng) : t;
    for (int mode : {0, 1, 2}) {
      auto s = kintest::make_state(fams, ncov, p);
      auto t = kintest::make_state(fams, ncov, p);
      s->TRANC = t->TRANC = tranc;
      s->ASCERT.MODE = t->ASCERT.MODE = mode;
      const double got = evaluate(*s, mode);
      const double want = plain_genmmp(*t);
      ASSERT_TRUE(std::isfinite(want));
      EXPECT_EQ(bits(got), bits(want)) << "trial " << trial << ", mode " << mode << ": " << got
                                       << " vs " << want;
      // Family by family; and the work table and the peeling of each pass
      // as MASSIX and MMPFAM leave them.
      for (int F = 1; F <= 12; ++F) {
        for (int G = 1; G <= 12; ++G) s->LUK(G) = t->LUK(G) = G == F;
        const double one = evaluate(*s, mode);
        ASSERT_EQ(bits(one), bits(plain_genmmp(*t))) << "trial " << trial << ", family " << F;
        const int n = s->BUF1(F + 2) - s->BUF1(F + 1);
        for (int icond : {0, 1}) {
          s->ASCERT.ICOND = t->ASCERT.ICOND = icond;
          kinfit::MASSIX(*s, F);
          plain_massix(*t, F);
          double lhf = 0.0;
          if (s->BUF3(F + 2) > s->BUF3(F + 1)) {
            kinfit::MMPFAM(*s, F, lhf);
            ASSERT_EQ(bits(lhf), bits(plain_mmpfam(*t, F))) << "trial " << trial << ", family " << F;
          }
          for (int m = 1; m <= n; ++m)
            for (int g = 1; g <= 3; ++g) ASSERT_EQ(bits(s->XX(m, g)), bits(t->XX(m, g)));
        }
      }
    }
  }
}

}  // namespace
