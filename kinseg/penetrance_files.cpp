#include "kinseg/penetrance_files.hpp"

#include <algorithm>
#include <limits>
#include <sstream>

#include "kinseg/fit_output.hpp"
#include "kinseg/risk_files.hpp"

namespace kinseg::cli {

namespace {

constexpr double kNA = std::numeric_limits<double>::quiet_NaN();

std::string num(double x) { return number_text(x); }

std::string genotype_cell(int genotype) { return genotype == 0 ? "all" : std::to_string(genotype); }

std::string estimate_text(const RiskEstimate& e) {
  return num(e.value) + (e.has_ci ? " (" + num(e.ci_low) + ", " + num(e.ci_high) + ")" : "");
}

bool has_implied(const PenetranceResult& r) { return r.prevalence_persons > 0; }

// "among non-probands", or among everyone of known trait when all are probands.
std::string observed_among(const PenetranceResult& r) {
  return r.all_probands ? "among the members of known trait (all probands)" : "among non-probands";
}

// Why the two prevalences differ as they usually do: the non-probands of a
// sample ascertained through affected probands are their relatives, and where
// the trait runs in families they are more often affected than the
// population, whose prevalence the model's is. Empty when all are probands.
std::string observed_caveat(const PenetranceResult& r) {
  return r.all_probands ? ""
                        : " (relatives of the probands: above the model's population prevalence when the trait runs in "
                          "families)";
}

// For whom the penetrances hold, in one clause.
std::string held_at(const PenetranceResult& r) {
  bool by_sex = false;
  for (const GenotypePenetrance& g : r.rows) by_sex = by_sex || g.sex != 0;
  return held_for(r.reference, r.known_trait_sex, by_sex) + ", parents' traits not counted" +
         (r.lifetime ? "; under the age-of-onset model the penetrance is the lifetime risk (the susceptibility)"
                     : "");
}

}  // namespace

TsvTable penetrances_tsv_table() {
  return TsvTable({"model", "genotype", "sex", "penetrance", "ci_low", "ci_high"});
}

void add_penetrance_rows(TsvTable& table, const PenetranceResult& r) {
  for (const GenotypePenetrance& g : r.rows)
    table.add({r.model, genotype_cell(g.genotype), sex_label(g.sex), num(g.penetrance.value),
               g.penetrance.has_ci ? num(g.penetrance.ci_low) : "",
               g.penetrance.has_ci ? num(g.penetrance.ci_high) : ""});
}

Json penetrances_json(const PenetranceResult& r) {
  Json j;
  j["intervals"] = r.method;
  j["regressive_terms"] = "parents' traits not counted";
  j["lifetime_risk"] = r.lifetime;
  Json ref = Json::object();
  for (const ReferenceValue& v : r.reference) {
    Json e;
    e["value"] = number_json(v.value);
    e["from"] = v.given ? "--reference" : "sample mean";
    ref[v.name] = e;
  }
  j["reference"] = ref;
  Json rows = Json::array();
  for (const GenotypePenetrance& g : r.rows) {
    Json e;
    e["genotype"] = g.genotype;
    e["label"] = genotype_label(r.model, g.genotype);
    e["sex"] = sex_label(g.sex);
    e["penetrance"] = number_json(g.penetrance.value);
    e["ci_low"] = g.penetrance.has_ci ? number_json(g.penetrance.ci_low) : Json(nullptr);
    e["ci_high"] = g.penetrance.has_ci ? number_json(g.penetrance.ci_high) : Json(nullptr);
    rows.push_back(e);
  }
  j["genotypes"] = rows;
  Json prev;
  const RiskEstimate& im = r.implied_prevalence;
  prev["implied"] = has_implied(r) ? number_json(im.value) : Json(nullptr);
  prev["ci_low"] = has_implied(r) && im.has_ci ? number_json(im.ci_low) : Json(nullptr);
  prev["ci_high"] = has_implied(r) && im.has_ci ? number_json(im.ci_high) : Json(nullptr);
  prev["observed"] = number_json(r.observed_prevalence);
  prev["persons"] = r.prevalence_persons;
  prev["all_probands"] = r.all_probands;
  prev["definition"] = r.prevalence_definition;
  j["prevalence"] = prev;
  return j;
}

std::string penetrances_log(const PenetranceResult& r) {
  std::ostringstream o;
  o << "penetrances (" << r.model << "): P(affected | genotype, sex) " << held_at(r) << "; " << r.method << "\n";
  for (const GenotypePenetrance& g : r.rows)
    o << "  " << genotype_label(r.model, g.genotype)
      << (g.genotype ? " (genotype " + std::to_string(g.genotype) + ")" : "") << (g.sex ? ", " + sex_label(g.sex) : "")
      << ": " << estimate_text(g.penetrance) << "\n";
  if (has_implied(r))
    o << "  prevalence implied " << estimate_text(r.implied_prevalence) << ", observed " << observed_among(r) << " "
      << num(r.observed_prevalence) << " (" << r.prevalence_persons << " persons)" << observed_caveat(r) << "\n"
      << "  implied prevalence: " << r.prevalence_definition << "\n";
  return o.str();
}

std::string penetrances_table(const PenetranceResult& r) {
  if (r.rows.empty()) return "";
  ConsoleTable table({"genotype", "sex", "penetrance", "95% interval"}, {false, false, true, true});
  for (const GenotypePenetrance& g : r.rows) {
    const RiskEstimate& e = g.penetrance;
    table.add({g.genotype == 0 ? genotype_label(r.model, 0)
                               : std::to_string(g.genotype) + " (" + genotype_label(r.model, g.genotype) + ")",
               sex_label(g.sex), num(e.value), e.has_ci ? num(e.ci_low) + " to " + num(e.ci_high) : "NA"});
  }
  std::string out = table.str();
  if (has_implied(r))
    out += "prevalence implied " + num(r.implied_prevalence.value) + ", observed " + observed_among(r) + " " +
           num(r.observed_prevalence) + observed_caveat(r) + "\n";
  out += "(" + held_at(r) + ")\n";
  return out;
}

std::vector<report::SummaryValue> penetrance_summary_values(const PenetranceResult& r) {
  std::vector<report::SummaryValue> out;
  const char* copies[] = {"two copies", "one copy", "no copy"};
  for (const GenotypePenetrance& g : r.rows) {
    if (g.genotype != 0 && !distinct_curve(r.model, g.genotype)) continue;
    const int sex = g.sex != 0 ? g.sex : r.known_trait_sex;
    const std::string who = sex == 1 ? "a man" : sex == 2 ? "a woman" : "a person";
    report::SummaryValue v;
    if (g.genotype == 0) {
      v.name = "penetrance";
      v.meaning = "of " + who + ", the sporadic model's one penetrance";
    } else {
      // The genotype that shares this one's penetrance by the model's type:
      // the heterozygote of a dominant model, the homozygote without the
      // allele of a recessive one.
      // (2 shares 1's, 3 shares 2's: the next genotype when it is not distinct).
      const int same = g.genotype < 3 && !distinct_curve(r.model, g.genotype + 1) ? g.genotype + 1 : 0;
      v.name = same ? "penetrance, genotypes " + std::to_string(std::min(g.genotype, same)) + " and " +
                          std::to_string(std::max(g.genotype, same))
                    : "penetrance, genotype " + std::to_string(g.genotype);
      v.meaning = "of " + who + " with " + copies[g.genotype - 1] + " of the risk allele" +
                  (same ? std::string(" or ") + copies[same - 1] : "");
    }
    if (g.sex != 0) v.name += ", " + sex_label(g.sex);
    v.estimate = g.penetrance.value;
    v.low = g.penetrance.has_ci ? g.penetrance.ci_low : kNA;
    v.high = g.penetrance.has_ci ? g.penetrance.ci_high : kNA;
    out.push_back(v);
  }
  if (has_implied(r)) {
    const RiskEstimate& im = r.implied_prevalence;
    out.push_back({"prevalence implied", "by the model, over the same persons (see below)", im.value,
                   im.has_ci ? im.ci_low : kNA, im.has_ci ? im.ci_high : kNA});
    out.push_back({"prevalence observed", observed_among(r) + " (" + std::to_string(r.prevalence_persons) +
                                              " persons of known trait)",
                   r.observed_prevalence, kNA, kNA});
  }
  return out;
}

std::string penetrance_summary_note(const PenetranceResult& r) {
  bool by_sex = false;
  for (const GenotypePenetrance& g : r.rows) by_sex = by_sex || g.sex != 0;
  std::string note = "The penetrances are P(affected | genotype" + std::string(by_sex ? ", sex" : "") + ") " +
                     held_at(r) + "; their 95% intervals" +
                     (has_implied(r) ? ", and the implied prevalence's," : "") +
                     " are by the delta method on the logit scale, from the variance-covariance matrix.";
  if (has_implied(r)) {
    note += " The implied prevalence is " + r.prevalence_definition + ".";
    if (!r.all_probands)
      note += " The observed one is that of the probands' relatives, above the population's when the trait runs in "
              "families.";
  }
  return note;
}

}  // namespace kinseg::cli
