#include "kinseg/risk_page.hpp"

#include <algorithm>
#include <limits>
#include <string>

#include "kinseg/risk_files.hpp"

namespace kinseg::cli {

namespace {

constexpr double kNA = std::numeric_limits<double>::quiet_NaN();

report::RiskValue risk_value(const RiskEstimate& e) {
  return {e.value, e.has_ci ? e.ci_low : kNA, e.has_ci ? e.ci_high : kNA};
}

// What a curve's genotypes are, in the words of the page's summary and
// drawings: how many copies of the risk allele.
std::string meaning(const std::string& label) {
  if (label == "carriers") return "one or two copies of the risk allele";
  if (label == "non-carriers") return "no copy of the risk allele";
  if (label == "everyone") return "no major gene";
  return "of the risk allele";  // "two copies", "one copy", "no copy", "one or no copy"
}

}  // namespace

report::RiskSection risk_page_section(const RiskResult& r) {
  report::RiskSection out;
  if (r.curves.empty()) return out;
  out.model = r.model;
  out.table_ages = r.asked_ages;
  const int only = r.known_trait_sex;
  bool intervals = false;
  for (const GenotypeRisk& g : r.curves) {
    if (!distinct_curve(r, g.genotype)) continue;
    // Without a sex effect the curves hold for everybody; a trait known in
    // one sex only is that sex's.
    const int sex = g.sex != 0 ? g.sex : only;
    const std::string title = sex == 0 ? "" : sex_label(sex);
    auto panel = std::find_if(out.panels.begin(), out.panels.end(),
                              [&](const report::RiskPanel& p) { return p.title == title; });
    if (panel == out.panels.end()) panel = out.panels.insert(out.panels.end(), report::RiskPanel{title, {}});
    report::RiskCurve curve;
    curve.label = genotype_label(r, g.genotype);
    curve.meaning = meaning(curve.label);
    curve.genotype = g.genotype;
    for (const RiskAtAge& a : g.by_age) {
      const report::RiskValue v = risk_value(a.risk);
      curve.points.push_back({a.age, v.estimate, v.low, v.high});
      intervals = intervals || a.risk.has_ci;
    }
    panel->curves.push_back(curve);

    report::RiskRow row;
    row.who = curve.label + (title.empty() ? "" : ", " + title);
    for (double age : r.asked_ages) {
      const auto at = std::find_if(g.by_age.begin(), g.by_age.end(), [&](const RiskAtAge& x) { return x.age == age; });
      row.by_age.push_back(at == g.by_age.end() ? report::RiskValue{kNA, kNA, kNA} : risk_value(at->risk));
    }
    row.lifetime = risk_value(g.lifetime);
    row.median_onset = risk_value(g.median_onset);
    out.rows.push_back(row);
  }
  std::string who;
  if (r.curves.front().sex == 0 && only != 0) who = only == 2 ? "a woman" : "a man";
  const std::string at = reference_text(r);
  if (at != "no covariates") who = (who.empty() ? "a person" : who) + " with " + at;
  out.notes.push_back("The probability of having fallen ill by each age, R(a) = \u03b3 F(a): the lifetime risk \u03b3 "
                      "of the genotype times the share of its cases begun by that age" +
                      (who.empty() ? "" : ", for " + who) +
                      "; the median age at onset is the age by which half of the genotype's cases have begun.");
  out.notes.push_back(intervals ? "Shaded bands: " + r.method + " (as in the .risks.tsv file)."
                                : "No intervals: the fit has no variance-covariance matrix.");
  return out;
}

}  // namespace kinseg::cli
