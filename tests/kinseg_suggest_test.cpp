// A mistyped word on kinseg's command line: named as such, with the nearest
// known word when one is near, exit status 2, nothing run; and help lines
// that read as written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kinseg/suggest.hpp"
#include "tests/kinseg_run.hpp"

namespace {

using kinseg::cli::nearest;
using kintest::has;

TEST(Suggest, NearestKnownWordWithinTwoEdits) {
  const std::vector<std::string> words = {"check", "export", "eval", "fit", "test", "draw"};
  const struct {
    const char* typed;
    const char* meant;
  } cases[] = {
      {"tset", "test"},    // two letters swapped
      {"chek", "check"},   // one left out
      {"drawe", "draw"},   // one added
      {"evel", "eval"},    // one changed
      {"exprot", "export"},
      {"fir", "fit"},
      {"x", ""},           // too short to guess
      {"plot", ""},        // nothing near
      {"analyse", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(nearest(c.typed, words), c.meant) << c.typed;
  EXPECT_EQ(nearest("--covr", {"--out", "--covar", "--cov"}), "--covar");  // a tie goes to the first
  EXPECT_EQ(nearest("--no-htm", {"--html", "--no-html"}), "--no-html");
  EXPECT_EQ(nearest("--x", {"--id", "--ped"}), "");
}

TEST(Suggest, MistypedWordsAreNamedAndNothingRuns) {
  kintest::TempDir dir;
  const struct {
    std::string args;
    std::string message;
  } cases[] = {
      {"tset data.txt", "kinseg: no subcommand \"tset\"; did you mean test? (the subcommands: check, export, eval, "
                        "fit, test, draw)\nkinseg: see kinseg --help\n"},
      {"test data.txt --covr smoker", "kinseg: test: no option --covr; did you mean --covar?\n"
                                      "kinseg: see kinseg test --help\n"},
      {"draw data.txt --famly F1 --out f.svg", "kinseg: draw: no option --famly; did you mean --family?\n"},
      {"fit data.txt --model=mendelian --sex-efect", "kinseg: fit: no option --sex-efect; did you mean --sex-effect?\n"},
      {"check data.txt --json=a.json --zzz", "kinseg: check: no option --zzz\n"},
      {"--verison", "kinseg: no option --verison; did you mean --version?"},
      {"", "kinseg: a subcommand is needed: check, export, eval, fit, test or draw"},
  };
  for (const auto& c : cases) {
    const kintest::KinsegRun r = kintest::kinseg(c.args);
    EXPECT_EQ(r.status, 2) << c.args;
    EXPECT_TRUE(has(r.err, c.message)) << c.args << "\n" << r.err;
    EXPECT_TRUE(r.out.empty()) << c.args;
  }
  // After "--" a word is a value, not an option.
  EXPECT_FALSE(has(kintest::kinseg("check -- --covr").err, "no option"));
}

TEST(Suggest, HelpLinesReadAsWritten) {
  for (const char* sub : {"check", "export", "eval", "fit", "test", "draw"}) {
    const kintest::KinsegRun r = kintest::kinseg(std::string(sub) + " --help");
    EXPECT_EQ(r.status, 0) << sub;
    EXPECT_TRUE(has(r.out, "DATA FILE")) << sub;
    for (const char* raw : {"{false}", "{true}", " TEXT", " FLOAT", " INT", "REQUIRED"})
      EXPECT_FALSE(has(r.out, raw)) << sub << ": " << raw << "\n" << r.out;
  }
  const kintest::KinsegRun test = kintest::kinseg("test --help");
  EXPECT_TRUE(has(test.out, "  --no-html ")) << test.out;
}

}  // namespace
