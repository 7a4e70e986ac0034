// The first half of a kinfit run: control files, defaults, the sample and the
// family scan, with their console lines and refusals.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "fit/family_scan.hpp"
#include "fit/prepare_run.hpp"
#include "fit/wwdat.hpp"
#include "format/records.hpp"
#include "tests/test_util.hpp"

namespace {

using kinfit::KinfitState;
using kintest::exists;
using kintest::read_file;
using kintest::stop_status;
using kintest::TestConsole;
using kintest::write_file;

struct Member {
  int trait, prob;
};

// A prepared file of families without nuclear families (the scan reads only
// the boundaries, traits and proband codes).
std::string sample_bytes(const std::vector<std::vector<Member>>& fams) {
  const int nped = static_cast<int>(fams.size());
  std::vector<int32_t> r1 = {nped, nped, 0}, r2 = {nped, 0}, r6, r7, r8;
  int n = 0;
  for (const auto& f : fams) {
    n += static_cast<int>(f.size());
    r1.push_back(n);
    r2.push_back(0);
    for (const Member& m : f) r6.push_back(m.trait), r7.push_back(m.prob), r8.push_back(1);
  }
  r6.insert(r6.begin(), n);
  std::string b;
  for (const auto& r : std::vector<std::vector<int32_t>>{r1, r2, {2, 0, 0}, {0}, {}, r6, r7, r8, {0}})
    b += kin::encode_record(r);
  return b;
}

const char* kMaxpar = "0\n1.0E-4\n100\n0.5\n1.0E-5\n4\n";

std::string par_lines(int npar) {
  std::string s;
  for (int i = 1; i <= npar; ++i)
    s += std::to_string(i) + " 1 0 0.5 0.0 0.0 0.0\n";
  return s;
}

int prepare(KinfitState& s, TestConsole& tc) {
  std::optional<kin::OutFile> par_err;
  return stop_status([&] { kinfit::prepare_run(s, tc.con, par_err); });
}

TEST(Controls, ReadsBothFilesAndAppliesTheDefaults) {
  kintest::TempDir dir;
  write_file("maxpar.inp", "1  iteration listing\n1.0D-4\n250\n0.5\n1.0E-5\n4\n");
  write_file("par.inp",
             "6 1\n1101\n"
             "1 1 1 0.1 0.05 0.0 0.5\n"
             "2 1 1 -1.0 0.0 -5.0 0.0\n"   // GR 0 -> 1.0, STEP 0 -> (1 + 5) * 0.1f
             "3 0 1 7.0 0.0 -1.0 0.0\n"    // IUSE 0: X = 0
             "4,1,0,1.0,0.5,-5.0,5.0\n"
             "this line is never read\n");
  write_file("IWAY.DAT", sample_bytes({{{2, 1}}, {{2, 1}}, {{2, 1}}, {{2, 1}}}));
  TestConsole tc;
  auto s = std::make_unique<KinfitState>();
  EXPECT_EQ(prepare(*s, tc), -1);
  EXPECT_EQ(s->IPRINT, 1);
  EXPECT_EQ(s->EPSX, 1.0e-4);
  EXPECT_EQ(s->MAXIT, 250);
  EXPECT_EQ(s->ALPHA, 0.5);
  EXPECT_EQ(s->EPSF, 1.0e-5);
  EXPECT_EQ(s->NPAR(), 4);
  EXPECT_EQ(s->NFAMP, 6);
  EXPECT_EQ(s->ASCERT.MODE, 1);
  EXPECT_EQ(std::vector<int>(s->LUK.a, s->LUK.a + 7), (std::vector<int>{1, 1, 0, 1, 0, 0, 0}));
  EXPECT_EQ(s->X(1), 0.1);
  EXPECT_EQ(s->GR(2), 1.0);
  EXPECT_EQ(s->STEP(2), (1.0 + 5.0) * 0.10000000149011612);
  EXPECT_EQ(s->X(3), 0.0);
  EXPECT_EQ(s->IEST(3), 1);
  EXPECT_EQ(s->LINK(4), 4);
  EXPECT_EQ(s->STEP(4), 0.5);
  EXPECT_EQ(s->X(5), 0.0);  // slots beyond NPAR are not read
  EXPECT_EQ(tc.text(), " N_izm=           3  loop=           0\n");
  EXPECT_TRUE(exists("par.err"));
  EXPECT_EQ(read_file("par.err"), "");
}

TEST(Controls, TwentyFiveFlagsTakeTwoLines) {
  kintest::TempDir dir;
  write_file("maxpar.inp", "0\n0\n10\n0.5\n0\n1\n");
  write_file("par.inp", "25 0\n10101010101010101010\n11011 ignored\n1 1 0 0.5 0.1 0 1\n");
  write_file("IWAY.DAT", sample_bytes({{{2, 2}}}));
  TestConsole tc;
  auto s = std::make_unique<KinfitState>();
  EXPECT_EQ(prepare(*s, tc), -1);
  std::vector<int> want;
  for (int i = 0; i < 20; ++i) want.push_back(i % 2 == 0);
  for (int v : {1, 1, 0, 1, 1}) want.push_back(v);
  EXPECT_EQ(std::vector<int>(s->LUK.a, s->LUK.a + 25), want);
  EXPECT_EQ(s->X(1), 0.5);  // the first parameter line is line 4
  EXPECT_EQ(s->STEP(1), 0.1);
}

TEST(Controls, ParameterLimitIsTestedBeforeParInpIsRead) {
  for (int npar : {kinfit::MAXPAR, kinfit::MAXPAR + 1}) {
    kintest::TempDir dir;
    write_file("maxpar.inp", "0\n0\n10\n0.5\n0\n" + std::to_string(npar) + "\n");
    // With too many parameters, par.inp's first (unreadable) line is never read.
    write_file("par.inp", npar > kinfit::MAXPAR ? "not numbers\n" : "1 0\n1\n" + par_lines(npar));
    write_file("IWAY.DAT", sample_bytes({{{2, 2}}}));
    TestConsole tc;
    auto s = std::make_unique<KinfitState>();
    if (npar > kinfit::MAXPAR) {
      EXPECT_EQ(prepare(*s, tc), kin::kStopError);
      EXPECT_EQ(tc.text(), " MAXPAR exceed. Correct and recompile\n");
    } else {
      EXPECT_EQ(prepare(*s, tc), -1);
      EXPECT_EQ(s->X(npar), 0.5);
    }
    EXPECT_TRUE(exists("par.err"));  // created, and empty
    EXPECT_EQ(read_file("par.err"), "");
  }
}

TEST(Controls, RefusedControlFiles) {
  struct Case {
    const char* what;
    const char* maxpar;  // nullptr: no such file
    const char* par;
    const char* message;
    int status;
  } cases[] = {
      {"missing maxpar.inp", nullptr, "1 0\n1\n",
       " ERROR in file maxpar.inp: cannot open the file (is it missing?)\n", kin::kInputError},
      {"short maxpar.inp", "0\n0\n10\n", "1 0\n1\n",
       " ERROR in file maxpar.inp: the file ends before all values were read\n", kin::kInputError},
      {"missing par.inp", kMaxpar, nullptr, " ERROR in file par.inp: cannot open the file (is it missing?)\n",
       kin::kInputError},
      {"link outside 1..NPAR", kMaxpar, "1 0\n1\n1 1 0 0 0 0 0\n2 1 0 0 0 0 0\n0 1 0 0 0 0 0\n4 1 0 0 0 0 0\n",
       " ERROR in file par.inp, line 5: LINK = 0 of parameter 3 is not a parameter number 1..4\n",
       kin::kInputError},
      {"link beyond NPAR", kMaxpar, "1 0\n1\n1 1 0 0 0 0 0\n5 1 0 0 0 0 0\n",
       " ERROR in file par.inp, line 4: LINK = 5 of parameter 2 is not a parameter number 1..4\n",
       kin::kInputError},
      {"too many family flags", kMaxpar, "605 1\n1\n",
       " ERROR in file par.inp, line 1: 605 family flags asked for; kinfit holds 604 families at most (N_FAM)\n",
       kin::kInputError},
      {"parameter lines missing", kMaxpar, "1 0\n1\n1 1 0 0 0 0 0\n",
       " ERROR in file par.inp: the file ends before all values were read\n", kin::kInputError},
      {"a flag that is not a digit", kMaxpar, "3 0\n1x1\n",
       " ERROR in file par.inp, line 2: 'x' is not a digit\n", kin::kInputError},
  };
  for (const Case& c : cases) {
    if (std::string(c.what) == "too many family flags" && kinfit::N_FAM != 604) continue;
    kintest::TempDir dir;
    if (c.maxpar) write_file("maxpar.inp", c.maxpar);
    if (c.par) write_file("par.inp", c.par);
    write_file("IWAY.DAT", sample_bytes({{{2, 2}}}));
    TestConsole tc;
    auto s = std::make_unique<KinfitState>();
    EXPECT_EQ(prepare(*s, tc), c.status) << c.what;
    EXPECT_EQ(tc.text(), c.message) << c.what;
    if (!c.maxpar) {
      EXPECT_FALSE(exists("maxpar.inp")) << "a missing maxpar.inp is not created";
    }
  }
}

// Families: 1 has an affected proband; 2 has nobody affected and no proband;
// 3 has affected members but no proband; 4's only affected member has proband
// code 0; 5's proband is unaffected; 6 is not flagged; 7 has no member of known
// trait with a non-zero code; 8 lies beyond NFAMP.
const std::vector<std::vector<Member>> kScanSample = {
    {{2, 1}, {1, 2}, {1, 2}}, {{1, 2}, {1, 2}},   {{1, 2}, {2, 2}, {2, 2}}, {{2, 0}, {1, 2}},
    {{1, 1}, {2, 2}},         {{2, 2}, {2, 1}},   {{3, 2}, {2, 0}},         {{2, 2}}};

struct ScanResult {
  std::string console;
  std::vector<int> luk;
  std::vector<double> ng;
  std::vector<int> prob;
};

ScanResult scan(int mode) {
  TestConsole tc;
  auto s = std::make_unique<KinfitState>();
  kinfit::read_prepared(*s, tc.con, "IWAY.DAT", sample_bytes(kScanSample));
  s->NFAMP = 7;
  s->ASCERT.MODE = mode;
  const int luk[] = {1, 1, 1, 1, 1, 0, 1};
  for (int f = 1; f <= 7; ++f) s->LUK(f) = luk[f - 1];
  kinfit::scan_families(*s, tc.con);
  ScanResult r{tc.text(), {}, {}, {}};
  for (int f = 1; f <= 8; ++f) r.luk.push_back(s->LUK(f)), r.ng.push_back(s->NG(f));
  for (int p = 1; p <= 17; ++p) r.prob.push_back(s->PROB(p));
  return r;
}

TEST(FamilyScan, ProbandAscertainmentExcludesAndAssigns) {
  ScanResult r = scan(1);
  EXPECT_EQ(r.console,
            "  WARNING:No affected members in the famili           2\n"
            "  This family is excluded from analysis\n"
            " No proband in the family  2\n"
            " First affected person is proband\n"
            " No proband in the family  3\n"
            " First affected person is proband\n"
            "  WARNING:No affected members in the famili           4\n"
            "  This family is excluded from analysis\n"
            " No proband in the family  4\n"
            " First affected person is proband\n"
            "  WARNING:No affected members in the famili           7\n"
            "  This family is excluded from analysis\n"
            " No proband in the family  7\n"
            " First affected person is proband\n"
            " N_izm=          11  loop=           2\n");
  EXPECT_EQ(r.luk, (std::vector<int>{1, 0, 1, 0, 1, 0, 0, 0}));
  EXPECT_EQ(r.ng, (std::vector<double>{1.0 / 3, 1.0 / 2, 1.0 / 3, 1.0, 1.0 / 2, 0.0, 0.0, 0.0}));
  // Persons: family 3 is rows 6-8, family 4 rows 9-10, family 7 rows 15-16.
  EXPECT_EQ(r.prob, (std::vector<int>{1, 2, 2, 2, 2, 2, 1, 2, 1, 2, 1, 2, 2, 1, 2, 1, 2}));
}

TEST(FamilyScan, OtherModesNeitherExcludeNorAssign) {
  for (int mode : {0, 2}) {
    ScanResult r = scan(mode);
    EXPECT_EQ(r.console, " N_izm=          11  loop=           2\n") << mode;
    EXPECT_EQ(r.luk, (std::vector<int>{1, 1, 1, 1, 1, 0, 1, 0})) << mode;
    EXPECT_EQ(r.prob, (std::vector<int>{1, 2, 2, 2, 2, 2, 2, 2, 0, 2, 1, 2, 2, 1, 2, 0, 2})) << mode;
    EXPECT_EQ(r.ng[6], 0.0);
  }
}

}  // namespace
