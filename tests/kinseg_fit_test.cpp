// kinseg fit as a user runs it: the files it writes and how they agree with
// each other, the worked example against kinfit's own maximum, usage errors
// and refused data, and outputs that are written whole or not at all.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "tests/kinseg_run.hpp"

namespace {

using kintest::exists;
using kintest::has;
using kintest::kinseg;
using kintest::kinseg_fixture;
using kintest::read_file;

using kintest::num;
using kintest::rows_of;

const std::string kExample = std::string(KINSEG_EXAMPLE_DIR) + "/input/sample.dat";

// The worked example: kinfit's run there (examples/output/sigma.DAT) reaches
// ln LH = -371.17960 with Q, W1-W3, one sex increment for all genotypes (V2
// and V3 linked to V1) and the smoker coefficient. kinseg's unordered model
// with a sex effect holds that model, so its maximum is at least as high.
TEST(KinsegFit, ExampleWritesFilesThatAgree) {
  kintest::TempDir tmp;
  const auto r = kinseg("fit " + kExample + " --model mendelian:unordered --sex-effect --covar smoker --out ex");
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* f : {"ex.log", "ex.estimates.tsv", "ex.families.tsv", "ex.json", "ex.genotypes.tsv",
                        "ex.penetrances.tsv"})
    EXPECT_TRUE(exists(f)) << f;
  EXPECT_EQ(kintest::shell("ls -A | grep -v '^ex\\.' | grep -q ."), 1) << "only the six files are left";

  const auto j = nlohmann::json::parse(read_file("ex.json"));
  const double lnl = j["lnl"].get<double>();
  EXPECT_GE(lnl, -371.17960 - 1e-6);
  EXPECT_EQ(j["model"], "mendelian:unordered");
  EXPECT_EQ(j["k"], 8);
  // Numbers are written by the report's rule (three decimals for these).
  EXPECT_NEAR(j["aic"].get<double>(), -2 * lnl + 16, 2e-3);
  EXPECT_NEAR(j["minus2lnl"].get<double>(), -2 * lnl, 2e-3);
  EXPECT_EQ(j["ascertainment"], "proband");
  EXPECT_EQ(j["starts"]["count"], 6);
  EXPECT_EQ(j["starts"]["list"].size(), 6u);
  EXPECT_TRUE(j["profiled"].get<bool>());
  // The ridge w1 -> +inf, v1 -> -inf (sex 1, genotype 1 all affected) is
  // reported, not hidden.
  EXPECT_EQ(j["status"], "flat likelihood");

