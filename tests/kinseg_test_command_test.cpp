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
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/kinseg_run.hpp"
#include "tools/simulate.hpp"

namespace {

namespace fs = std::filesystem;
using kintest::has;
using kintest::kinseg;
using kintest::KinsegRun;
using kintest::read_file;
using kintest::rows_of;

const std::string kExampleData = std::string(KINSEG_EXAMPLE_DIR) + "/input/sample.dat";
const char* kFiles[] = {"ex.models.tsv",    "ex.tests.tsv",       "ex.estimates.tsv", "ex.families.tsv",
                        "ex.genotypes.tsv", "ex.penetrances.tsv", "ex.json",          "ex.log",
                        "ex.html"};

TEST(KinsegTest, WorkedExample) {
  kintest::TempDir tmp;
  const KinsegRun r = kinseg("test " + kExampleData + " --covar smoker --no-profile --out ex");
  ASSERT_EQ(r.status, 0) << r.err;

  // Exactly the nine files, nothing left under a temporary name.
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
                                      "ci_high_at_bound", "status", "note", "se_missing", "ci_missing"}));
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
  // the sporadic model no q, which its equal baselines make irrelevant; the
  // point holds w2, not the dominance h it follows from).
  for (const auto& m : j["models"]) {
    std::string at = m["model"] == "sporadic" ? "q=0.5" : "";
    for (const auto& p : m["parameters"]) {
      if (p["parameter"] == "h") continue;
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
TEST(KinsegTest, TraitOfWomenWithMissingCovariatesRecoversTheTruth) {
  // Breast cancer in women, the men's rows holding another cancer of their own
  // (common: logit 1 whatever the genotype); the women's risk allele of
  // frequency 0.2 is dominant: in kinseg's terms w1 = w2 = 0.5, w3 = -2.5,
  // d.smoker = 0.6. A fifth of the probands have no smoker value: their
  // families cannot be corrected for ascertainment and are excluded by name.
  kintest::TempDir tmp;
  kinsim::Settings s;
  s.families = 160;
  s.generations = 2;
  s.children_min = 2;
  s.children_max = 4;
  s.marry = 0.6;
  s.ascertainment = kinsim::Settings::kFirst;
  s.trait_sex = 2;
  s.limits = kinsim::Settings::kNoLimits;
  s.data_file = "women.dat";
  s.covariates.push_back({"smoker", kinsim::Covariate::kBinary, 0.4, 0, 1});
  s.param(kinsim::kQ).value = 0.8;  // kinsim counts the other allele
  const double w[3] = {1.0, 1.0, 1.0}, women[3] = {-2.5, 0.5, 0.5};
  for (int g = 0; g < 3; ++g) {
    s.param(kinsim::kW1 + g).value = w[g];
    s.param(kinsim::kV1 + g).value = women[g] - w[g];
  }
  s.param(kinsim::kD1).value = 0.6;
  kinsim::simulate(s, 5);
  // Every fifth proband's smoker value removed.
  std::istringstream in(read_file("women.dat"));
  std::string line, out;
  std::getline(in, line);
  out = line + "\n";
  int probands = 0;
  std::set<std::string> without;
  while (std::getline(in, line)) {
    std::istringstream f(line);
    std::vector<std::string> v;
    for (std::string x; f >> x;) v.push_back(x);
    if (v[5] == "1" && probands++ % 5 == 0) {
      v[7] = "NA";
      without.insert(v[0]);
    }
    for (size_t i = 0; i < v.size(); ++i) out += (i ? " " : "") + v[i];
    out += "\n";
  }
  { std::ofstream("women.dat") << out; }
  ASSERT_EQ(without.size(), 32u);

  // Without --trait-only the men's cancers count as cases: check says how
  // many of them there are, and with it they are relatives of unknown trait.
  const KinsegRun c = kinseg("check women.dat --missing NA --covar smoker --trait-only sex=F");
  ASSERT_EQ(c.status, 0) << c.err;
  EXPECT_TRUE(has(c.out, "trait recorded only where sex = F")) << c.out;
  EXPECT_TRUE(has(c.out, "32 families excluded, no proband of known trait (missing smoker)")) << c.out;

  const KinsegRun r = kinseg("test women.dat --missing NA --covar smoker --trait-only sex=F --out w");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.err, "32 families excluded under proband ascertainment")) << r.err;
  // Every person of known trait is a woman: the penetrances (without a sex
  // effect) are said to be women's in every output that states them.
  EXPECT_TRUE(has(r.out, "of women (every person of known trait is a woman)")) << r.out;
  const auto j = nlohmann::json::parse(read_file("w.json"));
  EXPECT_EQ(j["data"]["trait_definition"]["excluded_families"].size(), 32u);
  EXPECT_EQ(j["analysed_families"], 128);
  const std::string log = read_file("w.log"), page = read_file("w.html");
  for (const std::string& ped : without) {
    EXPECT_TRUE(has(log, ped)) << ped;
    EXPECT_TRUE(has(page, ped)) << ped;
  }
  EXPECT_TRUE(has(log, "32 families excluded, no proband of known trait (missing smoker)"));
  EXPECT_TRUE(has(log, "of women (every person of known trait is a woman)"));
  EXPECT_TRUE(has(page, "with two copies of the risk allele")) << "the page's penetrance rows";
  EXPECT_TRUE(has(page, "of a woman with")) << "the page's penetrance rows name the women";
  EXPECT_TRUE(has(page, "32 families excluded, no proband of known trait (missing smoker)"));

  // The truth within the selected model's profile intervals.
  const std::map<std::string, double> truth = {{"q", 0.2},  {"w1", 0.5}, {"w2", 0.5},
                                               {"w3", -2.5}, {"h", 1.0},  {"d.smoker", 0.6}};
  const std::string selected = j["selected_model"];
  EXPECT_TRUE(selected == "mendelian:dominant" || selected == "mendelian:codominant") << selected;
  for (const auto& m : j["models"]) {
    if (m["model"] != selected) continue;
    for (const auto& p : m["parameters"]) {
      const std::string name = p["parameter"];
      if (p["role"] != "estimated") continue;
      ASSERT_FALSE(p["ci_low"].is_null()) << name;
      ASSERT_FALSE(p["ci_high"].is_null()) << name;
      EXPECT_LE(p["ci_low"].get<double>(), truth.at(name)) << name;
      EXPECT_GE(p["ci_high"].get<double>(), truth.at(name)) << name;
    }
  }
}

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

