// The report page of kinseg test as a reader meets it: the summary first (the
// verdict, q and the penetrances with their intervals), the tests' flags as
// numbered notes written once, the family table folded after its first 20
// rows, the drawings --draw-limit and --trim ask for, and with ages at onset
// the plot of each genotype's risk by age.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/kinseg_run.hpp"

namespace {

using kintest::has;

size_t count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(ReportPage, SummaryNotesFoldedFamiliesAndDrawingOptions) {
  kintest::TempDir dir;
  const kintest::KinsegRun r = kintest::kinseg(std::string("test ") + KINSEG_EXAMPLE_DIR +
                                               "/input/sample.dat --covar smoker --draw-limit 2 --draw 7 --trim "
                                               "--out ex");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string page = kintest::read_file("ex.html");
  // The summary comes first, with the verdict box the browser check reads.
  ASSERT_TRUE(has(page, "<section id=\"summary\">"));
  EXPECT_LT(page.find("<section id=\"summary\">"), page.find("<section id=\"data\">"));
  EXPECT_EQ(count(page, "id=\"verdict\""), 1u);
  // Provisional: general:dominant's tr1 is not identified.
  EXPECT_TRUE(has(page, "class=\"verdict supported\">Provisional: evidence for a major gene"));
  // q and the two penetrances of the dominant model with their intervals,
  // the numbers of PREFIX.penetrances.tsv: at the smoker column's mean (the
  // reference value), not at 0. Then the implied and the observed prevalence.
  EXPECT_TRUE(has(page, "<th>q <span class=\"meaning\">frequency of the risk allele</span></th>"));
  EXPECT_FALSE(has(page, "penetrance w"));
  std::map<std::string, std::vector<std::string>> tsv;  // genotype -> row, of the selected model
  for (const auto& f : kintest::rows_of(kintest::read_file("ex.penetrances.tsv")))
    if (f[0] == "mendelian:dominant") tsv[f[1]] = f;
  ASSERT_EQ(tsv.size(), 3u);
  EXPECT_EQ(tsv["1"][3], tsv["2"][3]);
  // The row after a name, as the page writes it: estimate, then "low to high".
  auto cells = [&](const std::string& name) {
    const size_t row = page.find("<th>" + name + " <span");
    EXPECT_NE(row, std::string::npos) << name;
    const size_t a = page.find("<td class=\"num\">", row) + 16;
    const size_t b = page.find("<td class=\"num\">", a) + 16;
    const std::string interval = page.substr(b, page.find("</td>", b) - b);
    return std::vector<std::string>{page.substr(a, page.find("</td>", a) - a), interval};
  };
  EXPECT_TRUE(has(page, "<th>penetrance, genotypes 1 and 2 <span class=\"meaning\">of a person with two copies of "
                        "the risk allele or one copy</span>"));
  EXPECT_EQ(cells("penetrance, genotypes 1 and 2"),
            (std::vector<std::string>{tsv["1"][3], tsv["1"][4] + " to " + tsv["1"][5]}));
  EXPECT_EQ(cells("penetrance, genotype 3"),
            (std::vector<std::string>{tsv["3"][3], tsv["3"][4] + " to " + tsv["3"][5]}));
  // Not the penetrance of a non-smoker (w3 = -2.58695): the smokers count.
  const std::string estimates = kintest::read_file("ex.estimates.tsv");
  ASSERT_TRUE(has(estimates, "mendelian:dominant\tw3\t-2.58695"));
  EXPECT_GT(std::strtod(tsv["3"][3].c_str(), nullptr), 1 / (1 + std::exp(2.58695)) + 0.01);
  const auto j = nlohmann::json::parse(kintest::read_file("ex.json"));
  for (const auto& m : j["models"])
    if (m["model"] == "mendelian:dominant") {
      const auto& prev = m["penetrances"]["prevalence"];
      EXPECT_EQ(std::strtod(cells("prevalence implied")[0].c_str(), nullptr), prev["implied"].get<double>());
      EXPECT_EQ(std::strtod(cells("prevalence observed")[0].c_str(), nullptr), prev["observed"].get<double>());
    }
  EXPECT_EQ(cells("prevalence observed")[1], "NA");
  EXPECT_TRUE(has(page, "at smoker = " + j["models"][0]["penetrances"]["reference"]["smoker"]["value"].dump() +
                            " (sample mean), parents&#39; traits not counted"))
      << page.substr(page.find("Under the selected model"), 400);
  // Each flag once, as a note the cells point at.
  // (the example's tests carry 9 distinct flags, some on several rows; one is
  // the codominant model's h on its dominant edge).
  EXPECT_EQ(count(page, "<li id=\"test-note-"), 9u);
  EXPECT_EQ(count(page, "alternative: h at upper bound"), 1u);
  EXPECT_EQ(count(page, "q not identified under the null: p approximate"), 1u);
  EXPECT_TRUE(has(page, "<a href=\"#test-note-1\">[1]</a>"));
  // 60 families: 20 shown, 40 folded, the file named for the printed page.
  EXPECT_EQ(count(page, "<tr class=\"more\">"), 40u);
  EXPECT_TRUE(has(page, "Show the other 40 families"));
  EXPECT_TRUE(has(page, "all of them in ex.families.tsv"));
  // Two drawn by rank and the one named, trimmed.
  EXPECT_EQ(count(page, "<figure class=\"pedigree-figure"), 3u);
  EXPECT_TRUE(has(page, "data-pedigree=\"7\"><figcaption>"));
  // No ages at onset: no risk curves.
  EXPECT_FALSE(has(page, "id=\"risks\""));
  EXPECT_FALSE(has(page, "class=\"risks\""));
}

TEST(ReportPage, DrawLimitZeroDrawsOnlyTheNamed) {
  kintest::TempDir dir;
  const kintest::KinsegRun r = kintest::kinseg(std::string("test ") + KINSEG_EXAMPLE_DIR +
                                               "/input/sample.dat --covar smoker --no-profile --draw-limit 0 "
                                               "--draw 7 --out ex");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string page = kintest::read_file("ex.html");
  EXPECT_EQ(count(page, "<figure class=\"pedigree-figure"), 1u);
  EXPECT_EQ(kintest::kinseg(std::string("test ") + KINSEG_EXAMPLE_DIR + "/input/sample.dat --draw-limit -1").status,
            2);
}

// The value of attribute NAME in the element's text.
std::string attribute(const std::string& element, const std::string& name) {
  const size_t at = element.find(" " + name + "=\"");
  if (at == std::string::npos) return "";
  const size_t from = at + name.size() + 3;
  return element.substr(from, element.find('"', from) - from);
}

std::vector<std::pair<double, double>> points_of(const std::string& list) {
  std::vector<std::pair<double, double>> out;
  std::istringstream in(list);
  std::string pair;
  while (in >> pair) {
    const size_t comma = pair.find(',');
    out.push_back({std::stod(pair.substr(0, comma)), std::stod(pair.substr(comma + 1))});
  }
  return out;
}

// A plot's axis, read back from its ticks: the tick lines' pixel positions
// against their labels' values, the line through the first and the last.
struct Axis {
  double pixel0 = 0, value0 = 0, pixel1 = 1, value1 = 1;
  double value(double pixel) const { return value0 + (pixel - pixel0) * (value1 - value0) / (pixel1 - pixel0); }
};

Axis axis_of(const std::string& svg, const std::string& tick, const std::string& coordinate) {
  std::vector<std::pair<double, double>> ticks;
  for (size_t at = svg.find("<g class=\"" + tick + "\">"); at != std::string::npos;
       at = svg.find("<g class=\"" + tick + "\">", at + 1)) {
    const std::string g = svg.substr(at, svg.find("</g>", at) - at);
    const size_t label = g.find('>', g.find("<text")) + 1;
    ticks.push_back({std::stod(attribute(g, coordinate)), std::stod(g.substr(label, g.find('<', label) - label))});
  }
  Axis a;
  if (ticks.size() < 2) return a;
  a.pixel0 = ticks.front().first;
  a.value0 = ticks.front().second;
  a.pixel1 = ticks.back().first;
  a.value1 = ticks.back().second;
  return a;
}

// One drawn curve as (age, risk) and its band as (age, low, high), read back
// through the axes.
struct DrawnCurve {
  std::map<double, double> risk, low, high;
};

std::map<std::string, std::map<std::string, DrawnCurve>> drawn_curves(const std::string& page) {
  std::map<std::string, std::map<std::string, DrawnCurve>> out;  // panel -> genotype -> curve
  for (size_t at = page.find("<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"risks\""); at != std::string::npos;
       at = page.find("class=\"risks\"", at + 1)) {
    const std::string svg = page.substr(at, page.find("</svg>", at) - at);
    const std::string panel = attribute(svg, "data-panel");
    const Axis x = axis_of(svg, "x-tick", "x1"), y = axis_of(svg, "y-tick", "y1");
    for (size_t e = svg.find("<polyline class=\"risk\""); e != std::string::npos;
         e = svg.find("<polyline class=\"risk\"", e + 1)) {
      const std::string element = svg.substr(e, svg.find("/>", e) - e);
      DrawnCurve& c = out[panel][attribute(element, "data-genotype")];
      for (const auto& [px, py] : points_of(attribute(element, "points"))) c.risk[std::round(x.value(px))] = y.value(py);
    }
    for (size_t e = svg.find("<polygon class=\"band\""); e != std::string::npos;
         e = svg.find("<polygon class=\"band\"", e + 1)) {
      const std::string element = svg.substr(e, svg.find("/>", e) - e);
      DrawnCurve& c = out[panel][attribute(element, "data-genotype")];
      const auto pts = points_of(attribute(element, "points"));
      // The low ends forward, then the high ends back.
      for (size_t k = 0; k < pts.size(); ++k)
        (k < pts.size() / 2 ? c.low : c.high)[std::round(x.value(pts[k].first))] = y.value(pts[k].second);
    }
  }
  return out;
}

}  // namespace

