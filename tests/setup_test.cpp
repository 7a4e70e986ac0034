// The parameter set-up: links, bounds, constraints, repairs and messages of
// the checking variant, rejections of the silent one, derived quantities.
#include <gtest/gtest.h>

#include <memory>

#include "fit/setup.hpp"

namespace {

using kinfit::DELTA;
using kinfit::KinfitState;
using kinfit::R_REJECT;

// Q, W1..W3 estimated within wide bounds, every other slot fixed at 0; the Tr
// terms off.
std::unique_ptr<KinfitState> model(kin::StringUnit* err) {
  auto s = std::make_unique<KinfitState>();
  s->NPAR() = 20;
  for (int i = 1; i <= 20; ++i) {
    s->LINK(i) = i;
    s->IUSE(i) = 1;
    s->GL(i) = -10.0;
    s->GR(i) = 10.0;
  }
  s->IUSE(8) = 0;
  s->GL(1) = 0.0, s->GR(1) = 1.0;
  s->X(1) = 0.3, s->X(2) = -1.0, s->X(3) = 0.0, s->X(4) = 1.0;
  for (int i = 1; i <= 4; ++i) s->IEST(i) = 1;
  s->PAR_ERR = err;
  return s;
}

TEST(Setup, AcceptedPointGivesTheModelQuantities) {
  kin::StringUnit err;
  auto s = model(&err);
  s->X(11) = 0.25, s->X(18) = -0.5, s->X(19) = 0.7, s->X(20) = -0.2;
  s->X(5) = 0.5, s->X(6) = 1.0, s->X(7) = 2.0;
  s->IUSE(5) = 0;
  for (auto stap : {kinfit::STAP0, kinfit::STAPAR}) {
    double fstat = 0;
    stap(*s, fstat);
    EXPECT_EQ(fstat, 1.0);
    EXPECT_EQ(s->PRPAR.P1, 0.3 * 0.3);
    EXPECT_EQ(s->PRPAR.P2, ((1 - 0.3) + (1 - 0.3)) * 0.3);
    EXPECT_EQ(s->PRPAR.P3, 1 - (s->PRPAR.P1 + s->PRPAR.P2));
    EXPECT_EQ(s->PRPAR.W(1), -1.0);
    EXPECT_EQ(s->PRPAR.WV(3), 1.0);  // V terms off: WV = W whatever V holds
    EXPECT_EQ(s->PRPAR.D(1), 0.25);
    EXPECT_EQ(s->PRPAR.D(8), -0.5);
    EXPECT_EQ(s->PRPAR.RO(1), 0.7);
    EXPECT_EQ(s->PRPAR.RO(2), -0.2);
  }
  s->IUSE(5) = 1;
  double fstat = 0;
  kinfit::STAPAR(*s, fstat);
  EXPECT_EQ(s->PRPAR.WV(1), -0.5);
  EXPECT_EQ(s->PRPAR.WV(2), 1.0);
  EXPECT_EQ(s->PRPAR.WV(3), 3.0);
  EXPECT_EQ(err.text, "");
}

TEST(Setup, CheckingVariantMessagesOnParErr) {
  struct Case {
    const char* what;
    void (*edit)(KinfitState&);
    const char* message;
  } cases[] = {
      {"below the lower bound", [](KinfitState& s) { s.X(1) = -0.1; },
       " ERROR OF INITIAL PARAMETER VALUE:\n        Q  =-0.1000E+00\n   GL= 0.0000E+00 GR= 0.1000E+01\n"},
      {"above the upper bound (lowest index first)",
       [](KinfitState& s) { s.X(8) = 1.5, s.IEST(8) = 1, s.GL(8) = 0, s.GR(8) = 1, s.X(9) = 70, s.IEST(9) = 1; },
       " ERROR OF INITIAL PARAMETER VALUE:\n        Tr1= 0.1500E+01\n   GL= 0.0000E+00 GR= 0.1000E+01\n"},
      {"W1 above W3", [](KinfitState& s) { s.X(2) = 2.0; },
       " ERROR W1 >= W3: W1= 0.2000E+01 W3= 0.1000E+01\n"},
      {"no room for the third genotype", [](KinfitState& s) { s.X(1) = 1.0, s.IEST(1) = 0; },
       " ERROR: P1= 0.1000E+01\n"},
  };
  for (const Case& c : cases) {
    kin::StringUnit err;
    auto s = model(&err);
    c.edit(*s);
    double fstat = 0;
    kinfit::STAP0(*s, fstat);
    EXPECT_EQ(fstat, R_REJECT) << c.what;
    EXPECT_EQ(err.text, c.message) << c.what;
    // The silent variant refuses the same points and writes nothing.
    kin::StringUnit err2;
    s->PAR_ERR = &err2;
    kinfit::STAPAR(*s, fstat);
    EXPECT_EQ(fstat, R_REJECT) << c.what;
    EXPECT_EQ(err2.text, "") << c.what;
  }
}

TEST(Setup, CheckingVariantRepairsStartValuesOnABound) {
  kin::StringUnit err;
  auto s = model(&err);
  s->X(2) = -10.0;  // on GL, estimated
  s->X(4) = 10.0;   // on GR, estimated
  s->X(3) = 10.0, s->IEST(3) = 2;  // on GR, but IEST is not 1: left on the bound
  s->X(5) = 20.0;                  // fixed: never compared with its bounds
  double fstat = 0;
  kinfit::STAP0(*s, fstat);
  EXPECT_EQ(fstat, 1.0);
  EXPECT_EQ(s->X(2), -10.0 + DELTA);
  EXPECT_EQ(s->X(4), 10.0 - DELTA);
  EXPECT_EQ(s->X(3), 10.0);
  EXPECT_EQ(s->X(5), 20.0);
  EXPECT_EQ(err.text, "");
  // The silent variant refuses a value on a bound instead of moving it.
  s->X(2) = -10.0;
  kinfit::STAPAR(*s, fstat);
  EXPECT_EQ(fstat, R_REJECT);
  EXPECT_EQ(s->X(2), -10.0);
}

TEST(Setup, AlleleFrequencyOfOneIsLoweredUnderFreeTransmission) {
  kin::StringUnit err;
  auto s = model(&err);
  s->X(1) = 1.0;
  s->IEST(1) = 0;
  s->IUSE(8) = 1;
  s->X(8) = 1.0, s->X(9) = 0.5, s->X(10) = 0.0;
  double fstat = 0;
  kinfit::STAP0(*s, fstat);
  EXPECT_EQ(fstat, 1.0);
  EXPECT_EQ(s->X(1), 1.0 - DELTA);
  EXPECT_GT(s->PRPAR.P3, 0.0);
  EXPECT_EQ(err.text, "");
}

TEST(Setup, FrequencyBoundsDifferBetweenTheVariants) {
  kin::StringUnit err;
  auto s = model(&err);
  s->X(1) = 0.0;  // P3 = 1
  s->IEST(1) = 0;
  double fstat = 0;
  kinfit::STAP0(*s, fstat);
  EXPECT_EQ(fstat, 1.0);
  EXPECT_EQ(s->PRPAR.P1, 0.0);
  EXPECT_EQ(s->PRPAR.P3, 1.0);
  kinfit::STAPAR(*s, fstat);
  EXPECT_EQ(fstat, R_REJECT);
  // W1 = W3 is accepted by both.
  s->X(1) = 0.5;
  s->X(2) = s->X(4) = 0.5;
  kinfit::STAPAR(*s, fstat);
  EXPECT_EQ(fstat, 1.0);
  kinfit::STAP0(*s, fstat);
  EXPECT_EQ(fstat, 1.0);
}

TEST(Setup, LinksCopyTheTargetAsItStandsAndClearTheEstimateFlag) {
  kin::StringUnit err;
  auto s = model(&err);
  s->X(5) = 1.0, s->X(6) = 2.0, s->X(7) = 3.0;
  s->LINK(5) = 6;   // takes X(6) as it stands: 2
  s->LINK(6) = 7;   // then X(6) = X(7) = 3; the chain is not followed for 5
  s->IEST(6) = 1;
  s->X(3) = -100.0;  // W2 tied to W1: its own value and bounds do not count
  s->LINK(3) = 2;
  s->IEST(3) = 1;
  double fstat = 0;
  kinfit::STAPAR(*s, fstat);
  EXPECT_EQ(fstat, 1.0);
  EXPECT_EQ(s->X(5), 2.0);
  EXPECT_EQ(s->X(6), 3.0);
  EXPECT_EQ(s->X(3), -1.0);
  EXPECT_EQ(s->IEST(3), 0);
  EXPECT_EQ(s->IEST(6), 0);
}

TEST(Setup, TransmissionTable) {
  kin::StringUnit err;
  auto s = model(&err);
  s->X(8) = 0.9, s->X(9) = 0.4, s->X(10) = 0.1;
  double fstat = 0;
  kinfit::STAPAR(*s, fstat);  // Tr terms off: the Mendelian table stays
  for (int k = 0; k < 27; ++k) EXPECT_EQ(s->TRANC.a[k], kinfit::kMendelian.a[k]);
  EXPECT_EQ(s->TRANC(2, 2, 2), 0.5);
  EXPECT_EQ(s->TRANC(2, 1, 3), 1.0);

  s->IUSE(8) = 1;
  kinfit::STAPAR(*s, fstat);
  for (int j = 1; j <= 3; ++j)
    for (int k = 1; k <= 3; ++k) {
      const double tj = s->X(7 + j), tk = s->X(7 + k);
      EXPECT_EQ(s->TRANC(1, j, k), tk * tj);
      EXPECT_EQ(s->TRANC(2, j, k), tk * (1 - tj) + (1 - tk) * tj);
      EXPECT_EQ(s->TRANC(3, j, k), (1 - tk) * (1 - tj));
      EXPECT_NEAR(s->TRANC(1, j, k) + s->TRANC(2, j, k) + s->TRANC(3, j, k), 1.0, 1e-15);
    }
  // Tr = (1, 0.5, 0) gives the Mendelian table back.
  s->X(8) = 1.0, s->X(9) = 0.5, s->X(10) = 0.0;
  kinfit::STAPAR(*s, fstat);
  for (int k = 0; k < 27; ++k) EXPECT_EQ(s->TRANC.a[k], kinfit::kMendelian.a[k]);
}

TEST(Setup, ARefusedPointLeavesTheQuantitiesOfStepsNotReached) {
  kin::StringUnit err;
  auto s = model(&err);
  double fstat = 0;
  kinfit::STAPAR(*s, fstat);
  const double p1 = s->PRPAR.P1;
  s->X(1) = 0.6;
  s->X(11) = 0.5;
  s->X(2) = 5.0;  // W1 > W3: refused after the coefficients, before the frequencies
  kinfit::STAPAR(*s, fstat);
  EXPECT_EQ(fstat, R_REJECT);
  EXPECT_EQ(s->PRPAR.D(1), 0.5);
  EXPECT_EQ(s->PRPAR.P1, p1);
  EXPECT_EQ(s->PRPAR.W(1), -1.0);
}

TEST(Setup, Defaults) {
  auto s = std::make_unique<KinfitState>();
  s->NPAR() = 4;
  s->IUSE(1) = 0, s->X(1) = 0.4, s->IEST(1) = 1;   // absent term: starts at 0, still estimated
  s->IUSE(2) = 1, s->X(2) = 0.4, s->GL(2) = -1.0;  // GR 0 -> 1, STEP 0 -> (1 + 1) * 0.1f
  s->IUSE(3) = 1, s->X(3) = 0.4;                   // bounds 0 and 0
  s->IUSE(4) = 1, s->STEP(4) = -0.3, s->GL(4) = 2.0, s->GR(4) = 5.0;
  s->IUSE(5) = 0, s->X(5) = 9.0;                   // beyond NPAR: untouched
  kinfit::apply_defaults(*s);
  EXPECT_EQ(s->X(1), 0.0);
  EXPECT_EQ(s->IEST(1), 1);
  EXPECT_EQ(s->GR(2), 1.0);
  EXPECT_EQ(s->STEP(2), 0.20000000298023224);
  EXPECT_EQ(s->GR(3), 1.0);
  EXPECT_EQ(s->STEP(3), 0.10000000149011612);
  EXPECT_EQ(s->STEP(4), -0.3);
  EXPECT_EQ(s->GR(4), 5.0);
  EXPECT_EQ(s->X(5), 9.0);
}

}  // namespace