// The battery under the age-of-onset model (tests/fixtures/kinseg/onset.txt:
// kinsim, a rare dominant gene with carriers ill 17 years earlier): every
// model with its means and spread, the verdict a Mendelian major gene,
// dominant by AIC, and PREFIX.risks.tsv with the curves of every model that
// has estimates, the selected model's on the console.
TEST(KinsegTest, AgeOfOnsetBattery) {
  kintest::TempDir tmp;
  const KinsegRun r = kinseg("test " + kintest::kinseg_fixture("onset.txt") +
                             " --onset age --starts 2 --no-profile --no-html --out on");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.out, "evidence for a major gene with Mendelian transmission; dominant fits best by AIC")) << r.out;
  EXPECT_TRUE(has(r.out, "mendelian:dominant: risk by age")) << r.out;
  const auto json = nlohmann::json::parse(read_file("on.json"));
  std::set<std::string> with_risks;
  for (const auto& m : json["models"]) {
    if (m.contains("risks")) with_risks.insert(m["model"].get<std::string>());
  }
  std::set<std::string> in_tsv;
  for (const auto& row : rows_of(read_file("on.risks.tsv")))
    if (row[0] != "model") in_tsv.insert(row[0]);
  EXPECT_EQ(in_tsv, with_risks);
  EXPECT_TRUE(in_tsv.count("sporadic") && in_tsv.count("mendelian:dominant") && in_tsv.count("general:dominant"));
}
