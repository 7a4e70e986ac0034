// kinseg draw as a user runs it: the SVG it writes keeps the drawing rules
// (read back and checked against the sample read independently), shows the
// carrier probabilities of a genotypes file, and every refusal has its exit
// status and a message naming the file and line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pedigree/read_sample.hpp"
#include "tests/support/drawing_checks.hpp"
#include "tests/kinseg_run.hpp"

namespace {

using kintest::exists;
using kintest::kinseg;
using kintest::KinsegRun;
using kintest::read_file;
using kintest::write_file;

const std::string loops = kintest::fixture_dir() + "/kinseg/loops.csv";

// Pedigree C of the fixture: first cousins 7 and 8 marry; their son 9 is the proband.
const char* const kGenotypes =
    "pedigree\tid\tp1\tp2\tp3\n"
    "D\t1\t0.2\t0.3\t0.5\n"
    "C\t1\t0.01\t0.24\t0.75\n"
    "C\t9\t0.5\t0.4999\t0.0001\n"
    "C\t7\tNA\tNA\tNA\n"
    "C\t3\t0\t0.4\t0.6\n";

TEST(KinsegDraw, WritesADrawingThatKeepsTheRules) {
  kintest::TempDir dir;
  write_file("genotypes.tsv", kGenotypes);
  const KinsegRun r = kinseg("draw " + loops + " --family C --out c.svg --genotypes genotypes.tsv");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("kinseg: wrote c.svg (pedigree C, 9 persons)"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("no genotype probabilities for 6 of the 9 persons of pedigree C"), std::string::npos) << r.err;
  const std::string svg = read_file("c.svg");
  const kinseg::DataRead read = kinseg::read_sample(loops, {});
  int k = 0;
  while (read.sample.pedigree_ids[static_cast<size_t>(k)] != "C") ++k;
  const auto problems = kinseg::report::drawing_problems(kinseg::report::read_drawing_svg(svg), read.sample, k);
  EXPECT_TRUE(problems.empty()) << problems.front();
  // The cousins' double line, the proband's arrow, the carrier probabilities
  // (p1 + p2) under the ids, and none for the person given NA.
  EXPECT_NE(svg.find("<g class=\"arrow\" data-id=\"9\">"), std::string::npos);
  EXPECT_NE(svg.find(">0.25</text>"), std::string::npos);
  EXPECT_NE(svg.find(">&gt;0.99</text>"), std::string::npos);
  EXPECT_NE(svg.find(">0.40</text>"), std::string::npos);
  EXPECT_NE(svg.find("risk allele 0.9999</title>"), std::string::npos);
  EXPECT_EQ(svg.find("7: male, unaffected;"), std::string::npos);
}

// The genotype probabilities kinseg eval writes, drawn: every person of the
// family gets a carrier probability.
TEST(KinsegDraw, DrawsTheGenotypeProbabilitiesOfEval) {
  kintest::TempDir dir;
  const KinsegRun eval = kinseg("eval " + loops + " --at q=0.1,w1=2,w2=2,w3=-2 --genotypes g.tsv");
  ASSERT_EQ(eval.status, 0) << eval.err;
  const KinsegRun r = kinseg("draw " + loops + " --family C --out c.svg --genotypes g.tsv");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.find("no genotype probabilities"), std::string::npos) << r.err;
  const std::string svg = read_file("c.svg");
  size_t carriers = 0;
  for (size_t at = 0; (at = svg.find("<text class=\"carrier\"", at)) != std::string::npos; ++at) ++carriers;
  EXPECT_EQ(carriers, 9u);
}

TEST(KinsegDraw, RefusesWithStatusAndMessage) {
  kintest::TempDir dir;
  const struct Case {
    const char* what;
    std::string genotypes;  // written to g.tsv when not empty
    std::string args;
    int status;
    std::string message;
  } cases[] = {
      {"no such pedigree", "", "--family Z --out z.svg", 2, "loops.csv has no pedigree Z"},
      {"no genotypes file", "", "--family C --out c.svg --genotypes none.tsv", 2, "kinseg: cannot read none.tsv"},
      {"a directory that does not exist", "", "--family C --out nodir/c.svg", 2, "nodir/c.svg"},
      {"no header", "C\t1\t0.1\t0.2\t0.7\n", "--family C --out c.svg --genotypes g.tsv", 1,
       "kinseg: error: g.tsv line 1: expected a header line naming the columns family (or pedigree), id, and carrier "
       "or p1 and p2"},
      {"not a probability", "pedigree\tid\tcarrier\nC\t1\t0.5\nC\t2\t1.5\n",
       "--family C --out c.svg --genotypes g.tsv", 1, "g.tsv line 3: carrier \"1.5\" is not a probability"},
      {"genotypes not adding up", "pedigree\tid\tp1\tp2\tp3\nC\t1\t0.5\t0.4\t0.2\n",
       "--family C --out c.svg --genotypes g.tsv", 1, "g.tsv line 2: p1 + p2 + p3 = 1.1"},
      {"a person the data do not have", "pedigree\tid\tcarrier\nC\t10\t0.5\n",
       "--family C --out c.svg --genotypes g.tsv", 1, "g.tsv line 2: pedigree C has no person 10"},
      {"a person twice", "pedigree\tid\tcarrier\nC\t1\t0.5\nC\t1\t0.5\n", "--family C --out c.svg --genotypes g.tsv",
       1, "g.tsv line 3: person 1 of pedigree C again (first on line 2)"},
      {"a short row", "pedigree\tid\tcarrier\nC\t1\n", "--family C --out c.svg --genotypes g.tsv", 1,
       "g.tsv line 2: 2 fields where the header has 3"},
      {"no --out", "", "--family C", 2, "--out is required"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (!c.genotypes.empty()) write_file("g.tsv", c.genotypes);
    const KinsegRun r = kinseg("draw " + loops + " " + c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_FALSE(exists("c.svg"));
    EXPECT_FALSE(exists("z.svg"));
  }
  // Data with errors are refused as by kinseg check.
  const KinsegRun bad = kinseg("draw " + kintest::fixture_dir() + "/kinseg/errors.csv --family P --out p.svg");
  EXPECT_EQ(bad.status, 1);
  EXPECT_FALSE(exists("p.svg"));
}

}  // namespace
