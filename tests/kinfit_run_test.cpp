// kinfit on whole samples. Each directory under fixtures/kinfit holds the input
// files of one run (in/) and everything the run must produce: the console text
// (the pause answered by the end of the input), the exit status, max.dat,
// sigma.DAT, LH_fam.dat and par.err. An expected file that is missing means the
// run must not write it. The prepared file comes either as its records in text
// (in/iway.records, one record a line, written as IWAY.DAT) or from a data
// file and task.inp that kinsort turns into iway.dat in the same directory
// first (kinsort_status then holds kinsort's exit status, when it is not 0).
// fixtures/kinfit/README.md tells what each case shows.
//
// Then: the reported ln LH of a search stopped at its iteration limit belongs
// to the point left in X; the built programs run one after the other with
// standard input closed; and a sample of a few hundred persons is fitted in
// well under a second.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>

#include "fit/kinfit.hpp"
#include "tests/kinsort_util.hpp"
#include "tools/simulate.hpp"

namespace {

namespace fs = std::filesystem;
using kintest::exists;
using kintest::read_file;

const char* const kOutputs[] = {"max.dat", "sigma.DAT", "LH_fam.dat", "par.err"};
const char* const kKinsortOutputs[] = {"iway.dat", "new_dat", "def.err"};

std::string case_dir(const std::string& name) { return kintest::fixture_dir() + "/kinfit/" + name; }

std::vector<std::string> case_names() {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(kintest::fixture_dir() + "/kinfit"))
    if (e.is_directory()) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

int expected_status(const std::string& file) {
  return exists(file) ? std::stoi(read_file(file)) : 0;
}

// Writes the case's input files into the current directory and returns their
// names as they stand there.
std::set<std::string> write_inputs(const std::string& name) {
  std::set<std::string> written;
  for (const auto& e : fs::directory_iterator(case_dir(name) + "/in")) {
    const std::string file = e.path().filename().string();
    if (file == "iway.records") {
      kintest::write_file("IWAY.DAT", kintest::records_from_text(read_file(e.path().string())));
      written.insert("IWAY.DAT");
    } else {
      kintest::write_file(file, read_file(e.path().string()));
      written.insert(file);
    }
  }
  return written;
}

// Compares the outputs in the current directory with the case's expectations,
// and checks that nothing else was written (no control file created, say).
void expect_outputs(const std::string& name, const std::set<std::string>& inputs) {
  const std::string dir = case_dir(name);
  std::set<std::string> allowed = inputs;
  for (const char* out : kOutputs) {
    SCOPED_TRACE(out);
    if (exists(dir + "/" + out)) {
      allowed.insert(out);
      ASSERT_TRUE(exists(out));
      EXPECT_EQ(read_file(out), read_file(dir + "/" + out));
    } else {
      EXPECT_FALSE(exists(out));
    }
  }
  if (inputs.count("task.inp"))
    for (const char* out : kKinsortOutputs) allowed.insert(out);
  for (const auto& e : fs::directory_iterator("."))
    EXPECT_TRUE(allowed.count(e.path().filename().string())) << "unexpected file " << e.path();
}

class KinfitFixture : public ::testing::TestWithParam<std::string> {};

TEST_P(KinfitFixture, EveryOutputAsExpected) {
  const std::string name = GetParam();
  const std::string dir = case_dir(name);
  kintest::TempDir tmp;
  const std::set<std::string> inputs = write_inputs(name);
  if (inputs.count("task.inp")) {
    const kintest::KinsortRun sorted = kintest::run_kinsort_with({});
    ASSERT_EQ(sorted.status, expected_status(dir + "/kinsort_status")) << sorted.console;
  }
  kintest::TestConsole tc;
  auto state = std::make_unique<kinfit::KinfitState>();
  const int status = kinfit::run_kinfit(*state, tc.con);
  EXPECT_EQ(tc.text(), read_file(dir + "/console"));
  EXPECT_EQ(status, std::stoi(read_file(dir + "/status")));
  expect_outputs(name, inputs);
}

INSTANTIATE_TEST_SUITE_P(Cases, KinfitFixture, ::testing::ValuesIn(case_names()),
                         [](const ::testing::TestParamInfo<std::string>& i) { return i.param; });

// The ln LH written to sigma.DAT after a search stopped at its iteration limit
// is that of the point the search left in X: the final evaluation at that
// point lists each family's NI and contribution / NI, which add up to it.
TEST(KinfitIterationLimit, ReportedLnLHBelongsToThePointLeft) {
  for (const char* name : {"iteration_limit", "iteration_limit_last_point_refused"}) {
    SCOPED_TRACE(name);
    kintest::TempDir tmp;
    write_inputs(name);
    kintest::TestConsole tc;
    auto state = std::make_unique<kinfit::KinfitState>();
    ASSERT_EQ(kinfit::run_kinfit(*state, tc.con), 0);
    EXPECT_EQ(read_file("par.err"), " MAXIMUM NOT FOUND\n");
    EXPECT_EQ(state->OPTPAR1.NITER, state->MAXIT + 1);

    std::istringstream lines(read_file("LH_fam.dat"));
    std::string line;
    double sum = 0.0;
    int families = 0;
    while (std::getline(lines, line)) {
      ASSERT_EQ(line.size(), 24u) << line;
      sum += std::stod(line.substr(4, 5)) * std::stod(line.substr(9, 15));
      ++families;
    }
    EXPECT_GT(families, 0);
    const double fmax = state->OPTPAR1.FMAX;
    EXPECT_LT(fmax, -1.0);
    EXPECT_NEAR(sum, fmax, 1e-7 * std::fabs(fmax));
    // sigma.DAT shows the same value.
    std::istringstream sigma(read_file("sigma.DAT"));
    for (int i = 0; i < 4; ++i) std::getline(sigma, line);
    EXPECT_NEAR(std::stod(line.substr(9)), fmax, 1e-7 * std::fabs(fmax));
  }
}

// The built programs, run one after the other in one directory with standard
// input closed, as a user's script would run them.
int run_program(const char* exe) {
  const std::string cmd = std::string("'") + exe + "' <&- >console.txt 2>&1";
  const int rc = std::system(cmd.c_str());
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

TEST(KinsortThenKinfitPrograms, RunWithStandardInputClosed) {
  for (const char* name : {"pipeline_kinsort_kinfit", "prepared_after_loop"}) {
    SCOPED_TRACE(name);
    const std::string dir = case_dir(name);
    kintest::TempDir tmp;
    std::set<std::string> inputs = write_inputs(name);
    EXPECT_EQ(run_program(KINSORT_EXE), expected_status(dir + "/kinsort_status"));
    EXPECT_EQ(read_file("console.txt"), "");
    EXPECT_EQ(run_program(KINFIT_EXE), std::stoi(read_file(dir + "/status")));
    EXPECT_EQ(read_file("console.txt"), read_file(dir + "/console"));
    inputs.insert("console.txt");
    expect_outputs(name, inputs);
  }
  {
    // Refused start values: the pause ends at the closed input, status 1.
    const std::string dir = case_dir("refused_w1_above_w3");
    kintest::TempDir tmp;
    std::set<std::string> inputs = write_inputs("refused_w1_above_w3");
    EXPECT_EQ(run_program(KINFIT_EXE), 1);
    EXPECT_EQ(read_file("console.txt"), read_file(dir + "/console"));
    inputs.insert("console.txt");
    expect_outputs("refused_w1_above_w3", inputs);
  }
}

// A whole analysis of a drawn sample of a few hundred persons in three-
// generation pedigrees, with a covariate, sex increments and regressive terms,
// converges after a real search. Its speed is measured in bench/ (KinfitRun),
// not here: a timed test fails on a busy machine.
TEST(KinfitRun, SampleOfSeveralHundredPersonsConverges) {
  const kinsim::Settings settings = kinsim::parse_settings(
      "families = 60\ngenerations = 2\nchildren = poisson 2.5 1\nmarry = 0.4\n"
      "ascertainment = single 0.5\nunknown = 0.05\ncov1 = smoker binary 0.3\n"
      "Q = 0.8\nW1 = -3\nW2 = -3\nW3 = 0.5\nV1 = 0.5\nV2 = 0.5\nV3 = 0.5\n"
      "D1 = 0.7\nRo1 = -0.3\nRo2 = 0.6\nlink.V2 = V1\nlink.V3 = V1\nstart.Q = 0.7\n"
      "maxit = 300\n",
      "speed.settings");
  kintest::TempDir tmp;
  const kinsim::Sample sample = kinsim::simulate(settings, 20240611);
  ASSERT_GE(sample.persons.size(), 300u);
  ASSERT_EQ(kintest::run_kinsort_with({}).status, 0);

  kintest::TestConsole tc;
  auto state = std::make_unique<kinfit::KinfitState>();
  const int status = kinfit::run_kinfit(*state, tc.con);
  ASSERT_EQ(status, 0) << tc.text();
  EXPECT_EQ(read_file("par.err"), "");  // converged
  EXPECT_GT(state->OPTPAR1.NFUN, 100);  // a real search, not a stop at the start
}

}  // namespace
