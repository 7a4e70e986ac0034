// Both programs against files that are damaged or cannot be had: input names
// that lead to a directory or a device, output files that cannot be created,
// a prepared file and control files cut short at every point. Each run must end
// with the error report that names the file, never with a crash or a
// misleading message, and write none of the outputs that come after the fault.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "common/free_input.hpp"
#include "fit/kinfit.hpp"
#include "format/records.hpp"
#include "fuzz/sample_file.hpp"
#include "tests/kinsort_util.hpp"
#include "tests/test_util.hpp"

namespace {

using kintest::exists;
using kintest::read_file;
using kintest::stop_status;
using kintest::TestConsole;
using kintest::write_file;

const std::string kTask = "sample.dat\naff\n0\n";
const std::string kData = "ped id fa mo sex aff\n1 1 0 0 1 1\n1 2 0 0 2 2\n1 3 1 2 1 2\n";

// The fuzz targets' small valid sample: two families, one covariate.
std::string prepared_file() { return kinfuzz::small_prepared_file(); }

const std::string kMaxpar = "0\n1.0E-4\n3\n0.5\n1.0E-5\n4\n";
const std::string kPar =
    "2 0\n"
    "11\n"
    "1 1 1 0.3 0.05 0.0 1.0\n"
    "2 1 1 -1.0 0.5 -10.0 10.0\n"
    "3 1 0 0.0 0.5 -10.0 10.0\n"
    "4 1 1 1.0 0.5 -10.0 10.0\n";

struct KinfitRun {
  int status = -1;
  std::string console;
};

KinfitRun run_kinfit() {
  TestConsole tc("\n");
  auto s = std::make_unique<kinfit::KinfitState>();
  KinfitRun r;
  r.status = kinfit::run_kinfit(*s, tc.con);
  r.console = tc.text();
  return r;
}

// The last line a run wrote on the console, without its line end.
std::string last_line(std::string console) {
  if (!console.empty() && console.back() == '\n') console.pop_back();
  const size_t nl = console.rfind('\n');
  return nl == std::string::npos ? console : console.substr(nl + 1);
}

TEST(InputFiles, ANameThatIsNotARegularFileCannotBeOpened) {
  kintest::TempDir dir;
  ASSERT_EQ(::mkdir("data.d", 0755), 0);
  struct Case {
    const char* name;
    const char* message;
  } cases[] = {
      {"data.d", " ERROR in file data.d: cannot open the file (it is a directory)\n"},
      {"/dev/null", " ERROR in file /dev/null: cannot open the file (it is not a regular file)\n"},
      {"none.inp", " ERROR in file none.inp: cannot open the file (is it missing?)\n"},
  };
  for (const Case& c : cases) {
    {
      TestConsole tc;
      EXPECT_EQ(stop_status([&] { kin::FreeInput in(c.name, tc.con); }), kin::kInputError) << c.name;
      EXPECT_EQ(tc.text(), c.message);
    }
    {
      TestConsole tc;
      EXPECT_EQ(stop_status([&] { kin::RecordReader rd(c.name, tc.con); }), kin::kInputError) << c.name;
      EXPECT_EQ(tc.text(), c.message);
    }
  }
}

TEST(InputFiles, TaskFileNamingADirectory) {
  kintest::TempDir dir;
  ASSERT_EQ(::mkdir("sample.dat", 0755), 0);
  auto run = kintest::run_kinsort_with({{"task.inp", kTask}});
  EXPECT_EQ(run.console, " ERROR in file sample.dat: cannot open the file (it is a directory)\n");
  EXPECT_EQ(run.status, kin::kInputError);
  // "." passes the test for an extension and is a directory too.
  run = kintest::run_kinsort_with({{"task.inp", ".\naff\n0\n"}});
  EXPECT_EQ(run.console, " ERROR in file .: cannot open the file (it is a directory)\n");
  EXPECT_FALSE(exists("new_dat"));
}

// A directory standing where an output file is to be written cannot be
// replaced by the file, whoever runs the program.
TEST(OutputFiles, KinsortNamesTheFileItCannotCreate) {
  for (const char* name : {"new_dat", "def.err", "iway.dat"}) {
    SCOPED_TRACE(name);
    kintest::TempDir dir;
    ASSERT_EQ(::mkdir(name, 0755), 0);
    const auto run = kintest::run_kinsort_with({{"task.inp", kTask}, {"sample.dat", kData}});
    EXPECT_EQ(run.console, std::string(" ERROR in file ") + name + ": cannot create the file\n");
    EXPECT_EQ(run.status, kin::kInputError);
    if (std::string(name) != "iway.dat") {
      EXPECT_FALSE(exists("iway.dat"));
    }
  }
}

TEST(OutputFiles, KinfitNamesTheFileItCannotCreate) {
  // In the order in which the run opens them; none of the later ones is written.
  const std::vector<std::string> outputs = {"par.err", "max.dat", "sigma.DAT", "LH_fam.dat"};
  for (size_t k = 0; k < outputs.size(); ++k) {
    SCOPED_TRACE(outputs[k]);
    kintest::TempDir dir;
    write_file("maxpar.inp", kMaxpar);
    write_file("par.inp", kPar);
    write_file("IWAY.DAT", prepared_file());
    ASSERT_EQ(::mkdir(outputs[k].c_str(), 0755), 0);
    const KinfitRun run = run_kinfit();
    EXPECT_EQ(last_line(run.console), " ERROR in file " + outputs[k] + ": cannot create the file");
    EXPECT_EQ(run.status, kin::kInputError);
    for (size_t later = k + 1; later < outputs.size(); ++later) EXPECT_FALSE(exists(outputs[later]));
  }
}

// Without write permission on the directory. Permission bits do not stop the
// superuser, so the case only runs for other users.
TEST(OutputFiles, ReadOnlyDirectory) {
  if (::geteuid() == 0) GTEST_SKIP() << "permission bits do not stop the superuser";
  kintest::TempDir dir;
  write_file("task.inp", kTask);
  write_file("sample.dat", kData);
  ASSERT_EQ(::chmod(".", 0555), 0);
  const auto run = kintest::run_kinsort_with({});
  ::chmod(".", 0755);
  EXPECT_EQ(run.console, " ERROR in file new_dat: cannot create the file\n");
  EXPECT_EQ(run.status, kin::kInputError);
}

// The whole run of kinfit on a prepared file cut short after every byte: the
// run ends with the report that names IWAY.DAT and the record where the file
// gave out, before any likelihood is computed.
TEST(TruncatedFiles, PreparedFileCutAnywhere) {
  kintest::TempDir dir;
  write_file("maxpar.inp", kMaxpar);
  write_file("par.inp", kPar);
  const std::string whole = prepared_file();
  for (size_t len = 0; len < whole.size(); ++len) {
    SCOPED_TRACE(len);
    write_file("IWAY.DAT", whole.substr(0, len));
    const KinfitRun run = run_kinfit();
    EXPECT_EQ(run.status, kin::kInputError);
    EXPECT_EQ(run.console.rfind(" ERROR in file IWAY.DAT: record ", 0), 0u) << run.console;
    EXPECT_EQ(std::count(run.console.begin(), run.console.end(), '\n'), 1) << run.console;
    EXPECT_FALSE(exists("sigma.DAT"));
  }
  write_file("IWAY.DAT", whole);
  EXPECT_EQ(run_kinfit().status, kin::kNormalEnd);
}

// Control files cut after every line, and the last line of par.inp cut before
// its last value: every read finds the file at its end.
TEST(TruncatedFiles, ControlFilesCutShort) {
  auto lines_of = [](const std::string& text) {
    std::vector<std::string> prefixes;
    for (size_t p = text.find('\n'); p != std::string::npos; p = text.find('\n', p + 1))
      prefixes.push_back(text.substr(0, p + 1));
    prefixes.pop_back();  // the whole file
    prefixes.insert(prefixes.begin(), "");
    return prefixes;
  };
  struct Cut {
    std::string maxpar, par, file;
  };
  std::vector<Cut> cuts;
  for (const std::string& m : lines_of(kMaxpar)) cuts.push_back({m, kPar, "maxpar.inp"});
  for (const std::string& p : lines_of(kPar)) cuts.push_back({kMaxpar, p, "par.inp"});
  cuts.push_back({kMaxpar, kPar.substr(0, kPar.rfind(' ')), "par.inp"});
  for (const Cut& c : cuts) {
    SCOPED_TRACE(c.file + " as:\n" + (c.file == "par.inp" ? c.par : c.maxpar));
    kintest::TempDir dir;
    write_file("maxpar.inp", c.maxpar);
    write_file("par.inp", c.par);
    write_file("IWAY.DAT", prepared_file());
    const KinfitRun run = run_kinfit();
    EXPECT_EQ(run.console, " ERROR in file " + c.file + ": the file ends before all values were read\n");
    EXPECT_EQ(run.status, kin::kInputError);
    EXPECT_FALSE(exists("sigma.DAT"));
  }
}

}  // namespace