// The page of a run with ages at onset and a sex effect plots the selected
// model's risk curves, one plot per sex: read back through the plots' axes,
// each curve and its band pass through the risks of PREFIX.risks.tsv (to the
// plot's resolution), one curve for the carriers and one for the
// non-carriers of the dominant model, and a table of the risks by 50, 70, 80.
TEST(ReportPage, RiskCurvesOfAnOnsetRunMatchTheRisksFile) {
  kintest::TempDir dir;
  const kintest::KinsegRun r = kintest::kinseg("test " + kintest::kinseg_fixture("onset.txt") +
                                               " --onset age --sex-effect --starts 2 --no-profile --out on");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string page = kintest::read_file("on.html");
  ASSERT_TRUE(has(page, "<h2>Risk by age under mendelian:dominant</h2>"));
  EXPECT_TRUE(has(page, "delta method on the logit scale"));
  EXPECT_TRUE(has(page, "<tspan font-weight=\"bold\">carriers</tspan>: one or two copies of the risk allele"));
  EXPECT_TRUE(has(page, "<tspan font-weight=\"bold\">non-carriers</tspan>: no copy of the risk allele"));
  EXPECT_TRUE(has(page, "<th>by 50</th><th>by 70</th><th>by 80</th>"));
  const auto drawn = drawn_curves(page);
  ASSERT_EQ(drawn.size(), 2u);
  ASSERT_TRUE(drawn.count("men") && drawn.count("women"));
  int compared = 0;
  for (const auto& row : kintest::rows_of(kintest::read_file("on.risks.tsv"))) {
    if (row[0] != "mendelian:dominant") continue;
    const auto& panel = drawn.at(row[2]);
    if (row[1] == "2") {  // the carriers' curve holds for both genotypes of carriers
      EXPECT_EQ(panel.count("2"), 0u);
      continue;
    }
    const DrawnCurve& c = panel.at(row[1]);
    const double age = std::stod(row[3]);
    ASSERT_TRUE(c.risk.count(age) && c.low.count(age) && c.high.count(age)) << row[1] << " " << row[2] << " " << age;
    // Coordinates have two decimals on a plot about 280 pixels high.
    EXPECT_NEAR(c.risk.at(age), std::stod(row[4]), 1e-4) << row[1] << " " << row[2] << " " << age;
    EXPECT_NEAR(c.low.at(age), std::stod(row[5]), 1e-4) << row[1] << " " << row[2] << " " << age;
    EXPECT_NEAR(c.high.at(age), std::stod(row[6]), 1e-4) << row[1] << " " << row[2] << " " << age;
    ++compared;
  }
  EXPECT_EQ(compared, 2 * 2 * 9);  // two sexes, two curves, ages 10 to 90
  // The summary's penetrances, one per sex, are the lifetime risks of the
  // penetrances file.
  int summary_rows = 0;
  for (const auto& row : kintest::rows_of(kintest::read_file("on.penetrances.tsv"))) {
    if (row[0] != "mendelian:dominant" || row[1] == "2") continue;
    const std::string name = std::string(row[1] == "1" ? "penetrance, genotypes 1 and 2, " : "penetrance, genotype 3, ") +
                             row[2];
    const size_t at = page.find("<th>" + name + " <span");
    ASSERT_NE(at, std::string::npos) << name;
    const std::string cells = page.substr(at, page.find("</tr>", at) - at);
    EXPECT_TRUE(has(cells, "<td class=\"num\">" + row[3] + "</td><td class=\"num\">" + row[4] + " to " + row[5] +
                               "</td>"))
        << cells;
    ++summary_rows;
  }
  EXPECT_EQ(summary_rows, 4);
  EXPECT_TRUE(has(page, "P(affected | genotype, sex)"));
  EXPECT_TRUE(has(page, "the penetrance is the lifetime risk (the susceptibility)"));
  // Between the file's ages the curves are drawn at every year.
  EXPECT_EQ(drawn.at("women").at("1").risk.size(), drawn.at("women").at("3").risk.size());
  EXPECT_GT(drawn.at("women").at("1").risk.size(), 70u);
}

