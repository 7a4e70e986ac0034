// The worked examples of examples/: their input files are what the simulator
// draws from the committed settings, and kinsort and kinfit, run on them as
// the user runs them (through the programs, standard input at its end) and
// through the libraries, write every committed output file and console text
// byte for byte. So the example never goes stale: a change of any output shows
// here, and the committed files are then refreshed as examples/README.md says.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "fit/kinfit.hpp"
#include "prep/kinsort.hpp"
#include "tests/test_util.hpp"
#include "tools/simulate.hpp"

namespace {

namespace fs = std::filesystem;
using kintest::read_file;

const std::string kExample = KINSEG_EXAMPLE_DIR;
const char* const kInputs[] = {"sample.dat", "task.inp", "maxpar.inp", "par.inp"};
const char* const kOutputs[] = {"new_dat",    "def.err",    "iway.dat",       "max.dat",       "sigma.DAT",
                                "LH_fam.dat", "par.err",    "kinsort.console", "kinfit.console"};

TEST(Example, TheSimulatorDrawsTheCommittedInputs) {
  const kinsim::Settings settings = kinsim::read_settings(kExample + "/example.settings");
  ASSERT_TRUE(settings.seed.has_value());
  kintest::TempDir dir;
  kinsim::simulate(settings, *settings.seed);
  for (const char* name : {"sample.dat", "task.inp", "maxpar.inp", "par.inp", "truth.txt"})
    EXPECT_EQ(read_file(name), read_file(kExample + "/input/" + name)) << name;
}

// The second example's sample, a late-onset disease of women
// (examples/late_onset/), is what its settings draw.
TEST(Example, TheSimulatorDrawsTheLateOnsetSample) {
  const kinsim::Settings settings = kinsim::read_settings(kExample + "/late_onset/late_onset.settings");
  ASSERT_TRUE(settings.seed.has_value());
  kintest::TempDir dir;
  kinsim::simulate(settings, *settings.seed);
  for (const char* name : {"women.dat", "truth.txt"})
    EXPECT_EQ(read_file(name), read_file(kExample + "/late_onset/" + name)) << name;
}

// How the two programs are run: "Programs" as examples/run.sh runs them,
// "Libraries" through their entry points on a fresh state.
class ExampleRun : public ::testing::TestWithParam<std::string> {};

TEST_P(ExampleRun, WritesEveryCommittedOutput) {
  kintest::TempDir dir;
  for (const char* name : kInputs) fs::copy_file(kExample + "/input/" + name, name);

  if (GetParam() == "Programs") {
    const int sort = std::system(KINSORT_EXE " > kinsort.console");
    ASSERT_TRUE(WIFEXITED(sort) && WEXITSTATUS(sort) == 0) << sort;
    const int fit = std::system(KINFIT_EXE " < /dev/null > kinfit.console");
    ASSERT_TRUE(WIFEXITED(fit) && WEXITSTATUS(fit) == 0) << fit;
  } else {
    {
      kintest::TestConsole tc;
      auto s = std::make_unique<kinsort::KinsortState>();
      ASSERT_EQ(kinsort::run_kinsort(*s, tc.con), 0);
      kintest::write_file("kinsort.console", tc.text());
    }
    kintest::TestConsole tc;
    auto s = std::make_unique<kinfit::KinfitState>();
    ASSERT_EQ(kinfit::run_kinfit(*s, tc.con), 0);
    kintest::write_file("kinfit.console", tc.text());
  }

  for (const char* name : kOutputs)
    EXPECT_EQ(read_file(name), read_file(kExample + "/output/" + name)) << name;

  // Nothing else is written, and the inputs are left as they were.
  std::set<std::string> present, expected(std::begin(kInputs), std::end(kInputs));
  expected.insert(std::begin(kOutputs), std::end(kOutputs));
  for (const auto& e : fs::directory_iterator(".")) present.insert(e.path().filename().string());
  EXPECT_EQ(present, expected);
  for (const char* name : kInputs) EXPECT_EQ(read_file(name), read_file(kExample + "/input/" + name)) << name;
}

INSTANTIATE_TEST_SUITE_P(Runs, ExampleRun, ::testing::Values("Programs", "Libraries"),
                         [](const ::testing::TestParamInfo<std::string>& i) { return i.param; });

}  // namespace
