// The engine against kinfit, bit for bit: random samples within kinfit's
// limits (pedigrees without loops, members in no nuclear family, all proband
// codes, covariates, sex effects, free or Mendelian transmission), loaded into
// kinfit's state and built as a kinseg sample with the same nuclear families,
// evaluated at the same random point under modes 0 and 1. Every family's
// contribution equals kinfit's GENMMP for that family alone, and the totals
// agree, exactly.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "engine/engine.hpp"
#include "fit/blocks.hpp"
#include "fit/family_scan.hpp"
#include "fit/likelihood.hpp"
#include "tests/support/kinfit_families.hpp"
#include "tests/test_util.hpp"

namespace {

using kinseg::Ascertainment;

// kinfit's sample log-likelihood over the families whose LUK is set.
double genmmp(kinfit::KinfitState& s) {
  double flh = 0.0;
  kinfit::GENMMP(s, flh);
  return flh;
}

TEST(EngineAgainstKinfit, ContributionsBitForBit) {
  std::mt19937 rng(20261210);
  int compared = 0;
  for (int trial = 0; trial < 300; ++trial) {
    const int ncov = static_cast<int>(rng() % 4);
    const int nfam = 1 + static_cast<int>(rng() % 6);
    std::vector<kintest::Family> fams;
    for (int F = 0; F < nfam; ++F)
      fams.push_back(kintest::random_family(rng, ncov, 3 + static_cast<int>(rng() % 30),
                                            static_cast<int>(rng() % 3)));
    const kintest::Params params = kintest::random_params(rng, ncov);
    const int mode = static_cast<int>(rng() % 2);

    auto s = kintest::make_state(fams, ncov, params);
    s->ASCERT.MODE = mode;
    s->NFAMP = nfam;
    kintest::TestConsole tc;
    kinfit::scan_families(*s, tc.con);

    kinseg::EngineOptions opt;
    opt.ascertainment = mode == 1 ? Ascertainment::kProband : Ascertainment::kNone;
    opt.threads = 1 + trial % 2;
    const kinseg::Sample sample = kintest::sample_of(fams, ncov);
    kinseg::Engine engine(sample, kintest::structures_of(fams), opt);
    const double total = engine.evaluate(kintest::point_of(params, ncov));

    // The same families are analysed.
    std::vector<int> analysed;
    for (int F = 1; F <= nfam; ++F)
      if (s->LUK(F) != 0 && s->NG(F) != 0.0) analysed.push_back(F - 1);
    ASSERT_EQ(engine.families(), static_cast<int>(analysed.size())) << "trial " << trial;
    for (int i = 0; i < engine.families(); ++i) ASSERT_EQ(engine.pedigree(i), analysed[i]);

    // Family by family: kinfit with only that family switched on.
    std::vector<int32_t> luk(static_cast<size_t>(nfam));
    for (int F = 1; F <= nfam; ++F) luk[static_cast<size_t>(F - 1)] = s->LUK(F);
    bool any_refused = false;
    for (int i = 0; i < engine.families(); ++i) {
      const int F = engine.pedigree(i) + 1;
      for (int G = 1; G <= nfam; ++G) s->LUK(G) = G == F ? luk[static_cast<size_t>(G - 1)] : 0;
      const double want = genmmp(*s);
      const kinseg::FamilyLikelihood& got = engine.results()[static_cast<size_t>(i)];
      if (want == kinfit::R_REJECT) {
        EXPECT_TRUE(got.refused) << "trial " << trial << " family " << F;
        any_refused = true;
        continue;
      }
      EXPECT_FALSE(got.refused);
      EXPECT_EQ(got.contribution, want) << "trial " << trial << " family " << F;
      EXPECT_EQ(got.contribution, got.lnl_all - got.lnl_cond);
      ++compared;
    }
    for (int F = 1; F <= nfam; ++F) s->LUK(F) = luk[static_cast<size_t>(F - 1)];
    if (any_refused)
      EXPECT_EQ(total, -INFINITY);
    else
      EXPECT_EQ(total, genmmp(*s)) << "trial " << trial;
  }
  EXPECT_GT(compared, 600);
}

}  // namespace
