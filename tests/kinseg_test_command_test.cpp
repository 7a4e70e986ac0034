// kinseg test as a user runs it: on the worked example, every file written
// with the columns documented, the JSON holding the numbers of the tables,
// the console's model lines, tables and verdict; each model's ln L against
// kinseg eval at its estimates (an independent route through the program);
// the report page with the tables' numbers and the drawings asked for; and
// the refusals: options no model takes, malformed entries, a level out of
// range, refused data, an output place that cannot be written (nothing
// written then).
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/kinseg_run.hpp"

namespace {

namespace fs = std::filesystem;
using kintest::has;
using kintest::kinseg;
using kintest::KinsegRun;
using kintest::read_file;
using kintest::rows_of;

const std::string kExampleData = std::string(KINSEG_EXAMPLE_DIR) + "/input/sample.dat";
const char* kFiles[] = {"ex.models.tsv",    "ex.tests.tsv", "ex.estimates.tsv", "ex.families.tsv",
                        "ex.genotypes.tsv", "ex.json",      "ex.log",      "ex.html"};

TEST(KinsegTest, WorkedExample) {
  kintest::TempDir tmp;
  const KinsegRun r = kinseg("test " + kExampleData + " --covar smoker --no-profile --out ex");
  ASSERT_EQ(r.status, 0) << r.err;

  // Exactly the eight files, nothing left under a temporary name.
  std::set<std::string> present, expected(std::begin(kFiles), std::end(kFiles));
  for (const auto& e : fs::directory_iterator(".")) present.insert(e.path().filename().string());
  EXPECT_EQ(present, expected);

  const auto models = rows_of(read_file("ex.models.tsv"));
  ASSERT_EQ(models.size(), 11u);
  EXPECT_EQ(models[0], (std::vector<std::string>{"model", "k", "lnl", "minus2lnl", "aic", "delta_aic", "status",
                                                 "refit", "started_from", "estimates"}));
  const auto tests = rows_of(read_file("ex.tests.tsv"));
  ASSERT_EQ(tests.size(), 11u);
  EXPECT_EQ(tests[0], (std::vector<std::string>{"null", "alternative", "statistic", "reference", "p", "flags"}));
  EXPECT_EQ(rows_of(read_file("ex.estimates.tsv"))[0],
            (std::vector<std::string>{"model", "parameter", "estimate", "se", "ci_low", "ci_high", "ci_low_at_bound",
                                      "ci_high_at_bound", "status", "note"}));
  const auto families = rows_of(read_file("ex.families.tsv"));
  EXPECT_EQ(families[0], (std::vector<std::string>{"family", "persons", "affected", "probands", "lnl_mendelian",
                                                   "lnl_sporadic", "log10_ratio"}));
  const auto genotypes = rows_of(read_file("ex.genotypes.tsv"));
  EXPECT_EQ(genotypes[0], (std::vector<std::string>{"family", "id", "p1", "p2", "p3", "carrier"}));

  // The console: a line per model as it is fitted, then the tables and the verdict.
  for (const char* m : {"[1/10] sporadic: ln L = ", "[5/10] mendelian:dominant: ln L = ", "[10/10] general:"})
    EXPECT_TRUE(has(r.err, std::string("kinseg: ") + m)) << m;
  EXPECT_TRUE(has(r.out, "Models (best by AIC: "));
  EXPECT_TRUE(has(r.out, "Likelihood-ratio tests"));
  EXPECT_TRUE(has(r.out, "Verdict (alpha = 0.05): "));
  EXPECT_TRUE(has(r.out, "  3. Mendelian not rejected against general transmission: "));

  // The JSON holds the tables' numbers.
  const nlohmann::json j = nlohmann::json::parse(read_file("ex.json"));
  ASSERT_EQ(j["models"].size(), 10u);
  for (size_t i = 0; i < 10; ++i) {
    EXPECT_EQ(j["models"][i]["model"], models[i + 1][0]);
    EXPECT_EQ(j["models"][i]["lnl"].get<double>(), std::stod(models[i + 1][2]));
    EXPECT_EQ(j["models"][i]["k"].get<int>(), std::stoi(models[i + 1][1]));
    EXPECT_EQ(j["tests"][i]["p"].get<double>(), std::stod(tests[i + 1][4])) << i;
  }
  EXPECT_EQ(j["program"], "kinseg test");
  EXPECT_EQ(j["ascertainment"], "proband");
  EXPECT_TRUE(has(j["command"].get<std::string>(), "--covar smoker"));
  EXPECT_TRUE(has(r.out, j["verdict"]["summary"].get<std::string>()));
  EXPECT_EQ(j["families"].size() + 1, families.size());

  // Families sorted by their support; every analysed person's carrier probability.
  for (size_t i = 2; i < families.size(); ++i) EXPECT_GE(std::stod(families[i - 1][6]), std::stod(families[i][6]));
  EXPECT_EQ(genotypes.size(), j["genotypes"].size() + 1);
  for (size_t i = 1; i < genotypes.size(); ++i)
    EXPECT_NEAR(std::stod(genotypes[i][5]), std::stod(genotypes[i][2]) + std::stod(genotypes[i][3]), 2e-6);

  // Each model's ln L again, by kinseg eval at its estimates (rounded as the
  // JSON holds them; at a maximum that moves ln L by far less than 1e-3).
  // Every parameter of the model is named (Mendelian models have no tr terms;
  // the sporadic model no q, which its equal baselines make irrelevant).
  for (const auto& m : j["models"]) {
    std::string at = m["model"] == "sporadic" ? "q=0.5" : "";
    for (const auto& p : m["parameters"]) {
      std::ostringstream v;
      v.precision(17);
      v << p["estimate"].get<double>();
      at += (at.empty() ? "" : ",") + p["parameter"].get<std::string>() + "=" + v.str();
    }
    const KinsegRun e = kinseg("eval " + kExampleData + " --covar smoker --at " + at);
    ASSERT_EQ(e.status, 0) << m["model"] << " " << at << "\n" << e.err;
    const auto rows = rows_of(e.out);
    ASSERT_EQ(rows.back()[0], "total");
    EXPECT_NEAR(std::stod(rows.back()[4]), m["lnl"].get<double>(), 2e-3) << m["model"] << " at " << at;
  }

  // The report page shows the tables' numbers as the files write them, the
  // verdict, and draws the ten families at the top of the ranking.
  const std::string page = read_file("ex.html");
  for (size_t i = 1; i < models.size(); ++i) {
    EXPECT_TRUE(has(page, "<td>" + models[i][0] + "</td><td class=\"num\">" + models[i][1] +
                              "</td><td class=\"num\">" + models[i][2] + "</td>"))
        << models[i][0];
  }
  for (size_t i = 1; i < tests.size(); ++i)
    EXPECT_TRUE(has(page, "<td class=\"num\">" + tests[i][4] + "</td>")) << tests[i][4];
  std::string verdict = j["verdict"]["summary"].get<std::string>();
  verdict[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(verdict[0])));
  EXPECT_TRUE(has(page, verdict));
  for (size_t i = 1; i < families.size(); ++i)
    EXPECT_EQ(has(page, "data-pedigree=\"" + families[i][0] + "\"><figcaption>"), i <= 10) << families[i][0];
}

