// The number rule shared by the files and the page, and the page itself:
// every section there, every number written by the rule, nothing fetched.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <regex>
#include <string>
#include <vector>

#include "report/html_page.hpp"
#include "report/number_format.hpp"
#include "report/pedigree_svg.hpp"
#include "report/profile_plot.hpp"
#include "report/risk_plot.hpp"
#include "tests/support/drawn_pedigrees.hpp"

namespace {

using kinseg::report::format_number;

TEST(NumberFormat, SixSignificantDigitsAndThreeDecimalsForLargeValues) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double x;
    const char* text;
  } cases[] = {
      {0.0, "0"},
      {-0.0, "0"},
      {1.0, "1"},
      {0.5, "0.5"},
      {0.123456789, "0.123457"},
      {-2.7182818, "-2.71828"},
      {123.4567891, "123.457"},
      {999.99949, "999.999"},
      {-167.73712, "-167.737"},
      {1234.56789, "1234.568"},      // ln L of a larger sample: differences of 0.001 show
      {-15000.31249, "-15000.312"},
      {-123456.78949, "-123456.789"},
      {999999999.0, "999999999"},
      {1.5e9, "1.5e+09"},
      {1e-4, "0.0001"},
      {3.1e-6, "3.1e-06"},
      {1.23456789e-12, "1.23457e-12"},
      {inf, "inf"},
      {-inf, "-inf"},
      {std::nan(""), "NA"},
  };
  for (const auto& c : cases) EXPECT_EQ(format_number(c.x), c.text) << c.x;
}

TEST(NumberFormat, JsonHoldsTheDigitsOfTheText) {
  for (double x : {0.123456789, -15000.31249, 3.1e-6, 1.5e9, 2.0 / 3.0, -167.73712}) {
    const nlohmann::json j = kinseg::report::json_number(x);
    ASSERT_TRUE(j.is_number_float()) << x;
    // Read back, the JSON number is the one the text shows.
    EXPECT_EQ(j.get<double>(), std::stod(format_number(x)));
    EXPECT_EQ(format_number(nlohmann::json::parse(j.dump()).get<double>()), format_number(x));
  }
  EXPECT_TRUE(kinseg::report::json_number(-std::numeric_limits<double>::infinity()).is_null());
  EXPECT_TRUE(kinseg::report::json_number(std::nan("")).is_null());
}

kinseg::report::ReportInput filled() {
  kinseg::report::ReportInput in;
  in.title = "Analysis of <study>";
  in.command = "kinseg test study.txt";
  in.data.file = "study.txt";
  in.data.pedigrees = 2;
  in.data.columns = {{"pedigree", "fam&ily"}};
  in.models = {{"sporadic", 1, -180.41249, 360.82498, 362.82498, 21.35, "converged", "W=-1.2", false},
               {"mendelian:dominant", 3, -167.737, 335.474, 341.474, 0, "converged", "Q=0.0412346", true}};
  in.tests = {{"sporadic", "mendelian:dominant", 25.35, "chi2(2)", 3.1e-6, "Q not identified"}};
  in.verdict.text = "Evidence for a major gene";
  in.verdict.criteria = {{"sporadic rejected", true}, {"Mendelian rejected against general", false}};
  in.selected_model = "mendelian:dominant";
  in.estimates = {{"Q", 0.04123456, 0.011, 0.0231, 0.0702, "converged", "", ""},
                  {"Tr2", 0.5, std::nan(""), std::nan(""), std::nan(""), "fixed", "", ""}};
  kinseg::report::ProfileCurve q;
  q.parameter = "Q";
  q.estimate = 0.04123456;
  q.max_lnl = -167.737;
  q.cut_lnl = -167.737 - 1.9207;
  q.ci_low = 0.0231;
  q.ci_high = 0.0702;
  for (int i = 0; i <= 10; ++i) {
    const double v = 0.01 + 0.008 * i;
    q.points.push_back({v, -167.737 - 0.5 * std::pow((v - 0.0412) / 0.011, 2)});
  }
  q.points.push_back({0.2, -std::numeric_limits<double>::infinity()});  // a failed step is left out
  in.profiles = {q};
  in.families = {{"12", 5, 2, 1, -20.5, -27.8683, 3.2}, {"7", 12, 4, 2, -21.5, -27.4637, -0.000123}};
  const kinseg::Sample s = kintest::nuclear_family();
  in.drawings = {{"1", "rank 1", kinseg::report::draw_pedigree(s, 0)}};
  return in;
}