  // The estimates: one row per parameter of the model, the numbers of the JSON.
  const auto est = rows_of(read_file("ex.estimates.tsv"));
  ASSERT_EQ(est.size(), 9u);
  EXPECT_EQ(est[0], (std::vector<std::string>{"model", "parameter", "estimate", "se", "ci_low", "ci_high",
                                              "ci_low_at_bound", "ci_high_at_bound", "status", "note",
                                              "se_missing", "ci_missing"}));
  std::vector<std::string> names;
  for (size_t i = 1; i < est.size(); ++i) {
    names.push_back(est[i][1]);
    const auto& p = j["parameters"][i - 1];
    EXPECT_EQ(p["parameter"], est[i][1]);
    EXPECT_EQ(num(est[i][2]), p["estimate"].get<double>());
    if (est[i][3] != "NA") {
      EXPECT_EQ(num(est[i][3]), p["se"].get<double>());
    }
    EXPECT_NE(est[i][4], "NA");  // every parameter has its interval
    EXPECT_LE(num(est[i][4]), num(est[i][2]));
    EXPECT_GE(num(est[i][5]), num(est[i][2]));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"q", "w1", "w2", "w3", "v1", "v2", "v3", "d.smoker"}));
  // A missing SE has its reason, a present one none.
  for (const auto& p : j["parameters"])
    EXPECT_EQ(p["se"].is_null(), !p["se_missing"].get<std::string>().empty()) << p["parameter"];
  // Six starts at one maximum (the ends along the ridge of w1 and v1 are one): no second one.
  EXPECT_TRUE(j["runner_up"].is_null());
  // w1: not identified, its interval cut at the upper bound.
  EXPECT_EQ(est[2][8], "not identified");
  EXPECT_EQ(est[2][6], "no");
  EXPECT_EQ(est[2][7], "yes");

  // The variance-covariance matrix: symmetric, its diagonal the SEs squared.
  const auto& cov = j["covariance"];
  const size_t n = cov["parameters"].size();
  ASSERT_EQ(n, 8u);
  for (size_t a = 0; a < n; ++a)
    for (size_t b = 0; b < n; ++b) EXPECT_EQ(cov["matrix"][a][b], cov["matrix"][b][a]);
  EXPECT_NEAR(std::sqrt(cov["matrix"][0][0].get<double>()), j["parameters"][0]["se"].get<double>(), 1e-5 * j["parameters"][0]["se"].get<double>());

  // Families: one row per analysed family, contributions summing to ln L.
  const auto fam = rows_of(read_file("ex.families.tsv"));
  EXPECT_EQ(fam[0], (std::vector<std::string>{"family", "persons", "affected", "probands", "contribution"}));
  ASSERT_EQ(fam.size(), j["families"].size() + 1);
  EXPECT_EQ(fam.size(), 61u);
  double sum = 0;
  int persons = 0;
  for (size_t i = 1; i < fam.size(); ++i) {
    sum += num(fam[i][4]);
    persons += std::atoi(fam[i][1].c_str());
    EXPECT_GE(std::atoi(fam[i][3].c_str()), 1);  // proband ascertainment: every family has one
  }
  EXPECT_NEAR(sum, lnl, 2e-3);  // each rounded to six digits
  EXPECT_EQ(persons, 714);

  // The log: command, data, every start, the table.
  const std::string log = read_file("ex.log");
  for (const char* part : {"command: kinseg fit ", "--model mendelian:unordered --sex-effect", "60 pedigrees, 714 persons",
                           "start 1/6 (grid q=0.1 effect 3)", "start 6/6", "variance-covariance matrix",
                           "6 of 6 starts reached", "w1 is not identified"})
    EXPECT_TRUE(has(log, part)) << part;
  // The console: the table on standard output; messages, not progress, on
  // standard error when it is not a terminal.
  EXPECT_TRUE(has(r.out, "mendelian:unordered: flat likelihood, ln L "));
  EXPECT_TRUE(has(r.out, "d.smoker"));
  EXPECT_FALSE(has(r.err, "start 1/6"));
  EXPECT_TRUE(has(r.err, "kinseg: flat likelihood"));
}

// The genotypes file of a fit: every person's genotype probabilities at the
// estimates, as kinseg eval gives them at the same point, and read by
// kinseg draw; none for the sporadic model, which has no major type.
TEST(KinsegFit, GenotypesAtTheEstimatesFeedTheDrawing) {
  kintest::TempDir tmp;
  const auto r = kinseg("fit " + kExample + " --model mendelian:dominant --covar smoker --starts 2 --no-profile --out d");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(read_file("d.json"));
  std::string at;
  for (const auto& p : j["parameters"]) {
    std::ostringstream v;
    v.precision(17);
    v << p["estimate"].get<double>();
    at += (at.empty() ? "" : ",") + p["parameter"].get<std::string>() + "=" + v.str();
  }
  const auto e = kinseg("eval " + kExample + " --covar smoker --at " + at + " --genotypes e.tsv");
  ASSERT_EQ(e.status, 0) << e.err;
  const auto fit_rows = rows_of(read_file("d.genotypes.tsv"));
  const auto eval_rows = rows_of(read_file("e.tsv"));
  EXPECT_EQ(fit_rows[0], (std::vector<std::string>{"family", "id", "p1", "p2", "p3", "carrier"}));
  ASSERT_EQ(fit_rows.size(), 715u);
  ASSERT_EQ(eval_rows.size(), fit_rows.size());
  for (size_t i = 1; i < fit_rows.size(); ++i) {
    EXPECT_EQ(fit_rows[i][0], eval_rows[i][0]);
    EXPECT_EQ(fit_rows[i][1], eval_rows[i][1]);
    for (int g = 2; g < 5; ++g) EXPECT_NEAR(num(fit_rows[i][g]), num(eval_rows[i][g]), 1e-3) << i;
  }
  const auto d = kinseg("draw " + kExample + " --family 57 --genotypes d.genotypes.tsv --out f57.svg");
  ASSERT_EQ(d.status, 0) << d.err;
  EXPECT_FALSE(has(d.err, "warning")) << d.err;
  EXPECT_TRUE(has(read_file("f57.svg"), "probability of carrying"));

  ASSERT_EQ(kinseg("fit " + kExample + " --model sporadic --starts 1 --no-profile --out s").status, 0);
  EXPECT_TRUE(exists("s.json"));
  EXPECT_FALSE(exists("s.genotypes.tsv"));
}

