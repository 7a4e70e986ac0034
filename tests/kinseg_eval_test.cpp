// kinseg eval as a user runs it: every input format of the reader, against
// values known in closed form; the worked example against kinfit's own
// initial log-likelihood; genotype probabilities; refused families; usage
// errors and refused data.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/kinseg_run.hpp"

namespace {

using kintest::has;
using kintest::kinseg;
using kintest::kinseg_fixture;
using kintest::KinsegRun;

using kintest::num;
using kintest::rows_of;

// With every baseline 0 and nothing else, a known trait has probability 1/2
// whatever the genotype, so ln L is (number of known traits) * ln(1/2), for
// all traits and for the conditioning set alike. The files and their
// families: pedigree id, persons, known traits, known traits conditioned on.
TEST(KinsegEval, EveryInputFormatGivesTheClosedForm) {
  struct Family {
    std::string id;
    int persons, known, conditioned;
  };
  struct Case {
    std::string file;
    std::vector<Family> families;
  };
  const std::vector<Case> cases = {
      {"study.csv", {{"F1", 4, 3, 1}, {"F2", 3, 3, 1}}},  // proband column: proband ascertainment
      {"study.fam", {{"FAM1", 3, 2, 0}, {"FAM2", 3, 3, 0}}},
      {"study.ped", {{"1", 4, 3, 0}, {"2", 3, 3, 0}}},
      {"study.tsv", {{"7", 4, 3, 0}, {"8", 3, 3, 0}}},
      {"study.txt", {{"p1", 4, 3, 0}}},
      {"kinsort.dat", {{"1", 3, 3, 2}, {"2", 3, 2, 1}}},  // proband code 0 conditioned on too
      {"semicolon.csv", {{"1", 3, 3, 0}}},
      {"loops.csv", {{"C", 9, 9, 1}, {"D", 3, 3, 1}}},  // C: a first-cousin marriage; E: no affected member
  };
  const double ln_half = std::log(0.5);
  kintest::TempDir tmp;
  for (const Case& c : cases) {
    const KinsegRun r = kinseg("eval " + kinseg_fixture(c.file) + " --at q=0.3 --threads 2");
    ASSERT_EQ(r.status, 0) << c.file << ": " << r.err;
    const auto rows = rows_of(r.out);
    ASSERT_EQ(rows.size(), c.families.size() + 2) << c.file << ":\n" << r.out;
    EXPECT_EQ(rows[0], (std::vector<std::string>{"family", "persons", "lnl_all", "lnl_cond", "contribution"}));
    int persons = 0;
    double contribution = 0.0;
    for (size_t i = 0; i < c.families.size(); ++i) {
      const Family& f = c.families[i];
      const auto& row = rows[i + 1];
      ASSERT_EQ(row.size(), 5u) << c.file;
      EXPECT_EQ(row[0], f.id) << c.file;
      EXPECT_EQ(row[1], std::to_string(f.persons)) << c.file;
      EXPECT_NEAR(num(row[2]), f.known * ln_half, 1e-13) << c.file << " " << f.id;
      EXPECT_NEAR(num(row[3]), f.conditioned * ln_half, 1e-13) << c.file << " " << f.id;
      EXPECT_NEAR(num(row[4]), (f.known - f.conditioned) * ln_half, 1e-13) << c.file << " " << f.id;
      persons += f.persons;
      contribution += num(row[4]);
    }
    const auto& total = rows.back();
    EXPECT_EQ(total[0], "total");
    EXPECT_EQ(total[1], std::to_string(persons));
    EXPECT_NEAR(num(total[4]), contribution, 1e-13) << c.file;
  }
  // The pedigree without an affected member is named in a note.
  const KinsegRun loops = kinseg("eval " + kinseg_fixture("loops.csv") + " --at q=0.3");
  EXPECT_TRUE(has(loops.err, "kinseg: note: pedigree E: no affected member; excluded under proband ascertainment"))
      << loops.err;
  // Without the correction nothing is conditioned on.
  const KinsegRun none = kinseg("eval " + kinseg_fixture("study.csv") + " --at q=0.3 --ascertainment none");
  EXPECT_EQ(rows_of(none.out)[1][3], "0");
  // A proband column that marks nobody: proband ascertainment by default
  // still, each family's first affected member its proband, with a warning
  // that says how to turn it off.
  kintest::write_file("nobody.csv", "ped,id,fa,mo,sex,trait,proband\nA,1,0,0,1,1,0\nA,2,0,0,2,0,0\nA,3,1,2,1,1,0\n");
  const KinsegRun nobody = kinseg("eval nobody.csv --at q=0.3");
  EXPECT_EQ(nobody.status, 0) << nobody.err;
  EXPECT_TRUE(has(nobody.err, "kinseg: warning: nobody.csv: no person is marked as a proband")) << nobody.err;
  EXPECT_TRUE(has(nobody.err, "--ascertainment none")) << nobody.err;
  EXPECT_NE(rows_of(nobody.out)[1][3], "0");
  EXPECT_FALSE(has(kinseg("eval nobody.csv --at q=0.3 --ascertainment none").err, "warning"));
}

// The worked example at kinfit's start values (Q 0.5, W1 -1, the rest 0,
// proband ascertainment): kinfit's initial log-likelihood, which it prints
// with 8 significant digits.
TEST(KinsegEval, WorkedExampleGivesKinfitsInitialLikelihood) {
  kintest::TempDir tmp;
  const std::string ex = KINSEG_EXAMPLE_DIR;
  const KinsegRun r = kinseg("eval " + ex + "/input/sample.dat --covar smoker --at q=0.5,w1=-1,d.smoker=0");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string console = kintest::read_file(ex + "/output/kinfit.console");
  const size_t p = console.find("initial LH=") + std::string("initial LH=").size();
  const double kinfit = std::strtod(console.c_str() + p, nullptr);
  const auto rows = rows_of(r.out);
  EXPECT_EQ(rows.size(), 62u);  // the 60 pedigrees, header and total
  EXPECT_NEAR(num(rows.back()[4]), kinfit, 5e-6) << rows.back()[4];
}

// At a point without information on genotypes (every baseline equal), the
// genotype probabilities are the population's: q^2, 2q(1 - q), (1 - q)^2 for
// everybody but the child of the first-cousin marriage in pedigree C, who is
// inbred with coefficient F = 1/16: q^2 + F q(1 - q), 2q(1 - q)(1 - F),
// (1 - q)^2 + F q(1 - q).
TEST(KinsegEval, GenotypeProbabilities) {
  kintest::TempDir tmp;
  const KinsegRun r = kinseg("eval " + kinseg_fixture("loops.csv") + " --at q=0.3 --genotypes g.tsv");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto rows = rows_of(kintest::read_file("g.tsv"));
  ASSERT_EQ(rows.size(), 13u);  // header, 9 + 3 persons; E is not analysed
  EXPECT_EQ(rows[0], (std::vector<std::string>{"family", "id", "p1", "p2", "p3"}));
  const double q = 0.3, pq = q * (1 - q), F = 1.0 / 16;
  for (size_t i = 1; i < rows.size(); ++i) {
    const bool inbred = rows[i][0] == "C" && rows[i][1] == "9";
    const double f = inbred ? F : 0.0;
    EXPECT_NEAR(num(rows[i][2]), q * q + f * pq, 1e-14) << rows[i][0] << " " << rows[i][1];
    EXPECT_NEAR(num(rows[i][3]), 2 * pq * (1 - f), 1e-14) << rows[i][0] << " " << rows[i][1];
    EXPECT_NEAR(num(rows[i][4]), (1 - q) * (1 - q) + f * pq, 1e-14) << rows[i][0] << " " << rows[i][1];
  }
  EXPECT_EQ(rows[9][0] + " " + rows[9][1], "C 9");
}

// A point under which unaffected persons have probability 0 (baselines so
// high that being affected is certain): the families get -inf and a message,
// nothing is NaN, the run is done; no genotype probabilities for them.
TEST(KinsegEval, RefusedFamiliesGetMinusInfinity) {
  kintest::TempDir tmp;
  const KinsegRun r =
      kinseg("eval " + kinseg_fixture("study.fam") + " --at q=0.5,w1=40,w2=40,w3=40 --genotypes g.tsv");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "family\tpersons\tlnl_all\tlnl_cond\tcontribution\nFAM1\t3\t-inf\t-inf\t-inf\nFAM2\t3\t-inf\t-inf\t-inf\n"
            "total\t6\t-inf\t-inf\t-inf\n");
  EXPECT_TRUE(has(r.err, "kinseg: pedigree FAM1: at this point its likelihood vanishes or cannot be represented"))
      << r.err;
  EXPECT_EQ(kintest::read_file("g.tsv"), "family\tid\tp1\tp2\tp3\n");
}

