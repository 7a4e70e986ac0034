// Tail probabilities of the likelihood-ratio reference distributions, against
// the closed forms P(chi2(1) >= x) = erfc(sqrt(x / 2)), P(chi2(2) >= x) =
// exp(-x / 2), P(chi2(3) >= x) = erfc(sqrt(x / 2)) + sqrt(2 x / pi) exp(-x / 2),
// and the familiar 5% critical values.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/chi_square_mixture.hpp"

namespace {

using kinseg::ChiSquareMixture;

double chi1(double x) { return std::erfc(std::sqrt(x / 2)); }
double chi2(double x) { return std::exp(-x / 2); }
double chi3(double x) { return std::erfc(std::sqrt(x / 2)) + std::sqrt(2 * x / M_PI) * std::exp(-x / 2); }

TEST(ChiSquareMixture, TailsMatchClosedForms) {
  for (double x : {0.01, 0.5, 1.0, 2.7, 3.841, 6.0, 12.5, 40.0}) {
    SCOPED_TRACE(x);
    EXPECT_NEAR(ChiSquareMixture::chi_square(1).tail(x), chi1(x), 1e-14);
    EXPECT_NEAR(ChiSquareMixture::chi_square(2).tail(x), chi2(x), 1e-14);
    EXPECT_NEAR(ChiSquareMixture::chi_square(3).tail(x), chi3(x), 1e-14);
    const ChiSquareMixture homog({{0.25, 0}, {0.5, 1}, {0.25, 2}});
    EXPECT_NEAR(homog.tail(x), 0.5 * chi1(x) + 0.25 * chi2(x), 1e-14);
    const ChiSquareMixture general({{0.25, 1}, {0.5, 2}, {0.25, 3}});
    EXPECT_NEAR(general.tail(x), 0.25 * chi1(x) + 0.5 * chi2(x) + 0.25 * chi3(x), 1e-14);
  }
}

TEST(ChiSquareMixture, CriticalValuesAndEdges) {
  EXPECT_NEAR(ChiSquareMixture::chi_square(1).tail(3.841458820694124), 0.05, 1e-12);
  EXPECT_NEAR(ChiSquareMixture::chi_square(2).tail(5.991464547107979), 0.05, 1e-12);
  EXPECT_NEAR(ChiSquareMixture::chi_square(3).tail(7.814727903251178), 0.05, 1e-12);
  EXPECT_NEAR(ChiSquareMixture({{0.5, 0}, {0.5, 1}}).tail(2.705543454095404), 0.05, 1e-12);
  // A statistic of 0 or below (the alternative no better than the null) has p = 1;
  // the point mass at 0 never lies above a positive statistic.
  EXPECT_EQ(ChiSquareMixture::chi_square(2).tail(0.0), 1.0);
  EXPECT_EQ(ChiSquareMixture::chi_square(2).tail(-1e-9), 1.0);
  EXPECT_EQ(ChiSquareMixture::chi_square(0).tail(1e-9), 0.0);
  EXPECT_EQ(ChiSquareMixture::chi_square(1).describe(), "chi2(1)");
  EXPECT_EQ(ChiSquareMixture({{0.25, 0}, {0.5, 1}, {0.25, 2}}).describe(),
            "0.25 chi2(0) + 0.5 chi2(1) + 0.25 chi2(2)");
}

}  // namespace