// A missing SE or interval with a reason shows NA with the reason as its
// tooltip and as a numbered note under the table, which a printed page
// keeps; one reason shared by two cells is noted once. The second maximum
// is a note under the table.
TEST(ReportPage, AMissingValueShowsItsReasonOnScreenAndInPrint) {
  kinseg::report::ReportInput in = filled();
  const double nan = std::nan("");
  in.estimates = {{"q", 0.2, nan, 0.1, 0.3, "not identified", "not identified: ln L is flat along it", ""},
                  {"w1", 1.5, 0.4, nan, nan, "estimated", "", "not profiled (--no-profile)"},
                  {"tr2", 0.5, nan, nan, nan, "fixed (by the model)", "", ""}};
  in.second_maximum = "A second maximum within 0.42 ln L units of the best: q = 0.7";
  const std::string page = kinseg::report::html_page(in);
  const std::string flat = "<td class=\"num missing\" title=\"not identified: ln L is flat along it\">NA<sup>1</sup></td>";
  const std::string unprofiled = "<td class=\"num missing\" title=\"not profiled (--no-profile)\">NA<sup>2</sup></td>";
  EXPECT_NE(page.find(flat), std::string::npos) << page;
  EXPECT_NE(page.find(unprofiled + unprofiled), std::string::npos);
  EXPECT_NE(page.find("<ol class=\"note missing-reasons\">\n<li>not identified: ln L is flat along it</li>\n"
                      "<li>not profiled (--no-profile)</li>\n</ol>"),
            std::string::npos);
  // Without a reason (the status says it): a plain NA.
  EXPECT_NE(page.find("<td>tr2</td><td class=\"num\">0.5</td><td class=\"num\">NA</td>"), std::string::npos);
  EXPECT_NE(page.find("<p class=\"note second-maximum\">A second maximum within 0.42"), std::string::npos);
  EXPECT_EQ(kinseg::report::html_page(filled()).find("missing-reasons"), std::string::npos);
}

TEST(ReportPage, ShowsEverySectionWithNumbersByTheRule) {
  const std::string page = kinseg::report::html_page(filled());
  for (const char* id : {"id=\"data\"", "id=\"models\"", "id=\"model-table\"", "id=\"tests\"", "id=\"verdict\"",
                         "id=\"estimates\"", "id=\"families\"", "id=\"family-table\"", "id=\"pedigrees\"",
                         "class=\"profile\"", "class=\"pedigree\"", "class=\"pedigree-key\""})
    EXPECT_NE(page.find(id), std::string::npos) << id;
  // Numbers as the files write them.
  for (const char* cell : {"<td class=\"num\">-180.412</td>", "<td class=\"num\">3.1e-06</td>",
                           "<td class=\"num\">-0.000123</td>", "<td class=\"num\">NA</td>", "<td class=\"num\">0.0412346</td>"})
    EXPECT_NE(page.find(cell), std::string::npos) << cell;
  EXPECT_NE(page.find("<tr class=\"selected\"><td>mendelian:dominant</td>"), std::string::npos);
  EXPECT_NE(page.find("<li class=\"holds\">sporadic rejected</li>"), std::string::npos);
  EXPECT_NE(page.find("<li class=\"fails\">Mendelian rejected against general</li>"), std::string::npos);
  // The user's text is escaped.
  EXPECT_NE(page.find("<h1>Analysis of &lt;study&gt;</h1>"), std::string::npos);
  EXPECT_NE(page.find("fam&amp;ily"), std::string::npos);
}

// A risk section of a codominant model: three curves of small risks, the
// one of no copy without intervals (a fit with no variance-covariance matrix
// for it), asked ages at 50 and 55.5.
kinseg::report::RiskSection small_risks() {
  kinseg::report::RiskSection s;
  s.model = "mendelian:codominant";
  s.table_ages = {50, 55.5};
  kinseg::report::RiskPanel panel;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const char* labels[] = {"two copies", "one copy", "no copy"};
  for (int g = 1; g <= 3; ++g) {
    kinseg::report::RiskCurve c;
    c.label = labels[g - 1];
    c.meaning = "of the risk allele";
    c.genotype = g;
    for (double a : {20.0, 30.0, 40.0, 50.0, 55.5, 60.0, 70.0}) {
      const double r = 0.08 / g / (1 + std::exp(-(a - 50) / 6));
      c.points.push_back({a, r, g == 3 ? nan : 0.7 * r, g == 3 ? nan : std::min(1.0, 1.2 * r)});
    }
    panel.curves.push_back(c);
  }
  s.panels.push_back(panel);
  s.rows.push_back({"two copies", {{0.04, 0.03, 0.05}, {0.05, nan, nan}}, {0.08, 0.06, 0.1}, {50, 45, 55}});
  s.notes.push_back("Shaded bands: 95% intervals by the delta method on the logit scale.");
  return s;
}

