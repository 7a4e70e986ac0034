// kinsort's checks of the task file, the header and the rows: every message
// with its exact console text and exit status, the column dictionary, and the
// table limits.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "format/records.hpp"
#include "common/table_limits.hpp"
#include "prep/read_file.hpp"
#include "tests/kinsort_util.hpp"

namespace {

using kintest::exists;
using kintest::read_file;
using kintest::run_kinsort_with;

const std::string kPrompt = " Press Enter to continue\n";
const std::string kHeader = "ped id fa mo sex aff\n";
const std::string kRows = "1 1 0 0 1 1\n1 2 0 0 2 2\n1 3 1 2 1 1\n";
const std::string kTask = "sample.dat\naff\n0\n";

struct Case {
  const char* what;
  std::string task;
  std::string data;  // written as sample.dat unless empty
  std::string console;
  int status;
  bool structure_step = false;  // the run stops in the structure step
};

void run_cases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    kintest::TempDir dir;
    std::map<std::string, std::string> files;
    if (!c.task.empty()) files["task.inp"] = c.task;
    if (!c.data.empty()) files["sample.dat"] = c.data;
    const kintest::KinsortRun run = run_kinsort_with(files, "\n");
    EXPECT_EQ(run.console, c.console);
    EXPECT_EQ(run.status, c.status);
    // A run stopped by a check writes no prepared file; one stopped before
    // the structure step writes nothing at all.
    if (c.status != 0) {
      EXPECT_FALSE(exists("iway.dat"));
      EXPECT_EQ(exists("new_dat"), c.structure_step);
      if (!c.structure_step) {
        EXPECT_FALSE(exists("def.err"));
      }
    }
  }
}

TEST(KinsortTaskFile, DataFileNameNeedsAnExtensionWithinItsFirst20Characters) {
  const std::string refused = std::string(38, ' ') + "\n" +
                              " ERROR: name of file with sample data \n"
                              " must have extension\n"
                              " Stop program \n"
                              " " + std::string(37, '*') + "  \n" + kPrompt;
  run_cases({
      {"no extension", "sampledat\naff\n0\n", kHeader + kRows, refused, kin::kStopError},
      {"dot after character 20", "abcdefghijklmnopqrst.dat\naff\n0\n", kHeader + kRows, refused,
       kin::kStopError},
  });
  // A name whose dot is its 20th character is accepted, and opened as it stands.
  kintest::TempDir dir;
  const auto run = run_kinsort_with({{"task.inp", "abcdefghijklmnopqrs.\naff\n0\n"},
                                     {"abcdefghijklmnopqrs.", kHeader + kRows}});
  EXPECT_EQ(run.console, "");
  EXPECT_EQ(run.status, 0);
}

TEST(KinsortTaskFile, NamesMayBeQuotedAndTrailingBlanksAreNotPartOfTheFileName) {
  // A tab, a comma or a slash belongs to a header name; task.inp quotes such names.
  kintest::TempDir dir;
  const auto run = run_kinsort_with(
      {{"task.inp", "'my data.dat   ' the sample\n\"aff,\tst\"\n1\n'age/y'\n"},
       {"my data.dat", "ped id fa mo sex aff,\tst age/y\n1 1 0 0 1 2 30\n"}});
  EXPECT_EQ(run.console, "");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(read_file("new_dat"), "     1     2\n     1     1     0     0     1     2     2    30\n");
}

TEST(KinsortTaskFile, NumberOfCovariates) {
  const std::string more = "  ERROR: number of covariates is more than declared\n" + kPrompt;
  run_cases({
      // Refused before any covariate name is read: the file may end here.
      {"one more than the limit", "sample.dat\naff\n" + std::to_string(kinsort::kMaxCov + 1) + "\n",
       kHeader + kRows, more, kin::kStopError},
      {"negative", "sample.dat\naff\n-1\n", kHeader + kRows,
       "  ERROR: number of covariates in task.inp is negative: -1\n" + kPrompt, kin::kStopError},
      {"not an integer", "sample.dat\naff\n2.5\n", kHeader + kRows,
       " ERROR in file task.inp, line 3: '2.5' is not an integer\n", kin::kInputError},
      {"task file ends before the covariate names", "sample.dat\naff\n2\nage\n", kHeader + kRows,
       " ERROR in file task.inp: the file ends before all values were read\n", kin::kInputError},
      {"task file missing", "", kHeader + kRows,
       " ERROR in file task.inp: cannot open the file (is it missing?)\n", kin::kInputError},
      {"data file missing", kTask, "",
       " ERROR in file sample.dat: cannot open the file (is it missing?)\n", kin::kInputError},
  });
}