TEST(KinsegFit, OptionsShapeTheModel) {
  kintest::TempDir tmp;
  const auto r = kinseg("fit " + kExample +
                        " --model mendelian:dominant --covar smoker --fix D.smoker=0.5 --start Q=0.2,w1=1"
                        " --bounds w3=-6:0 --starts 2 --no-profile --ascertainment none");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(read_file("kinseg.json"));  // the default prefix
  EXPECT_EQ(j["k"], 3);
  EXPECT_EQ(j["ascertainment"], "none");
  EXPECT_FALSE(j["profiled"].get<bool>());
  ASSERT_EQ(j["starts"]["list"].size(), 2u);
  EXPECT_EQ(j["starts"]["list"][0]["origin"], "--start");
  EXPECT_EQ(j["starts"]["list"][0]["start"]["q"], 0.2);
  EXPECT_EQ(j["starts"]["list"][0]["start"]["w1"], 1.0);
  for (const auto& p : j["parameters"]) {
    if (p["parameter"] == "d.smoker") {
      EXPECT_EQ(p["estimate"], 0.5);
      EXPECT_EQ(p["status"], "fixed");
    }
    if (p["parameter"] == "w2") {
      EXPECT_EQ(p["estimate"], j["parameters"][1]["estimate"]);
    }
    if (p["parameter"] == "w3") {
      EXPECT_EQ(p["bounds"], nlohmann::json::parse("[-6, 0]"));
    }
    EXPECT_TRUE(p["ci_low"].is_null());
  }
}

TEST(KinsegFit, UsageErrorsAndRefusedData) {
  struct Case {
    std::string args;
    int status;
    std::vector<std::string> err;
  };
  const std::vector<Case> cases = {
      {"fit " + kExample, 2, {"--model is required"}},
      {"fit " + kExample + " --model polygenic", 2,
       {"kinseg: model 'polygenic': unknown transmission 'polygenic'", "see kinseg fit --help"}},
      {"fit " + kExample + " --model sporadic --fix q=0.1 --fix w1=x --bounds w1=3 --start tr1=0.5", 2,
       {"--fix w1=x: 'x' is not a number", "--bounds w1=3: expected NAME=LO:HI with two numbers"}},
      {"fit " + kExample + " --model sporadic --fix q=0.1 --start tr1=0.5", 2,
       {"--fix q: not a parameter of sporadic (its parameters: w1 w2 w3)", "--start tr1: not a parameter of sporadic"}},
      {"fit " + kExample + " --model mendelian --fix d.age=1", 2, {"--fix d.age: not a parameter"}},
      {"fit " + kExample + " --model mendelian --starts 0", 2, {"--starts"}},
      {"fit " + kExample + " --model mendelian --ascertainment some", 2, {"--ascertainment"}},
      {"fit " + kinseg_fixture("errors.csv") + " --model mendelian", 1, {"the data are refused"}},
      {"fit nosuch.csv --model mendelian", 2, {"kinseg: nosuch.csv: cannot open the file"}},
      {"fit " + kExample + " --model mendelian --no-profile --out nosuchdir/run", 2, {"kinseg: ", "nosuchdir/run"}},
  };
  kintest::TempDir tmp;
  for (const Case& c : cases) {
    const auto r = kinseg(c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
    for (const auto& e : c.err) EXPECT_TRUE(has(r.err, e)) << c.args << "\nwant: " << e << "\ngot: " << r.err;
    EXPECT_EQ(kintest::shell("ls -A | grep -q ."), 1) << c.args << ": nothing written";
  }
  const auto help = kinseg("fit --help");
  EXPECT_EQ(help.status, 0);
  for (const char* part : {"--model", "homog_general", "--sex-effect", "--regressive", "--fix", "--start", "--bounds",
                           "--ascertainment", "--starts", "--no-profile", "--out"})
    EXPECT_TRUE(has(help.out, part)) << part;
}

}  // namespace

