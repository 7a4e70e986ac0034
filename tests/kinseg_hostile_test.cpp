// kinseg under hostile input and faults, as found by fuzzing the reader and
// the command line: every reproducer ends with a message and the documented
// exit status (0 done, 1 refused data, 2 usage or a file that cannot be
// written); outputs are written whole or not at all, never in place of a
// device, a FIFO or a symbolic link, and no temporary file outlives an
// interrupted run.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "pedigree/file_error.hpp"
#include "pedigree/whole_files.hpp"
#include "tests/kinseg_run.hpp"

namespace {

using kintest::exists;
using kintest::has;
using kintest::kinseg;
using kintest::read_file;
using kintest::write_file;

const std::string kExample = std::string(KINSEG_EXAMPLE_DIR) + "/input/sample.dat";

std::vector<std::string> names_here(const std::string& dir = ".") {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (const dirent* e = readdir(d))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
    closedir(d);
  }
  return names;
}

bool temporary_left(const std::string& dir = ".") {
  for (const std::string& n : names_here(dir))
    if (has(n, ".tmp-kinseg-")) return true;
  return false;
}

// The example with its smoker column (0/1) replaced by VALUE and 0.
void write_example_with_smoker(const std::string& name, const std::string& value) {
  std::istringstream in(read_file(kExample));
  std::string out, line;
  std::getline(in, line);
  out += line + "\n";
  while (std::getline(in, line)) {
    const auto last = line.rfind(' ');
    out += line.substr(0, last + 1) + (line.substr(last + 1) == "1" ? value : "0") + "\n";
  }
  write_file(name, out);
}