TEST(KinsegEval, UsageErrorsAndRefusedData) {
  struct Case {
    std::string args;
    int status;
    std::string err;
  };
  const std::string study = kinseg_fixture("study.csv");
  const std::vector<Case> cases = {
      {"eval " + study, 2, "--at is required"},
      {"eval " + study + " --at x=1", 2, "--at x: unknown parameter; the parameters are q w1"},
      {"eval " + study + " --at q=0.5,Q=0.4", 2, "--at names Q twice"},
      {"eval " + study + " --at q=half", 2, "--at q=half: the value is not a finite number"},
      {"eval " + study + " --at q", 2, "--at \"q\": expected NAME=VALUE"},
      {"eval " + study + " --at tr1=1,tr2=0.5", 2, "give tr1, tr2 and tr3 together"},
      {"eval " + study + " --at d.age=0.1", 2, "--at d.age: age is not a covariate named in --covar"},
      {"eval " + study + " --at q=1.5", 2, "the allele frequency q must lie in [0, 1]"},
      {"eval " + study + " --at tr1=1,tr2=1.5,tr3=0", 2, "tr2 must lie in [0, 1]"},
      {"eval " + study + " --at q=0.5 --threads 0", 2, "--threads"},
      {"eval " + study + " --at q=0.5 --ascertainment some", 2, "--ascertainment"},
      {"eval " + kinseg_fixture("errors.csv") + " --at q=0.5", 1, "the data are refused"},
      {"eval " + kinseg_fixture("inbred.csv") + " --at q=0.5 --max-width 5", 1,
       "inbred.csv: pedigree I: 5 loops, tables over up to 6 persons (3^6 entries), 20 kB, under 1 ms per "
       "evaluation: wider than the limit of 5 persons; split the pedigree into smaller ones (cut it at distant "
       "ancestors or marriages that join large branches) or raise --max-width\n"},
      // The former limit on loop breakers is still accepted, with a warning that it does nothing.
      {"eval " + kinseg_fixture("loops.csv") + " --at q=0.5 --max-loop-breakers 0", 0,
       "kinseg: warning: --max-loop-breakers has no effect"},
      {"eval " + study + " --covar age --at q=0.5,d.age=0.1 --genotypes no/such/dir/g.tsv", 2, "no/such/dir/g.tsv"},
  };
  kintest::TempDir tmp;
  for (const Case& c : cases) {
    const KinsegRun r = kinseg(c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
    EXPECT_TRUE(has(r.err, c.err)) << c.args << "\n" << r.err;
    if (r.status != 0) {
      EXPECT_EQ(r.out, "") << c.args;
    }
  }
  // Standard output that cannot be written (a full device) is an I/O error,
  // not success.
  EXPECT_EQ(kintest::shell("'" KINSEG_EXE "' eval " + study + " --at q=0.5 >/dev/full 2>err.txt"), 2);
  EXPECT_TRUE(has(kintest::read_file("err.txt"), "kinseg: cannot write to standard output"));
}

TEST(KinsegEval, HelpNamesEveryOption) {
  const KinsegRun r = kinseg("eval --help");
  EXPECT_EQ(r.status, 0);
  for (const char* opt : {"--at", "--ascertainment", "--threads", "--max-width", "--genotypes", "--covar",
                          "d.COLUMN", "tr1", "ro1"})
    EXPECT_TRUE(has(r.out, opt)) << opt;
}

}  // namespace