namespace {

double logistic(double x) { return 1 / (1 + std::exp(-x)); }

}  // namespace

// PREFIX.penetrances.tsv of kinseg fit: exactly its columns, one row per
// genotype (and sex, with a sex effect; one row, genotype all, for the
// sporadic model), each penetrance logistic(w_g + v_g [women] + d.smoker ref)
// from the estimates table, at the smoker column's mean over the members of
// known trait or at --reference; its interval around it; the JSON's
// penetrances the same numbers; the console's table and the log's section.
TEST(KinsegFit, PenetrancesAtTheReferenceValues) {
  kintest::TempDir tmp;
  // The covariate's mean over the members of known trait, from the file.
  double smokers = 0, known = 0;
  {
    const auto rows = rows_of(read_file(kExample));
    for (size_t i = 1; i < rows.size(); ++i) {
      std::istringstream in(rows[i][0]);
      std::vector<std::string> f;
      for (std::string x; in >> x;) f.push_back(x);
      if (f.size() == 8 && f[6] != "3") smokers += num(f[7]), known += 1;
    }
  }
  ASSERT_GT(known, 600);
  struct Case {
    std::string args;
    std::vector<std::pair<std::string, std::string>> rows;  // genotype, sex
    double reference;
  };
  const Case cases[] = {
      {"--model mendelian:dominant --covar smoker", {{"1", "all"}, {"2", "all"}, {"3", "all"}}, smokers / known},
      {"--model mendelian:dominant --covar smoker --reference smoker=1", {{"1", "all"}, {"2", "all"}, {"3", "all"}}, 1},
      {"--model mendelian:additive --covar smoker --sex-effect --reference smoker=0",
       {{"1", "men"}, {"2", "men"}, {"3", "men"}, {"1", "women"}, {"2", "women"}, {"3", "women"}},
       0},
      {"--model sporadic --covar smoker", {{"all", "all"}}, smokers / known},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const auto r = kinseg("fit " + kExample + " " + c.args + " --no-profile --starts 2 --out p");
    ASSERT_EQ(r.status, 0) << r.err;
    std::map<std::string, double> est;
    for (const auto& row : rows_of(read_file("p.estimates.tsv")))
      if (row.size() > 2 && row[1] != "parameter") est[row[1]] = num(row[2]);
    const auto rows = rows_of(read_file("p.penetrances.tsv"));
    ASSERT_EQ(rows.size(), c.rows.size() + 1);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"model", "genotype", "sex", "penetrance", "ci_low", "ci_high"}));
    const auto j = nlohmann::json::parse(read_file("p.json"));
    const auto& pj = j["penetrances"];
    EXPECT_NEAR(pj["reference"]["smoker"]["value"].get<double>(), c.reference, 1e-6);
    ASSERT_EQ(pj["genotypes"].size(), c.rows.size());
    for (size_t i = 0; i < c.rows.size(); ++i) {
      const auto& f = rows[i + 1];
      const auto& g = pj["genotypes"][i];
      EXPECT_EQ(f[0], j["model"].get<std::string>());
      EXPECT_EQ(f[1], c.rows[i].first);
      EXPECT_EQ(f[2], c.rows[i].second);
      const std::string w = f[1] == "all" ? "w1" : "w" + f[1];
      const std::string v = f[1] == "all" ? "v1" : "v" + f[1];
      const double want = logistic(est[w] + (f[2] == "women" ? est[v] : 0.0) + est["d.smoker"] * c.reference);
      EXPECT_NEAR(num(f[3]), want, 1e-4 * want) << i;
      EXPECT_LT(num(f[4]), num(f[3])) << i;
      EXPECT_GT(num(f[5]), num(f[3])) << i;
      // The JSON holds the table's numbers.
      EXPECT_EQ(g["genotype"].get<int>(), f[1] == "all" ? 0 : std::stoi(f[1]));
      EXPECT_EQ(g["sex"].get<std::string>(), f[2]);
      EXPECT_EQ(g["penetrance"].get<double>(), num(f[3]));
      EXPECT_EQ(g["ci_low"].get<double>(), num(f[4]));
      EXPECT_EQ(g["ci_high"].get<double>(), num(f[5]));
    }
    EXPECT_FALSE(pj["lifetime_risk"].get<bool>());
    EXPECT_EQ(pj["prevalence"]["observed"].get<double>(), j["prevalence_non_probands"].get<double>());
    EXPECT_TRUE(has(r.out, "penetrance")) << r.out;
    EXPECT_TRUE(has(r.out, "prevalence implied ")) << r.out;
    EXPECT_TRUE(has(r.out, "observed among non-probands ")) << r.out;
    EXPECT_TRUE(has(read_file("p.log"), "penetrances (" + j["model"].get<std::string>() + "): "));
  }
}

