// The verdict in words from the three classical criteria.
#include <gtest/gtest.h>

#include "analysis/verdict.hpp"

namespace {

using kinseg::CriterionTest;
using kinseg::decide_verdict;
using kinseg::VerdictInput;

VerdictInput input(double p1, double p2, double p3) {
  VerdictInput in;
  in.sporadic_vs_mendelian = {true, p1, "", {}};
  in.no_transmission_vs_general = {true, p2, "", {}};
  in.mendelian_vs_general = {true, p3, "", {}};
  in.best_mendelian_type = "dominant";
  return in;
}

TEST(Verdict, FromTheThreeCriteria) {
  struct Case {
    double p1, p2, p3;
    bool major;
    const char* starts;
  };
  const Case cases[] = {
      {1e-9, 1e-6, 0.40, true, "evidence for a major gene with Mendelian transmission; dominant fits best"},
      {0.30, 0.50, 0.60, false, "no evidence for a major gene"},
      {1e-9, 1e-6, 0.001, false, "familial aggregation not explained by Mendelian transmission"},
      {1e-9, 0.20, 0.001, false, "familial aggregation not explained by a transmitted major type"},
      {1e-9, 0.20, 0.60, false, "a major type is supported but its transmission is not"},
      // At the level exactly: p = alpha does not reject.
      {0.05, 1e-6, 0.40, false, "no evidence for a major gene"},
  };
  for (const Case& c : cases) {
    const auto v = decide_verdict(input(c.p1, c.p2, c.p3));
    EXPECT_EQ(v.major_gene, c.major) << v.summary;
    EXPECT_EQ(v.summary.rfind(c.starts, 0), 0u) << v.summary;
    ASSERT_EQ(v.criteria.size(), 3u);
  }
  const auto v = decide_verdict(input(1e-9, 1e-6, 0.40));
  EXPECT_EQ(v.criteria[2], "3. Mendelian not rejected against general transmission: holds (p = 0.4 >= 0.05)");
}

TEST(Verdict, AModelThatCouldNotBeFittedGivesNoVerdict) {
  VerdictInput in = input(1e-9, 1e-6, 0.40);
  in.mendelian_vs_general = CriterionTest{};
  const auto v = decide_verdict(in);
  EXPECT_FALSE(v.major_gene);
  EXPECT_EQ(v.summary.rfind("no verdict", 0), 0u);
  EXPECT_NE(v.criteria[2].find("not tested"), std::string::npos);
}

TEST(Verdict, ATestThatCouldNotBeMadeSaysWhy) {
  VerdictInput in = input(1e-9, 1e-6, 0.40);
  in.mendelian_vs_general = CriterionTest{false, 1.0, "the options given make mendelian:dominant not nested in general:dominant", {}};
  const auto v = decide_verdict(in);
  EXPECT_EQ(v.summary, "no verdict: a test needed by the criteria could not be made");
  EXPECT_EQ(v.criteria[2], "3. Mendelian not rejected against general transmission: not tested (the options given "
                           "make mendelian:dominant not nested in general:dominant)");
}

}  // namespace

namespace {

TEST(Verdict, FitsInDoubtMakeItProvisional) {
  // The same p-values: a doubt on any criterion's fits turns the verdict
  // provisional and names the fits, each once.
  VerdictInput in = input(1e-9, 1e-6, 0.40);
  in.mendelian_vs_general.doubts = {"general:dominant did not converge"};
  in.no_transmission_vs_general.doubts = {"general:dominant did not converge", "general:dominant: tr2 not identified"};
  const auto v = decide_verdict(in);
  EXPECT_TRUE(v.provisional);
  EXPECT_EQ(v.summary,
            "provisional: evidence for a major gene with Mendelian transmission; dominant fits best by AIC (it rests "
            "on fits in doubt: general:dominant did not converge; general:dominant: tr2 not identified)");
  EXPECT_FALSE(decide_verdict(input(1e-9, 1e-6, 0.40)).provisional);
  // A test that could not be made still gives no verdict at all.
  in.sporadic_vs_mendelian = {false, 1.0, "mendelian:dominant was not fitted", {}};
  const auto none = decide_verdict(in);
  EXPECT_FALSE(none.provisional);
  EXPECT_EQ(none.summary.rfind("no verdict:", 0), 0u) << none.summary;
}

}  // namespace