TEST(KinsortHeader, ColumnCountAndPassportNames) {
  std::string wide = "ped id fa mo sex aff";
  for (int c = 7; c <= kinsort::kMaxColumns + 1; ++c) wide += " x" + std::to_string(c);
  const std::string pad17(17, ' ');
  run_cases({
      {"one column more than the limit", kTask, wide + "\n" + kRows,
       "  ERROR: number of columns is more than declared\n" + kPrompt, kin::kStopError},
      {"PED", kTask, "PED id fa mo sex aff\n" + kRows,
       "  ERROR of passport data names: ped= PED" + pad17 + "\n", kin::kStopError},
      {"all four wrong, all reported", kTask, "Ped ID father mo1 sex aff\n" + kRows,
       "  ERROR of passport data names: ped= Ped" + pad17 + "\n"
       "  ERROR of passport data names: id= ID" + std::string(18, ' ') + "\n"
       "  ERROR of passport data names: fa= father" + std::string(14, ' ') + "\n"
       "  ERROR of passport data names: mo= mo1" + pad17 + "\n",
       kin::kStopError},
      {"header of three columns", kTask, "ped id fa\n" + kRows,
       "  ERROR of passport data names: mo= " + std::string(20, ' ') + "\n", kin::kStopError},
      {"two blanks make an empty name", kTask, "ped id  fa mo sex aff\n" + kRows,
       "  ERROR of passport data names: fa= " + std::string(20, ' ') + "\n"
       "  ERROR of passport data names: mo= fa" + std::string(18, ' ') + "\n",
       kin::kStopError},
      {"name longer than 20 characters", kTask,
       "ped id fa mo sex aff a_name_of_21_letters_\n" + kRows,
       "  ERROR of data names: column 7 of sample.dat has a name longer than 20 characters: "
       "a_name_of_21_letters_\n" + kPrompt,
       kin::kStopError},
  });
  // An empty data file has no header line.
  kintest::TempDir dir;
  const auto run = run_kinsort_with({{"task.inp", kTask}, {"sample.dat", ""}});
  EXPECT_EQ(run.console, " ERROR in file sample.dat: the file ends before all values were read\n");
  EXPECT_EQ(run.status, kin::kInputError);
}

// The dictionary built from a header, with task.inp naming `trait` and `covs`.
struct Dictionary {
  int ncol, sex, prob, trait;
  std::vector<int> cov;
  std::string console;
};

Dictionary dictionary(const std::string& header, const std::string& trait,
                      const std::vector<std::string>& covs) {
  kintest::TempDir dir;
  std::string task = "sample.dat\n" + trait + "\n" + std::to_string(covs.size()) + "\n";
  for (const auto& c : covs) task += c + "\n";
  kintest::write_file("task.inp", task);
  kintest::write_file("sample.dat", header + "\n");
  kintest::TestConsole tc;
  auto s = std::make_unique<kinsort::KinsortState>();
  kinsort::read_task(*s, tc.con);
  kinsort::read_header(*s, tc.con);
  Dictionary d{s->task.ncol, s->task.col_sex, s->task.col_prob, s->task.col_trait, {}, tc.text()};
  for (int j = 1; j <= static_cast<int>(covs.size()); ++j) d.cov.push_back(s->task.col_cov(j));
  return d;
}

TEST(KinsortHeader, ColumnDictionary) {
  Dictionary d = dictionary("ped id fa mo sex aff", "aff", {});
  EXPECT_EQ(d.ncol, 6);
  EXPECT_EQ(d.sex, 5);
  EXPECT_EQ(d.trait, 6);
  EXPECT_EQ(d.prob, 0);  // no message for a missing proband column
  EXPECT_EQ(d.console, "");

  d = dictionary("ped id fa mo sex aff ", "aff", {});
  EXPECT_EQ(d.ncol, 7);  // a blank at the end makes an empty last column

  // The rightmost of two equal names counts; one column may carry two roles.
  d = dictionary("ped id fa mo sex prob x y sex prob", "sex", {"x", "x"});
  EXPECT_EQ(d.sex, 9);
  EXPECT_EQ(d.prob, 10);
  EXPECT_EQ(d.trait, 9);
  EXPECT_EQ(d.cov, (std::vector<int>{7, 7}));

  // Names compare exactly; the passport columns are never searched.
  d = dictionary("ped id fa mo Sex SEX sex1 AFF", "aff", {"ped", "SEX"});
  EXPECT_EQ(d.sex, 0);
  EXPECT_EQ(d.trait, 0);
  EXPECT_EQ(d.cov, (std::vector<int>{0, 6}));
  EXPECT_EQ(d.console, "  ERROR of data names: sex column absent\n"
                       "  ERROR of data names: trait column absent\n"
                       " ERROR of data names: covariate 1 column absent\n");

  // A tab belongs to the name.
  d = dictionary("ped id fa mo sex\taff", "aff", {});
  EXPECT_EQ(d.ncol, 5);
  EXPECT_EQ(d.trait, 0);

  // A CR LF line end is not part of the last name.
  d = dictionary("ped id fa mo sex aff\r", "aff", {});
  EXPECT_EQ(d.ncol, 6);
  EXPECT_EQ(d.trait, 6);

  // A name of 20 characters is a name like any other.
  d = dictionary("ped id fa mo sex a_name_of_20_letters", "a_name_of_20_letters", {});
  EXPECT_EQ(d.trait, 6);
}

