// The prepared pedigree file from both ends: kinsort's tables written by
// WRITTEN and read back by WWDAT, its limits, and the structure check that
// refuses files the likelihood cannot use.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "fit/wwdat.hpp"
#include "format/records.hpp"
#include "prep/written.hpp"
#include "tests/test_util.hpp"

namespace {

using kintest::read_file;
using kintest::stop_status;
using kintest::TestConsole;
using Records = std::vector<std::vector<int32_t>>;

std::string bytes_of(const Records& recs) {
  std::string b;
  for (const auto& r : recs) b += kin::encode_record(r);
  return b;
}

// One pedigree of six persons: 1, 2 founders; 3 their child; 4 a founder; 5, 6
// children of 3 and 4. No covariates.
void fill_three_generations(kinsort::KinsortState& s) {
  const int fa[] = {0, 0, 1, 0, 3, 3};
  const int mo[] = {0, 0, 2, 0, 4, 4};
  const int trait[] = {2, 1, 2, 1, 2, 1};
  const int prob[] = {2, 2, 1, 2, 2, 2};
  const int sex[] = {1, 2, 1, 2, 1, 2};
  for (int i = 1; i <= 6; ++i) {
    s.DATA(i, kinsort::kPed) = 1;
    s.DATA(i, kinsort::kId) = i;
    s.DATA(i, kinsort::kFa) = fa[i - 1];
    s.DATA(i, kinsort::kMo) = mo[i - 1];
    s.DATA(i, kinsort::kTrait) = trait[i - 1];
    s.DATA(i, kinsort::kProb) = prob[i - 1];
    s.DATA(i, kinsort::kSex) = sex[i - 1];
  }
  s.DATA.N = 6;
  s.DATA.NCOV = 0;
  const int buf1[] = {1, 0, 6}, buf3[] = {1, 0, 2}, buf4[] = {2, 0, 3, 7};
  const int buf6[] = {1, 2, 3, 3, 4, 5, 6}, buf5[] = {3, 0};
  for (int i = 1; i <= 3; ++i) s.BUF1(i) = buf1[i - 1], s.BUF3(i) = buf3[i - 1];
  for (int i = 1; i <= 4; ++i) s.BUF4(i) = buf4[i - 1];
  for (int i = 1; i <= 7; ++i) s.BUF6(i) = buf6[i - 1];
  for (int i = 1; i <= 2; ++i) s.BUF5(i) = buf5[i - 1];
}

const Records kSixPersons = {
    {1, 1, 0, 6}, {1, 0, 2}, {4, 2, 0, 3, 7}, {7, 1, 2, 3, 3, 4, 5, 6}, {3, 0},
    {6, 2, 1, 2, 1, 2, 1}, {2, 2, 1, 2, 2, 2}, {1, 2, 1, 2, 1, 2}, {0}};

TEST(PreparedFile, WholeFileExampleBytesAndReadBack) {
  kintest::TempDir dir;
  TestConsole tc;
  auto ks = std::make_unique<kinsort::KinsortState>();
  fill_three_generations(*ks);
  kinsort::WRITTEN(*ks, tc.con);
  EXPECT_EQ(read_file("iway.dat"), bytes_of(kSixPersons));

  // kinfit opens it as IWAY.DAT, which on this file system is found by case.
  auto fs = std::make_unique<kinfit::KinfitState>();
  kinfit::WWDAT(*fs, tc.con);
  EXPECT_EQ(tc.text(), "");
  EXPECT_EQ(std::vector<int>(fs->BUF1.a, fs->BUF1.a + 4), (std::vector<int>{1, 0, 6, 0}));
  EXPECT_EQ(std::vector<int>(fs->BUF3.a, fs->BUF3.a + 3), (std::vector<int>{1, 0, 2}));
  EXPECT_EQ(std::vector<int>(fs->BUF14.a, fs->BUF14.a + 4), (std::vector<int>{2, 0, 3, 7}));
  EXPECT_EQ(std::vector<int>(fs->BUF16.a, fs->BUF16.a + 7), (std::vector<int>{1, 2, 3, 3, 4, 5, 6}));
  EXPECT_EQ(std::vector<int>(fs->BUF15.a, fs->BUF15.a + 2), (std::vector<int>{3, 0}));
  EXPECT_EQ(fs->TRAIT(3), 2);
  EXPECT_EQ(fs->PROB(3), 1);
  EXPECT_EQ(fs->SEX(6), 2);
  EXPECT_EQ(fs->HIPOT.NCOV, 0);
  EXPECT_EQ(fs->COV(1, 1), 0);
}

TEST(PreparedFile, BoundaryRecordsAndCovariates) {
  kintest::TempDir dir;
  TestConsole tc;
  auto ks = std::make_unique<kinsort::KinsortState>();
  // Two pedigrees of 3 and 5 persons; three ways of 4, 3 and 5 members.
  ks->BUF1(1) = 2, ks->BUF1(2) = 0, ks->BUF1(3) = 3, ks->BUF1(4) = 8;
  ks->BUF3(1) = 2, ks->BUF3(2) = 0, ks->BUF3(3) = 1, ks->BUF3(4) = 3;
  const int buf4[] = {3, 0, 4, 7, 12};
  for (int i = 1; i <= 5; ++i) ks->BUF4(i) = buf4[i - 1];
  for (int i = 1; i <= 12; ++i) ks->BUF6(i) = 100 + i;
  ks->BUF5(1) = 0, ks->BUF5(2) = 3, ks->BUF5(3) = 0;
  ks->DATA.N = 8;
  ks->DATA.NCOV = 2;
  for (int i = 1; i <= 8; ++i) {
    ks->DATA(i, kinsort::kTrait) = 1;
    ks->DATA(i, kinsort::kProb) = 2;
    ks->DATA(i, kinsort::kSex) = 1;
    ks->DATA(i, kinsort::kCov1) = 10 + i;
    ks->DATA(i, kinsort::kCov1 + 1) = -i;
  }
  kinsort::WRITTEN(*ks, tc.con);
  std::vector<int32_t> r4 = {12};
  for (int i = 1; i <= 12; ++i) r4.push_back(100 + i);
  const Records want = {{2, 2, 0, 3, 8},
                        {2, 0, 1, 3},
                        {5, 3, 0, 4, 7, 12},
                        r4,
                        {0, 3, 0},
                        {8, 1, 1, 1, 1, 1, 1, 1, 1},
                        {2, 2, 2, 2, 2, 2, 2, 2},
                        {1, 1, 1, 1, 1, 1, 1, 1},
                        {2},
                        {8, 11, 12, 13, 14, 15, 16, 17, 18},
                        {8, -1, -2, -3, -4, -5, -6, -7, -8}};
  EXPECT_EQ(read_file("iway.dat"), bytes_of(want));
}

TEST(PreparedFile, CovariatesLandPerPersonAndAShortCovariateRecordLeavesZeros) {
  Records recs = kSixPersons;
  recs[8] = {2};
  recs.push_back({6, 1, 2, 3, 4, 5, 6});
  recs.push_back({4, 7, 8, 9, 10});
  TestConsole tc;
  auto fs = std::make_unique<kinfit::KinfitState>();
  kinfit::read_prepared(*fs, tc.con, "IWAY.DAT", bytes_of(recs));
  EXPECT_EQ(tc.text(), "");
  EXPECT_EQ(fs->HIPOT.NCOV, 2);
  // The covariates of one person lie next to each other.
  EXPECT_EQ(std::vector<int>(fs->BUF2.COV.a, fs->BUF2.COV.a + 4), (std::vector<int>{1, 7, 0, 0}));
  EXPECT_EQ(fs->COV(2, 4), 10);
  EXPECT_EQ(fs->COV(2, 5), 0);
  EXPECT_EQ(fs->COV(1, 6), 6);
}

TEST(PreparedFile, NegativeCovariateCountReadsAsNone) {
  // Files prepared from a task file with a negative count carry it in record 9;
  // they hold no covariate records and are analysed without covariates.
  Records recs = kSixPersons;
  recs[8] = {-2};
  TestConsole tc;
  auto fs = std::make_unique<kinfit::KinfitState>();
  kinfit::read_prepared(*fs, tc.con, "IWAY.DAT", bytes_of(recs));
  EXPECT_EQ(tc.text(), "");
  EXPECT_EQ(fs->HIPOT.NCOV, -2);
  EXPECT_EQ(fs->COV(1, 1), 0);
}

// A sample of `nped` one-person families and no ways.
Records singles(int nped) {
  Records r(9);
  r[0] = {nped, nped, 0};
  r[1] = {nped, 0};
  for (int f = 1; f <= nped; ++f) r[0].push_back(f), r[1].push_back(0);
  r[2] = {2, 0, 0};
  r[3] = {0};
  r[4] = {};
  r[5] = {nped};
  for (int f = 1; f <= nped; ++f) r[5].push_back(1), r[6].push_back(2), r[7].push_back(1);
  r[8] = {0};
  return r;
}

std::string read_status(const Records& recs, int* status) {
  TestConsole tc;
  auto fs = std::make_unique<kinfit::KinfitState>();
  *status = stop_status([&] { kinfit::read_prepared(*fs, tc.con, "IWAY.DAT", bytes_of(recs)); });
  return tc.text();
}

TEST(PreparedFile, FamilyLimit) {
  int st = 0;
  EXPECT_EQ(read_status(singles(kinfit::N_FAM), &st), "");
  EXPECT_EQ(st, -1);
  EXPECT_EQ(read_status(singles(kinfit::N_FAM + 1), &st), " N_FAM exceed. Correct and recompile\n");
  EXPECT_EQ(st, kin::kStopError);
}

TEST(PreparedFile, SizeLimitsAreTestedOnTheLeadingCounts) {
  const std::string exceed = " N_SIZE exceed. Correct and recompile\n";
  int st = 0;
  // Record 3 led by N_SIZE passes the limit (and fails later, for its empty ways).
  Records r = singles(1);
  r[2].assign(static_cast<size_t>(kinfit::N_SIZE) + 1, 0);
  r[2][0] = kinfit::N_SIZE;
  r[2][1] = kinfit::N_SIZE - 2;
  EXPECT_NE(read_status(r, &st), exceed);
  r[2][0] = kinfit::N_SIZE + 1;
  EXPECT_EQ(read_status(r, &st), exceed);
  EXPECT_EQ(st, kin::kStopError);

  // Member lists.
  r = singles(1);
  r[3].assign(static_cast<size_t>(kinfit::N_SIZE) + 1, 1);
  r[3][0] = kinfit::N_SIZE;
  EXPECT_NE(read_status(r, &st), exceed);
  r[3][0] = kinfit::N_SIZE + 1;
  EXPECT_EQ(read_status(r, &st), exceed);

  // Persons: one family of N_SIZE persons is accepted whole.
  r = singles(1);
  r[0] = {1, 1, 0, kinfit::N_SIZE};
  r[5].assign(static_cast<size_t>(kinfit::N_SIZE) + 1, 3);
  r[5][0] = kinfit::N_SIZE;
  r[6].assign(static_cast<size_t>(kinfit::N_SIZE), 2);
  r[7].assign(static_cast<size_t>(kinfit::N_SIZE), 2);
  EXPECT_EQ(read_status(r, &st), "");
  EXPECT_EQ(st, -1);
  r[5][0] = kinfit::N_SIZE + 1;
  r[5].push_back(3);
  EXPECT_EQ(read_status(r, &st), exceed);

  // A covariate record longer than the person table.
  r = singles(1);
  r[8] = {1};
  r.push_back(std::vector<int32_t>(static_cast<size_t>(kinfit::N_SIZE) + 2, 0));
  r.back()[0] = kinfit::N_SIZE + 1;
  EXPECT_EQ(read_status(r, &st), exceed);
}

TEST(PreparedFile, RefusedFilesNameTheFamilyAndTheFault) {
  struct Case {
    const char* what;
    void (*edit)(Records&);
    const char* message;
  } cases[] = {
      {"written after a loop",
       [](Records& r) { r[2] = {2, 0, 0}, r[3] = {0}, r[4] = {}; },
       "family 1: the pedigree structure is incomplete (record 2 counts 2 nuclear families, record 3 "
       "holds 0); kinsort's loop report in def.err tells which pedigree to correct"},
      {"way counts disagree", [](Records& r) { r[1] = {1, 0, 1}; },
       "record 2 counts 1 nuclear families, record 3 holds 2"},
      {"way of two members",
       [](Records& r) { r[2] = {4, 2, 0, 2, 7}; },
       "family 1: nuclear family 1 has fewer than three members"},
      {"member outside the family", [](Records& r) { r[3][7] = 7; },
       "family 1: nuclear family 2 lists member 7, which is not a member of the family (1..6)"},
      {"member zero (a parent given as 0)", [](Records& r) { r[3][2] = 0; },
       "family 1: nuclear family 1 lists member 0, which is not a member of the family (1..6)"},
      {"member listed twice", [](Records& r) { r[3][6] = 3; },
       "family 1: nuclear family 2 lists member 3 twice"},
      {"link outside its way", [](Records& r) { r[4] = {5, 0}; },
       "family 1: the link person 5 of nuclear family 1 is not a member of it"},
      {"link child not first",
       [](Records& r) { r[4] = {3, 6}; },
       "family 1: the link person 6 of nuclear family 2 does not stand first among its children"},
      {"shared member that is not the link", [](Records& r) { r[4] = {0, 0}; },
       "family 1: member 3 of nuclear family 1 belongs to a later nuclear family too but is not the "
       "link person"},
      {"trait code", [](Records& r) { r[5][4] = 4; },
       "family 1: member 4 has trait code 4 (1 unaffected, 2 affected, 3 unknown)"},
      {"sex code", [](Records& r) { r[7][1] = 0; }, "family 1: member 2 has sex code 0 (1 or 2)"},
      {"persons disagree", [](Records& r) { r[0] = {1, 1, 0, 5}; },
       "the families cover 5 persons, record 6 holds 6"},
      {"family count disagrees", [](Records& r) { r[0] = {1, 2, 0, 6}; },
       "record 1: the family boundaries do not start with 1, 0"},
      {"too many covariates", [](Records& r) { r[8] = {9}; },
       "record 9: 9 covariates; the model has coefficients for 8 at most"},
      // The least integer as the count of record 3 once made the reading of
      // the link persons overflow.
      {"way count at the least integer", [](Records& r) { r[2] = {INT32_MIN}, r[3] = {0}, r[4] = {}; },
       "record 3: the way boundaries hold fewer than two elements"},
      {"way count one above the least integer",
       [](Records& r) { r[2] = {INT32_MIN + 1}, r[3] = {0}, r[4] = {}; },
       "record 3: the way boundaries hold fewer than two elements"},
      {"short record", [](Records& r) { r[6].pop_back(); },
       "record 7: the record holds fewer values than are read from it"},
      {"file ends early", [](Records& r) { r.pop_back(); }, "record 9: the file ends before this record"},
  };
  for (const Case& c : cases) {
    Records r = kSixPersons;
    c.edit(r);
    int st = 0;
    EXPECT_EQ(read_status(r, &st), std::string(" ERROR in file IWAY.DAT: ") + c.message + "\n") << c.what;
    EXPECT_EQ(st, kin::kInputError) << c.what;
  }
}

TEST(PreparedFile, MissingFileIsNamed) {
  kintest::TempDir dir;
  TestConsole tc;
  auto fs = std::make_unique<kinfit::KinfitState>();
  EXPECT_EQ(stop_status([&] { kinfit::WWDAT(*fs, tc.con); }), kin::kInputError);
  EXPECT_EQ(tc.text(), " ERROR in file IWAY.DAT: cannot open the file (is it missing?)\n");
}

}  // namespace
