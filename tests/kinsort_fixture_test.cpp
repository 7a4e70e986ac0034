// kinsort on whole samples: each directory under fixtures/kinsort holds the
// input files of one run (in/) and everything the run must produce: the
// console text, the exit status, new_dat, def.err and the records of
// iway.dat. An expected file that is missing means the run must not write it.
// The prepared files are then read back by kinfit's reader.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "fit/wwdat.hpp"
#include "tests/kinsort_util.hpp"

namespace {

namespace fs = std::filesystem;
using kintest::read_file;
using kintest::records_from_text;

std::string case_dir(const std::string& name) { return kintest::fixture_dir() + "/kinsort/" + name; }

std::vector<std::string> case_names() {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(kintest::fixture_dir() + "/kinsort")) {
    if (e.is_directory()) names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::map<std::string, std::string> inputs_of(const std::string& name) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(case_dir(name) + "/in")) {
    files[e.path().filename().string()] = read_file(e.path().string());
  }
  return files;
}

// Compares the outputs in the current directory with the case's expectations.
void expect_outputs(const std::string& name) {
  const std::string dir = case_dir(name);
  for (const char* out : {"new_dat", "def.err"}) {
    if (kintest::exists(dir + "/" + out)) {
      ASSERT_TRUE(kintest::exists(out)) << out;
      EXPECT_EQ(read_file(out), read_file(dir + "/" + out)) << out;
    } else {
      EXPECT_FALSE(kintest::exists(out)) << out;
    }
  }
  if (kintest::exists(dir + "/iway.records")) {
    ASSERT_TRUE(kintest::exists("iway.dat"));
    EXPECT_EQ(read_file("iway.dat"), records_from_text(read_file(dir + "/iway.records")));
  } else {
    EXPECT_FALSE(kintest::exists("iway.dat"));
  }
}

class KinsortFixture : public ::testing::TestWithParam<std::string> {};

TEST_P(KinsortFixture, EveryOutputAsExpected) {
  const std::string name = GetParam();
  kintest::TempDir dir;
  const kintest::KinsortRun run = kintest::run_kinsort_with(inputs_of(name));
  EXPECT_EQ(run.console, read_file(case_dir(name) + "/console"));
  EXPECT_EQ(run.status, std::stoi(read_file(case_dir(name) + "/status")));
  expect_outputs(name);
}

INSTANTIATE_TEST_SUITE_P(Cases, KinsortFixture, ::testing::ValuesIn(case_names()),
                         [](const ::testing::TestParamInfo<std::string>& i) { return i.param; });

// kinfit's reader on what kinsort wrote.
std::string read_back(int* status) {
  kintest::TestConsole tc;
  auto fit = std::make_unique<kinfit::KinfitState>();
  *status = kintest::stop_status([&] { kinfit::WWDAT(*fit, tc.con); });
  return tc.text();
}

TEST(KinsortThenReader, PreparedFilesAreReadWithoutComplaint) {
  for (const char* name : {"three_generations", "link_swap", "sibships_apart", "half_sibs",
                           "three_families", "returning_ped", "covariates",
                           "eight_covariates_26_columns", "absent_columns"}) {
    SCOPED_TRACE(name);
    kintest::TempDir dir;
    ASSERT_EQ(kintest::run_kinsort_with(inputs_of(name)).status, 0);
    int status = 0;
    EXPECT_EQ(read_back(&status), "");
    EXPECT_EQ(status, -1);
  }
}

TEST(KinsortThenReader, FileWrittenAfterALoopIsRefusedAsIncomplete) {
  for (const char* name : {"cousin_loop", "loop_in_second_pedigree"}) {
    SCOPED_TRACE(name);
    kintest::TempDir dir;
    ASSERT_EQ(kintest::run_kinsort_with(inputs_of(name)).status, kin::kStopError);
    int status = 0;
    const std::string said = read_back(&status);
    EXPECT_NE(said.find("the pedigree structure is incomplete"), std::string::npos) << said;
    EXPECT_NE(said.find("def.err"), std::string::npos) << said;
    EXPECT_EQ(status, kin::kInputError);
  }
}

TEST(KinsortThenReader, ALoopReportDoesNotOutliveTheData) {
  kintest::TempDir dir;
  auto files = inputs_of("cousin_loop");
  ASSERT_EQ(kintest::run_kinsort_with(files).status, kin::kStopError);
  EXPECT_NE(read_file("def.err"), "");
  const kintest::KinsortRun again = kintest::run_kinsort_with(inputs_of("three_generations"));
  EXPECT_EQ(again.status, 0);
  EXPECT_EQ(read_file("def.err"), "");
  expect_outputs("three_generations");
}

// The program itself: console bound to the terminal's streams, exit status.
int run_program(const std::string& console_file) {
  const std::string cmd = std::string("'") + KINSORT_EXE + "' </dev/null >" + console_file;
  const int rc = std::system(cmd.c_str());
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

TEST(KinsortProgram, RunsInTheCurrentDirectoryAndReportsItsEnd) {
  {
    kintest::TempDir dir;
    for (const auto& [n, c] : inputs_of("three_generations")) kintest::write_file(n, c);
    EXPECT_EQ(run_program("console.txt"), 0);
    EXPECT_EQ(read_file("console.txt"), "");
    expect_outputs("three_generations");
  }
  {
    kintest::TempDir dir;
    for (const auto& [n, c] : inputs_of("loop_in_second_pedigree")) kintest::write_file(n, c);
    EXPECT_EQ(run_program("console.txt"), kin::kStopError);
    EXPECT_EQ(read_file("console.txt"), "");
    expect_outputs("loop_in_second_pedigree");
  }
  {
    // A stop with pause ends at the end of the input instead of waiting.
    kintest::TempDir dir;
    kintest::write_file("task.inp", "sample.dat\naff\n9\n");
    EXPECT_EQ(run_program("console.txt"), kin::kStopError);
    EXPECT_EQ(read_file("console.txt"),
              "  ERROR: number of covariates is more than declared\n Press Enter to continue\n");
  }
  {
    kintest::TempDir dir;
    EXPECT_EQ(run_program("console.txt"), kin::kInputError);
    EXPECT_EQ(read_file("console.txt"), " ERROR in file task.inp: cannot open the file (is it missing?)\n");
  }
}

}  // namespace