// An age-of-onset fit (tests/fixtures/kinseg/onset.txt: kinsim, a rare
// dominant gene, carriers ill earlier): the means and spread among the
// estimates, PREFIX.risks.tsv with each genotype's risk by age whose values
// are gamma F from the estimates and whose intervals hold them, the same
// curves in the JSON, the console's short table. The eval subcommand wants the
// means and spread of a sample with ages.
TEST(KinsegFit, AgeOfOnsetGivesRisksByAge) {
  kintest::TempDir tmp;
  const auto r = kinseg("fit " + kinseg_fixture("onset.txt") +
                        " --onset age --model mendelian:dominant --no-profile --starts 2 --risk-ages 55 --out on");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.out, "risk by age")) << r.out;
  EXPECT_TRUE(has(r.out, "carriers")) << r.out;
  const auto json = nlohmann::json::parse(read_file("on.json"));
  std::map<std::string, double> est;
  for (const auto& row : rows_of(read_file("on.estimates.tsv")))
    if (row.size() > 2 && row[1] != "parameter") est[row[1]] = num(row[2]);
  for (const char* p : {"m1", "m3", "s"}) EXPECT_TRUE(est.count(p)) << p;
  EXPECT_LT(est["m1"], est["m3"]) << "carriers fall ill earlier";

  const auto rows = rows_of(read_file("on.risks.tsv"));
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0], (std::vector<std::string>{"model", "genotype", "sex", "age", "risk", "ci_low", "ci_high"}));
  int checked = 0;
  for (size_t i = 1; i < rows.size(); ++i) {
    const auto& f = rows[i];
    const int g = std::stoi(f[1]);
    const double age = num(f[3]), risk = num(f[4]);
    const double want = logistic(est["w" + f[1]]) * logistic((age - est["m" + f[1]]) / est["s"]);
    EXPECT_NEAR(risk, want, 1e-4 * want + 1e-12) << f[1] << " " << f[3];
    EXPECT_LE(num(f[5]), risk);
    EXPECT_GE(num(f[6]), risk);
    checked += age == 55 && g == 1;
  }
  EXPECT_EQ(checked, 1) << "the asked age is among the curve's";
  const auto& curves = json["risks"]["curves"];
  ASSERT_EQ(curves.size(), 3u);
  EXPECT_EQ(curves[0]["label"], "carriers");
  EXPECT_EQ(curves[2]["label"], "non-carriers");
  EXPECT_NEAR(curves[0]["lifetime_risk"]["estimate"].get<double>(), logistic(est["w1"]), 1e-5);
  EXPECT_NEAR(curves[0]["median_onset"]["estimate"].get<double>(), est["m1"], 1e-4 * est["m1"]);
  EXPECT_TRUE(has(json["risks"]["intervals"].get<std::string>(), "delta method on the logit scale"));
  // Under onset the penetrance is the lifetime risk, interval and all, and the outputs say so.
  const auto& pen = json["penetrances"];
  EXPECT_TRUE(pen["lifetime_risk"].get<bool>());
  ASSERT_EQ(pen["genotypes"].size(), 3u);
  for (size_t g = 0; g < 3; ++g)
    for (const char* k : {"penetrance", "ci_low", "ci_high"})
      EXPECT_EQ(pen["genotypes"][g][k], curves[g]["lifetime_risk"][std::string(k) == "penetrance" ? "estimate" : k])
          << g << " " << k;
  EXPECT_TRUE(has(pen["prevalence"]["definition"].get<std::string>(), "R_g(a) = gamma_g F_g(a)"));
  EXPECT_TRUE(has(r.out, "the penetrance is the lifetime risk")) << r.out;
  EXPECT_TRUE(has(read_file("on.log"), "the penetrance is the lifetime risk"));

  const auto e = kinseg("eval " + kinseg_fixture("onset.txt") + " --onset age --at q=0.05,w1=1,w3=-2");
  EXPECT_EQ(e.status, 2);
  EXPECT_TRUE(has(e.err, "give m1, m2 and m3")) << e.err;
  const auto ok = kinseg("eval " + kinseg_fixture("onset.txt") +
                         " --onset age --at q=0.05,w1=1,w2=1,w3=-2,m1=45,m2=45,m3=62,s=6");
  EXPECT_EQ(ok.status, 0) << ok.err;
}

