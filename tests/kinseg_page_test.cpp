// The report page of kinseg test as a reader meets it: the summary first (the
// verdict, q and the penetrances with their intervals), the tests' flags as
// numbered notes written once, the family table folded after its first 20
// rows, and the drawings --draw-limit and --trim ask for.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "tests/kinseg_run.hpp"

namespace {

using kintest::has;

size_t count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(ReportPage, SummaryNotesFoldedFamiliesAndDrawingOptions) {
  kintest::TempDir dir;
  const kintest::KinsegRun r = kintest::kinseg(std::string("test ") + KINSEG_EXAMPLE_DIR +
                                               "/input/sample.dat --covar smoker --draw-limit 2 --draw 7 --trim "
                                               "--out ex");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string page = kintest::read_file("ex.html");
  // The summary comes first, with the verdict box the browser check reads.
  ASSERT_TRUE(has(page, "<section id=\"summary\">"));
  EXPECT_LT(page.find("<section id=\"summary\">"), page.find("<section id=\"data\">"));
  EXPECT_EQ(count(page, "id=\"verdict\""), 1u);
  EXPECT_TRUE(has(page, "class=\"verdict supported\">Evidence for a major gene"));
  // q and the two penetrances of the dominant model, each with its interval;
  // the penetrance is the logistic function of the baseline (w3 = -2.58695
  // in the estimates table).
  const std::string estimates = kintest::read_file("ex.estimates.tsv");
  ASSERT_TRUE(has(estimates, "mendelian:dominant\tw3\t-2.58695"));
  EXPECT_TRUE(has(page, "<th>q <span class=\"meaning\">frequency of the risk allele</span></th>"));
  EXPECT_TRUE(has(page, "penetrance w1 <span class=\"meaning\">of a person with two copies of the risk allele or "
                        "one copy</span>"));
  const size_t row = page.find("penetrance w3 ");
  ASSERT_NE(row, std::string::npos);
  const size_t cell = page.find("<td class=\"num\">", row);
  const double p3 = std::strtod(page.c_str() + cell + 17, nullptr);
  EXPECT_NEAR(p3, 1 / (1 + std::exp(2.58695)), 1e-6);
  EXPECT_FALSE(has(page, "penetrance w2"));
  // Each flag once, as a note the cells point at.
  // (the example's tests carry 8 distinct flags, some on several rows).
  EXPECT_EQ(count(page, "<li id=\"test-note-"), 8u);
  EXPECT_EQ(count(page, "q not identified under the null: p approximate"), 1u);
  EXPECT_TRUE(has(page, "<a href=\"#test-note-1\">[1]</a>"));
  // 60 families: 20 shown, 40 folded, the file named for the printed page.
  EXPECT_EQ(count(page, "<tr class=\"more\">"), 40u);
  EXPECT_TRUE(has(page, "Show the other 40 families"));
  EXPECT_TRUE(has(page, "all of them in ex.families.tsv"));
  // Two drawn by rank and the one named, trimmed.
  EXPECT_EQ(count(page, "<figure class=\"pedigree-figure"), 3u);
  EXPECT_TRUE(has(page, "data-pedigree=\"7\"><figcaption>"));
}

TEST(ReportPage, DrawLimitZeroDrawsOnlyTheNamed) {
  kintest::TempDir dir;
  const kintest::KinsegRun r = kintest::kinseg(std::string("test ") + KINSEG_EXAMPLE_DIR +
                                               "/input/sample.dat --covar smoker --no-profile --draw-limit 0 "
                                               "--draw 7 --out ex");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string page = kintest::read_file("ex.html");
  EXPECT_EQ(count(page, "<figure class=\"pedigree-figure"), 1u);
  EXPECT_EQ(kintest::kinseg(std::string("test ") + KINSEG_EXAMPLE_DIR + "/input/sample.dat --draw-limit -1").status,
            2);
}

}  // namespace