// --draw adds families to the page's drawings; --no-html writes no page.
TEST(KinsegTest, ReportPageOptions) {
  kintest::TempDir tmp;
  const std::string ex = kExampleData + " --covar smoker --no-profile --starts 2";
  const KinsegRun a = kinseg("test " + ex + " --out a --draw 7,12 --html");
  ASSERT_EQ(a.status, 0) << a.err;
  const auto families = rows_of(read_file("a.families.tsv"));
  const std::string page = read_file("a.html");
  for (const char* id : {"7", "12"}) {
    EXPECT_TRUE(has(page, std::string("data-pedigree=\"") + id + "\"><figcaption>")) << id;
    size_t rank = 0;
    for (size_t i = 1; i < families.size(); ++i)
      if (families[i][0] == id) rank = i;
    EXPECT_TRUE(has(page, "Pedigree " + std::string(id) + ": rank " + std::to_string(rank) + " of 60")) << id;
  }
  EXPECT_TRUE(has(page, "named with --draw"));

  const KinsegRun b = kinseg("test " + ex + " --out b --no-html");
  ASSERT_EQ(b.status, 0) << b.err;
  EXPECT_FALSE(fs::exists("b.html"));
  EXPECT_TRUE(fs::exists("b.json"));
  EXPECT_TRUE(has(b.err, ".json and .log ("));
}

TEST(KinsegTest, Refusals) {
  kintest::TempDir tmp;
  const std::string ex = kExampleData + " --covar smoker --no-profile";
  struct Case {
    std::string args;
    int status;
    std::string err;
  };
  const std::vector<Case> cases = {
      {"test " + ex + " --fix tr4=0.5", 2, "kinseg: --fix tr4: no model of the battery estimates tr4"},
      {"test " + ex + " --fix q", 2, "kinseg: --fix q: expected NAME=VALUE"},
      {"test " + ex + " --start q=abc", 2, "kinseg: --start q=abc: 'abc' is not a number"},
      {"test " + ex + " --bounds q=0.5:0.1", 2, "the lower bound must be below the upper one"},
      {"test " + ex + " --fix q=1.5", 2, "--fix q: 1.5 is not strictly between 0 and 1"},
      {"test " + ex + " --alpha 1.5", 2, "--alpha 1.5: expected a level strictly between 0 and 1"},
      {"test " + ex + " --ascertainment maybe", 2, "kinseg: --ascertainment"},
      {"test " + ex + " --out no/such/dir/ex", 2, "kinseg: "},
      {"test " + ex + " --draw 7,none", 2, "kinseg: --draw none: "},
      {"test " + ex + " --no-html --draw 7", 2, "--no-html turns off"},
      {"test " + std::string(KINSEG_FIXTURES) + "/kinseg/errors.csv --covar age", 1, "the data are refused"},
  };
  for (const Case& c : cases) {
    const KinsegRun r = kinseg(c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
    EXPECT_TRUE(has(r.err, c.err)) << c.args << "\n" << r.err;
    EXPECT_TRUE(r.out.empty()) << c.args;
    // Nothing written.
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 0) << c.args;
  }
}

}  // namespace