// The risk plot: a band for each curve that has intervals and none for the
// other, the risk axis up to the round value above the highest band (0.1
// here, not 1), each genotype in its own colour, the asked ages marked (55.5
// as written), no NaN anywhere; the page's section with its table, an
// estimate without interval shown alone.
TEST(RiskPlot, BandsWhereThereAreIntervalsOnAnAxisFittedToTheRisks) {
  const kinseg::report::RiskSection s = small_risks();
  const std::string svg = kinseg::report::risk_plot_svg(s, 0, 7);
  auto count = [&](const std::string& part) {
    size_t n = 0;
    for (size_t at = svg.find(part); at != std::string::npos; at = svg.find(part, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("<polygon class=\"band\""), 2u);
  EXPECT_EQ(svg.find("class=\"band\" data-genotype=\"3\""), std::string::npos);
  EXPECT_EQ(count("<polyline class=\"risk\""), 3u);
  for (const char* colour : {"stroke=\"#b22\"", "stroke=\"#c60\"", "stroke=\"#25a\""})
    EXPECT_NE(svg.find(colour), std::string::npos) << colour;
  // The highest tick is the top of the frame (y = 30).
  EXPECT_NE(svg.find("y1=\"30\" x2=\"544\" y2=\"30\" stroke=\"#e2e2e2\"/><text x=\"56\" y=\"34\" "
                     "text-anchor=\"end\">0.10</text>"),
            std::string::npos)
      << svg;
  EXPECT_NE(svg.find("font-size=\"10\">55.5</text>"), std::string::npos);
  EXPECT_EQ(count("<line class=\"marked\""), 2u);
  EXPECT_NE(svg.find("id=\"risk-clip-7\""), std::string::npos);
  EXPECT_NE(svg.find("95% interval"), std::string::npos);
  EXPECT_FALSE(std::regex_search(svg, std::regex(R"([^a-z](nan|inf)[^a-z])", std::regex::icase)));

  kinseg::report::ReportInput in = filled();
  in.risks = s;
  const std::string page = kinseg::report::html_page(in);
  EXPECT_NE(page.find("<h2>Risk by age under mendelian:codominant</h2>"), std::string::npos);
  EXPECT_NE(page.find("<th>by 50</th><th>by 55.5</th><th>lifetime</th>"), std::string::npos);
  EXPECT_NE(page.find("<td class=\"num\">0.04<br><span class=\"ci\">0.03 to 0.05</span></td>"
                      "<td class=\"num\">0.05</td>"),
            std::string::npos);
  // A page without risks has no section.
  EXPECT_EQ(kinseg::report::html_page(filled()).find("id=\"risks\""), std::string::npos);
}

TEST(ReportPage, FetchesNothing) {
  kinseg::report::ReportInput in = filled();
  in.risks = small_risks();
  const std::string page = kinseg::report::html_page(in);
  // No external resource of any kind: no src attribute and no href but to a
  // place on the page itself (the notes of the tests), no url() but the
  // plots' own clip paths (profiles and risk curves), no import; the only
  // script is inline.
  EXPECT_FALSE(std::regex_search(page, std::regex(R"(\s(src|href)\s*=\s*"(?!#))")));
  EXPECT_FALSE(std::regex_search(page, std::regex(R"(\ssrc\s*=)")));
  EXPECT_FALSE(std::regex_search(page, std::regex(R"(url\((?!#(profile|risk)-clip-))")));
  EXPECT_FALSE(std::regex_search(page, std::regex(R"(@import|https?:(?!//www\.w3\.org/2000/svg))")));
  EXPECT_EQ(page.find("<script src"), std::string::npos);
}

TEST(ProfilePlot, MarksEstimateAndLevelAndSurvivesTooFewPoints) {
  const kinseg::report::ProfileCurve q = filled().profiles[0];
  const std::string svg = kinseg::report::profile_plot_svg(q, 3);
  EXPECT_NE(svg.find("class=\"curve\""), std::string::npos);
  EXPECT_NE(svg.find("class=\"estimate\""), std::string::npos);
  EXPECT_NE(svg.find("class=\"cut\""), std::string::npos);
  EXPECT_NE(svg.find("estimate 0.0412346"), std::string::npos);
  EXPECT_NE(svg.find("id=\"profile-clip-3\""), std::string::npos);
  EXPECT_EQ(svg.find("inf"), std::string::npos);
  EXPECT_EQ(svg.find("nan"), std::string::npos);
  // The ticks of ln L of a large sample: each different, in plain decimals.
  kinseg::report::ProfileCurve large = q;
  for (auto& p : large.points) p.lnl -= 11135;
  large.max_lnl -= 11135;
  large.cut_lnl -= 11135;
  const std::string large_svg = kinseg::report::profile_plot_svg(large, 4);
  std::vector<std::string> ticks;
  const std::regex tick(R"(<text x="72" y="[0-9.]+" text-anchor="end">([^<]*)</text>)");
  for (auto it = std::sregex_iterator(large_svg.begin(), large_svg.end(), tick); it != std::sregex_iterator(); ++it)
    ticks.push_back((*it)[1]);
  ASSERT_GE(ticks.size(), 3u) << large_svg;
  for (size_t i = 0; i < ticks.size(); ++i) {
    EXPECT_EQ(ticks[i].find('e'), std::string::npos) << ticks[i];
    EXPECT_EQ(ticks[i].rfind("-11", 0), 0u) << ticks[i];
    if (i > 0) {
      EXPECT_NE(ticks[i], ticks[i - 1]);
    }
  }
  kinseg::report::ProfileCurve empty = q;
  empty.points.resize(1);
  EXPECT_NE(kinseg::report::profile_plot_svg(empty, 0).find("no profile"), std::string::npos);
}

}  // namespace