namespace {

// tests/fixtures/kinseg/two_maxima.dat: kinsim, 20 families of two
// generations (children poisson 2.5 1, marry 0.4, single ascertainment 0.5),
// Q 0.6, W1 -2, W2 -0.5, W3 1, seed 17. Under the recessive model its ln L
// has two maxima half a unit apart: two copies common with a modest risk
// (q 0.75), and two copies rare with a high one (q 0.02). The fit names the
// lower one and the start that reached it; kinseg eval at its estimates gives
// its ln L.
TEST(KinsegFit, ASecondMaximumIsNamedWithTheStartThatReachedIt) {
  kintest::TempDir tmp;
  const std::string data = kinseg_fixture("two_maxima.dat");
  const auto r = kinseg("fit " + data + " --model mendelian:recessive --out tm");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(read_file("tm.json"));
  const auto& u = j["runner_up"];
  ASSERT_TRUE(u.is_object()) << r.err;
  const double below = u["below_best"].get<double>();
  EXPECT_GT(below, 0.1);
  EXPECT_LT(below, 2.0);
  EXPECT_NEAR(u["lnl"].get<double>(), j["lnl"].get<double>() - below, 1e-3);
  const auto& start = j["starts"]["list"][u["start"].get<int>() - 1];
  EXPECT_EQ(start["lnl"], u["lnl"]);
  EXPECT_EQ(start["end"], u["estimates"]);
  EXPECT_EQ(start["origin"], u["origin"]);
  EXPECT_EQ(start["status"], "converged");
  EXPECT_NE(u["start"], j["starts"]["best"]);
  EXPECT_GT(std::abs(u["estimates"]["q"].get<double>() - j["parameters"][0]["estimate"].get<double>()), 0.5);

  // ln L at the runner-up, by kinseg eval (w2 = w3 in the recessive model).
  const auto& e = u["estimates"];
  std::ostringstream at;
  at.precision(17);
  at << "q=" << e["q"].get<double>() << ",w1=" << e["w1"].get<double>() << ",w2=" << e["w3"].get<double>()
     << ",w3=" << e["w3"].get<double>();
  const auto ev = kinseg("eval " + data + " --at " + at.str());
  ASSERT_EQ(ev.status, 0) << ev.err;
  const std::string total = ev.out.substr(ev.out.rfind("total\t"));
  EXPECT_NEAR(std::strtod(total.substr(total.rfind('\t') + 1).c_str(), nullptr), u["lnl"].get<double>(), 1e-3);

  // The same line on standard error and in the log's notes.
  const std::string line = "a second maximum within ";
  EXPECT_TRUE(has(r.err, "kinseg: " + line)) << r.err;
  const std::string log = read_file("tm.log");
  const size_t notes = log.find("\nnotes:\n");
  ASSERT_NE(notes, std::string::npos);
  EXPECT_NE(log.find("  " + line, notes), std::string::npos);
  EXPECT_TRUE(has(log, "start " + std::to_string(u["start"].get<int>()) + ", " + u["origin"].get<std::string>() + ")"));

  // With one start there is nothing to compare.
  const auto one = kinseg("fit " + data + " --model mendelian:recessive --starts 1 --out one");
  ASSERT_EQ(one.status, 0) << one.err;
  EXPECT_TRUE(nlohmann::json::parse(read_file("one.json"))["runner_up"].is_null());
  EXPECT_FALSE(has(one.err, line));
}

}  // namespace