std::string founders(int n, int trait = 1) {
  std::string rows;
  for (int i = 1; i <= n; ++i) rows += "1 " + std::to_string(i) + " 0 0 1 " + std::to_string(trait) + "\n";
  return rows;
}

TEST(KinsortRows, TraitCodes) {
  const std::string bad = "  ERROR: analyzed trait is not binary trait\n" + kPrompt;
  run_cases({
      {"0", kTask, kHeader + founders(3) + "1 4 0 0 1 0\n", bad, kin::kStopError},
      {"-1, reported once", kTask, kHeader + "1 1 0 0 1 -1\n" + founders(2) + "1 4 0 0 1 -1\n", bad,
       kin::kStopError},
      {"4", kTask, kHeader + "1 1 0 0 1 4\n", bad, kin::kStopError},
      {"no trait column", kTask, "ped id fa mo sex status\n" + founders(2),
       "  ERROR of data names: trait column absent\n" + bad, kin::kStopError},
      {"1, 2 and 3 pass", kTask, kHeader + founders(1, 1) + founders(1, 2) + founders(1, 3), "", 0},
      // The whole file is read before the trait check: a bad value later
      // still ends the run with the input error.
      {"input error after a bad trait", kTask, kHeader + "1 1 0 0 1 9\n1 2 0 0 x 1\n",
       " ERROR in file sample.dat, line 3: 'x' is not an integer\n", kin::kInputError},
  });
}

TEST(KinsortRows, HowRowsEnd) {
  run_cases({
      {"trailing empty line", kTask, kHeader + kRows + "\n",
       " ERROR in file sample.dat: the file ends before all values were read\n", kin::kInputError},
      {"last row short", kTask, kHeader + kRows + "1 4 0 0\n",
       " ERROR in file sample.dat: the file ends before all values were read\n", kin::kInputError},
      {"no rows", kTask, kHeader,
       "  ERROR: file sample.dat holds no data rows\n" + kPrompt, kin::kStopError},
      {"last line without its line end", kTask, kHeader + "1 1 0 0 1 1", "", 0},
  });
}

TEST(KinsortRows, AValueLeftOutOfARowReadsAsZero) {
  kintest::TempDir dir;
  const auto run = run_kinsort_with(
      {{"task.inp", "sample.dat\naff\n1\nage\n"},
       {"sample.dat", "ped id fa mo aff sex age\n1 1 0 0 2 2 50\n1 2 0 0 1,,7\n1 3 0 0 1 /\n"}});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(read_file("new_dat"),
            "     3     2\n"
            "     1     1     0     0     2     2     2    50\n"
            "     1     2     0     0     0     2     1     7\n"
            "     1     3     0     0     0     2     1     0\n");
}

TEST(KinsortRows, NumberOfPersons) {
  const std::string more = "  ERROR: number of persons is more than declared\n" + kPrompt;
  {
    kintest::TempDir dir;
    const auto run = run_kinsort_with({{"task.inp", kTask},
                                       {"sample.dat", kHeader + founders(kinsort::kMaxPersons)}});
    EXPECT_EQ(run.console, "");
    EXPECT_EQ(run.status, 0);
    kintest::TestConsole tc;
    kin::RecordReader rd("iway.dat", read_file("iway.dat"), tc.con);
    for (int r = 1; r <= 6; ++r) rd.next_record();
    EXPECT_EQ(rd.get(), kinsort::kMaxPersons);
  }
  run_cases({
      {"one more", kTask, kHeader + founders(kinsort::kMaxPersons + 1), more, kin::kStopError},
      // The check comes as soon as the first row too many is read: the rest
      // of the file is never looked at.
      {"far more", kTask, kHeader + founders(kinsort::kMaxPersons + 5000) + "not a row\n", more,
       kin::kStopError},
  });
}