TEST(KinsegHostile, ReproducersGiveAMessageAndTheDocumentedStatus) {
  kintest::TempDir tmp;
  write_file("shifted.csv", "ped,id,fa,mo,sex,trait,note\n1,1,0,0,1,1,x\n1,2,0,0,2,2,twins 8, 2\n1,3,1,2,1,2,\n");
  {
    std::string u16("\xFF\xFE", 2);
    for (const char c : std::string("ped,id,fa,mo,sex,trait\n1,1,0,0,1,1\n")) u16 += std::string{c, '\0'};
    write_file("utf16.csv", u16);
  }
  write_example_with_smoker("tiny.dat", "1e-320");
  write_example_with_smoker("huge.dat", "1e300");
  mkdir("folder", 0755);
  mkdir("set.json", 0755);
  struct Case {
    std::string args;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {"fit " + kExample + " --model mendelian --bounds w1=-1e308:1e308 --no-profile --out a", 2,
       "--bounds w1=-1e+308:1e+308: the box is wider than a double holds"},
      {"fit " + kExample + " --model mendelian --bounds w1=-9e307:9e307,w3=-9e307:9e307 --out a", 2,
       "the box is wider than a double holds"},
      {"fit tiny.dat --covar smoker --model mendelian --no-profile --out a", 1,
       "covariate smoker: every value is below 1e-300 in size"},
      {"check shifted.csv", 1, "shifted.csv line 3: 8 fields where the header has 7: a comma inside a value"},
      {"check utf16.csv", 1, "utf16.csv: the file is encoded in UTF-16"},
      {"fit " + kExample + " --model sporadic --out ''", 2, "--out '' names a folder"},
      {"fit " + kExample + " --model sporadic --out ./", 2, "--out './' names a folder"},
      {"test " + kExample + " --out folder/", 2, "--out 'folder/' names a folder"},
      {"test " + kExample + " --out set", 2, "set.json: cannot write the file (a folder stands there)"},
      {"draw " + kExample + " --family 1 --out f.svg --genotypes folder", 2, "folder: a folder, not a file"},
      {"check huge.dat --covar smoker --json huge.json", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const auto r = kinseg(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_TRUE(has(r.err, c.message)) << r.err;
    EXPECT_FALSE(has(r.out, "inf") || has(r.out, "nan")) << r.out;
    // Refused before any model is fitted, and nothing of the set written.
    EXPECT_FALSE(has(r.err, "[1/")) << r.err;
  }
  for (const char* n : {"set.models.tsv", "set.log", "set.html", ".models.tsv", "a.log", "f.svg"}) EXPECT_FALSE(exists(n)) << n;
  EXPECT_FALSE(temporary_left());
  // The huge covariate's summary is finite where it is written.
  const auto j = nlohmann::json::parse(read_file("huge.json"));
  EXPECT_NE(j.dump().find("\"sd\":4.5"), std::string::npos) << j.dump();
}

// A covariate coded 0/1e300 gives the coefficient and its standard error of
// the same covariate coded 0/1, divided by 1e300: the search and the
// observed information work on each parameter's own scale.
TEST(KinsegHostile, AHugeCovariateGivesTheEstimatesOfItsScaledCopy) {
  kintest::TempDir tmp;
  write_example_with_smoker("huge.dat", "1e300");
  const auto plain = kinseg("fit " + kExample + " --covar smoker --model mendelian --no-profile --out plain");
  const auto huge = kinseg("fit huge.dat --covar smoker --model mendelian --no-profile --out huge");
  ASSERT_EQ(plain.status, 0) << plain.err;
  ASSERT_EQ(huge.status, 0) << huge.err;
  const auto p = nlohmann::json::parse(read_file("plain.json")), h = nlohmann::json::parse(read_file("huge.json"));
  EXPECT_NEAR(h["lnl"].get<double>(), p["lnl"].get<double>(), 1e-3);
  auto find = [](const nlohmann::json& j, const std::string& name) {
    for (const auto& e : j["parameters"])
      if (e["parameter"] == name) return e;
    return nlohmann::json();
  };
  const auto pd = find(p, "d.smoker"), hd = find(h, "d.smoker");
  ASSERT_TRUE(hd["se"].is_number()) << hd.dump();
  EXPECT_NEAR(hd["estimate"].get<double>() * 1e300, pd["estimate"].get<double>(), 1e-3);
  EXPECT_NEAR(hd["se"].get<double>() * 1e300, pd["se"].get<double>(), 1e-3);
}

// Wide bounds: the search reaches the maximum it reaches in the default box
// (w1 is inside both), not a point near its start called converged.
TEST(KinsegHostile, WideBoundsReachTheMaximum) {
  kintest::TempDir tmp;
  const auto plain = kinseg("fit " + kExample + " --model mendelian --no-profile --out plain");
  const auto wide = kinseg("fit " + kExample + " --model mendelian --bounds w1=-1e300:1e300 --no-profile --out wide");
  ASSERT_EQ(plain.status, 0) << plain.err;
  ASSERT_EQ(wide.status, 0) << wide.err;
  const auto p = nlohmann::json::parse(read_file("plain.json")), w = nlohmann::json::parse(read_file("wide.json"));
  EXPECT_NEAR(w["lnl"].get<double>(), p["lnl"].get<double>(), 1e-3);
  EXPECT_EQ(w["status"], p["status"]);
}

// What stands at an output's path decides how it is written.
TEST(OutputSet, WhatStandsAtThePathDecidesHowItIsWritten) {
  kintest::TempDir tmp;
  using kinseg::FileError;
  using kinseg::write_whole_file;
  using kinseg::write_whole_files;
  // A symbolic link is followed: what it points to is replaced, the link stays.
  write_file("real.json", "old");
  ASSERT_EQ(symlink("real.json", "link.json"), 0);
  write_whole_file("link.json", "new");
  struct stat st;
  ASSERT_EQ(lstat("link.json", &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(read_file("real.json"), "new");
  // A replaced file keeps its mode.
  chmod("real.json", 0640);
  write_whole_file("real.json", "newer");
  ASSERT_EQ(stat("real.json", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  // A FIFO is written through and stays a FIFO.
  ASSERT_EQ(mkfifo("pipe", 0600), 0);
  std::string through;
  std::thread reader([&] { through = read_file("pipe"); });
  write_whole_file("pipe", "streamed\n");
  reader.join();
  EXPECT_EQ(through, "streamed\n");
  ASSERT_EQ(lstat("pipe", &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  // A character device likewise (the one every system has).
  write_whole_file("/dev/null", "nothing");
  ASSERT_EQ(stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  // A folder, a dangling link or a missing folder refuses the whole set
  // before any of it is written.
  mkdir("folder", 0755);
  ASSERT_EQ(symlink("nowhere/x", "dangling"), 0);
  const std::vector<std::pair<std::string, std::string>> refused[] = {
      {{"first.tsv", "1"}, {"folder", "2"}},
      {{"first.tsv", "1"}, {"dangling", "2"}},
      {{"first.tsv", "1"}, {"missing/x.tsv", "2"}},
  };
  for (const auto& set : refused) {
    SCOPED_TRACE(set[1].first);
    try {
      write_whole_files(set);
      ADD_FAILURE() << "written";
    } catch (const FileError& e) {
      EXPECT_TRUE(has(e.what(), set[1].first)) << e.what();
    }
    EXPECT_FALSE(exists("first.tsv"));
    EXPECT_THROW(kinseg::check_writable({"first.tsv", set[1].first}), FileError);
  }
  EXPECT_NO_THROW(kinseg::check_writable({"first.tsv", "link.json", "pipe", "/dev/null"}));
  EXPECT_FALSE(exists("first.tsv"));
  EXPECT_FALSE(temporary_left());
}

// kinseg test interrupted by SIGINT or SIGTERM at random moments around its
// writing: the set of outputs is there whole or not at all, and no temporary
// file stays.
TEST(KinsegHostile, InterruptedRunsLeaveWholeSetsAndNoTemporaries) {
  kintest::TempDir tmp;
  const std::string data = kintest::kinseg_fixture("study.csv");
  const std::vector<std::string> suffixes = {".models.tsv", ".tests.tsv", ".estimates.tsv", ".families.tsv",
                                             ".genotypes.tsv", ".json", ".log", ".html"};
  auto start = [&]() {
    const pid_t pid = fork();
    if (pid == 0) {
      const int null = open("/dev/null", O_RDWR);
      dup2(null, 0);
      dup2(null, 1);
      dup2(null, 2);
      execl(KINSEG_EXE, "kinseg", "test", data.c_str(), "--out", "run", "--starts", "1", "--no-profile", "--threads", "1",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    return pid;
  };
  // The length of a whole run, on this machine as loaded now.
  const auto t0 = std::chrono::steady_clock::now();
  int status = 0;
  waitpid(start(), &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const double whole = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::mt19937 random(25);
  // Most moments in the last part of the run, where the files are written.
  std::uniform_real_distribution<double> moment(0.3 * whole, 1.1 * whole);
  int interrupted = 0, finished = 0;
  const int runs = 24;
  for (int i = 0; i < runs; ++i) {
    for (const std::string& s : suffixes) std::remove(("run" + s).c_str());
    const pid_t pid = start();
    std::this_thread::sleep_for(std::chrono::duration<double>(moment(random)));
    kill(pid, i % 2 ? SIGTERM : SIGINT);
    waitpid(pid, &status, 0);
    if (WIFSIGNALED(status)) {
      ++interrupted;
      EXPECT_TRUE(WTERMSIG(status) == SIGINT || WTERMSIG(status) == SIGTERM);
    } else {
      ++finished;
      EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    SCOPED_TRACE("run " + std::to_string(i));
    EXPECT_FALSE(temporary_left());
    int present = 0;
    for (const std::string& s : suffixes) present += exists("run" + s);
    EXPECT_TRUE(present == 0 || present == static_cast<int>(suffixes.size())) << present << " of the files";
    if (present > 0) {
      EXPECT_TRUE(nlohmann::json::accept(read_file("run.json")));
      EXPECT_TRUE(has(read_file("run.html"), "</html>"));
      for (const std::string& s : suffixes) {
        const std::string text = read_file("run" + s);
        EXPECT_TRUE(!text.empty() && text.back() == '\n') << s;
      }
    }
  }
  EXPECT_GT(interrupted, 0);
  std::cout << "interrupted " << interrupted << " of " << runs << " runs, " << finished << " finished\n";
}

}  // namespace