namespace {

// The selected model's second maximum (tests/fixtures/kinseg/two_maxima.dat:
// the recessive model has two maxima half a unit apart) is a warning at the
// top and a note under its estimates.
TEST(ReportPage, TheSelectedModelsSecondMaximumIsWarnedOf) {
  kintest::TempDir dir;
  const kintest::KinsegRun r =
      kintest::kinseg("test " + kintest::kinseg_fixture("two_maxima.dat") + " --no-profile --out tm");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(kintest::read_file("tm.json"));
  ASSERT_EQ(j["selected_model"], "mendelian:recessive");
  const std::string page = kintest::read_file("tm.html");
  const size_t summary = page.find("<section id=\"summary\">"), estimates = page.find("<section id=\"estimates\">");
  ASSERT_NE(summary, std::string::npos);
  ASSERT_NE(estimates, std::string::npos);
  const size_t warning = page.find("<li>The selected model has a second maximum within ");
  EXPECT_GT(warning, summary);
  EXPECT_LT(warning, page.find("</section>", summary));
  EXPECT_GT(page.find("<p class=\"note second-maximum\">A second maximum within "), estimates);
  // --no-profile: every interval NA with its reason, noted once.
  EXPECT_EQ(count(page, "<li>not profiled (--no-profile)</li>"), 1u);
  EXPECT_TRUE(has(page, "<td class=\"num missing\" title=\"not profiled (--no-profile)\">NA<sup>"));
}

}  // namespace