// Rows of nuclear families that share no member, for the limit tests. Each
// family has parents of its own (who have no rows) and one child, except that
// the last one has `extra` further children. Ids run on within the sample.
struct Sample {
  std::string rows;
  int id = 0;
  int parent = 10000;
  void add(int ped, int count, int extra = 0) {
    for (int f = 1; f <= count; ++f) {
      parent += 2;
      for (int c = 0; c <= (f == count ? extra : 0); ++c) {
        rows += std::to_string(ped) + " " + std::to_string(++id) + " " + std::to_string(parent) + " " +
                std::to_string(parent + 1) + " 1 1\n";
      }
    }
  }
  // Families of pedigree `ped` whose member lists take exactly `entries` places.
  void fill(int ped, int entries) { add(ped, entries / 3, entries % 3); }
};

std::string limit_message(const std::string& what, int limit) {
  return "  ERROR: " + what + " is more than declared (limit " + std::to_string(limit) + ")\n" + kPrompt;
}

TEST(KinsortLimits, Pedigrees) {
  static_assert(kinsort::kMaxPedigrees + 1 <= kinsort::kMaxPersons, "one row per pedigree");
  std::string rows;
  for (int p = 1; p <= kinsort::kMaxPedigrees; ++p) rows += std::to_string(p) + " 1 0 0 1 1\n";
  run_cases({
      {"at the limit", kTask, kHeader + rows, "", 0},
      {"one more", kTask, kHeader + rows + "0 1 0 0 1 1\n",
       limit_message("number of pedigrees", kinsort::kMaxPedigrees), kin::kStopError, true},
  });
}

TEST(KinsortLimits, MemberLists) {
  const int m = kinsort::kMaxMembers;
  if (m / 3 + 2 > kinsort::kMaxPersons || m / 3 + 1 > kinsort::kMaxWays) {
    GTEST_SKIP() << "another limit comes first with these limits";
  }
  Sample two, two_over, one, one_over;
  two.fill(1, m / 2), two.fill(2, m - m / 2);
  two_over.fill(1, m / 2), two_over.fill(2, m - m / 2 + 1);
  one.fill(1, m);
  one_over.fill(1, m + 1);
  run_cases({
      {"two pedigrees at the limit", kTask, kHeader + two.rows, "", 0},
      {"two pedigrees, one member more", kTask, kHeader + two_over.rows,
       limit_message("length of the member lists", m), kin::kStopError, true},
      {"one pedigree at the limit", kTask, kHeader + one.rows, "", 0},
      {"one pedigree, one member more", kTask, kHeader + one_over.rows,
       limit_message("length of the member lists of pedigree 1", m), kin::kStopError, true},
  });
  kintest::TempDir dir;
  ASSERT_EQ(run_kinsort_with({{"task.inp", kTask}, {"sample.dat", kHeader + two.rows}}).status, 0);
  kintest::TestConsole tc;
  kin::RecordReader rd("iway.dat", read_file("iway.dat"), tc.con);
  for (int r = 1; r <= 4; ++r) rd.next_record();
  EXPECT_EQ(rd.get(), m);  // LEN
}

TEST(KinsortLimits, NuclearFamilies) {
  const int w = kinsort::kMaxWays;
  // Every nuclear family has three members at least, so the member lists
  // reach their limit first unless the limits are set otherwise.
  if (3 * (w + 1) > kinsort::kMaxMembers || w + 1 > kinsort::kMaxPersons) {
    GTEST_SKIP() << "the member-list limit comes first with these limits";
  }
  Sample two, two_over, one_over;
  two.add(1, w / 2), two.add(2, w - w / 2);
  two_over.add(1, w / 2), two_over.add(2, w - w / 2 + 1);
  one_over.add(1, w + 1);
  run_cases({
      {"at the limit", kTask, kHeader + two.rows, "", 0},
      {"one more", kTask, kHeader + two_over.rows, limit_message("number of nuclear families", w),
       kin::kStopError, true},
      {"one more in one pedigree", kTask, kHeader + one_over.rows,
       limit_message("number of nuclear families of pedigree 1", w), kin::kStopError, true},
  });
}

}  // namespace
