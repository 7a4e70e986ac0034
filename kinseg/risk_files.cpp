#include "kinseg/risk_files.hpp"

#include <algorithm>
#include <sstream>

#include "kinseg/fit_output.hpp"

namespace kinseg::cli {

namespace {

std::string num(double x) { return number_text(x); }

Json jnum(double x) { return number_json(x); }

Json estimate_json(const RiskEstimate& e) {
  Json j;
  j["estimate"] = jnum(e.value);
  j["ci_low"] = e.has_ci ? jnum(e.ci_low) : Json(nullptr);
  j["ci_high"] = e.has_ci ? jnum(e.ci_high) : Json(nullptr);
  return j;
}

std::string estimate_text(const RiskEstimate& e) {
  return num(e.value) + (e.has_ci ? " (" + num(e.ci_low) + ", " + num(e.ci_high) + ")" : "");
}

// Whether the curves are given by sex (a sex effect).
bool by_sex(const RiskResult& r) {
  for (const GenotypeRisk& c : r.curves)
    if (c.sex != 0) return true;
  return false;
}

// The model's type from its name: "mendelian:dominant" -> dominant.
std::string type_of(const std::string& model) {
  const auto colon = model.find(':');
  return colon == std::string::npos ? "" : model.substr(colon + 1);
}

}  // namespace

bool distinct_curve(const RiskResult& r, int genotype) { return distinct_curve(r.model, genotype); }

bool distinct_curve(const std::string& model, int genotype) {
  const std::string t = type_of(model);
  if (t == "dominant") return genotype != 2;
  if (t == "recessive") return genotype != 3;
  return true;
}

std::string reference_text(const RiskResult& r) { return reference_text(r.reference); }

std::string reference_text(const std::vector<ReferenceValue>& reference) {
  std::string s;
  for (const ReferenceValue& v : reference)
    s += (s.empty() ? "" : ", ") + v.name + " = " + num(v.value) + (v.given ? " (--reference)" : " (sample mean)");
  return s.empty() ? "no covariates" : s;
}

std::string held_for(const std::vector<ReferenceValue>& reference, int known_trait_sex, bool by_sex) {
  std::string s = reference.empty() ? "without covariates" : "at " + reference_text(reference);
  if (!by_sex && known_trait_sex == 2) s += ", of women (every person of known trait is a woman)";
  if (!by_sex && known_trait_sex == 1) s += ", of men (every person of known trait is a man)";
  return s;
}

std::string genotype_label(const RiskResult& r, int genotype) { return genotype_label(r.model, genotype); }

std::string genotype_label(const std::string& model, int genotype) {
  if (genotype == 0) return "everyone";
  const std::string t = type_of(model);
  if (t == "dominant") return genotype == 3 ? "non-carriers" : "carriers";
  if (t == "recessive") return genotype == 1 ? "two copies" : "one or no copy";
  return genotype == 1 ? "two copies" : genotype == 2 ? "one copy" : "no copy";
}

std::string sex_label(int sex) { return sex == 1 ? "men" : sex == 2 ? "women" : "all"; }

TsvTable risks_tsv_table() { return TsvTable({"model", "genotype", "sex", "age", "risk", "ci_low", "ci_high"}); }

void add_risk_rows(TsvTable& table, const RiskResult& r) {
  for (const GenotypeRisk& c : r.curves)
    for (const RiskAtAge& a : c.by_age)
      table.add({r.model, c.genotype == 0 ? "all" : std::to_string(c.genotype), sex_label(c.sex), num(a.age),
                 num(a.risk.value), a.risk.has_ci ? num(a.risk.ci_low) : "", a.risk.has_ci ? num(a.risk.ci_high) : ""});
}

Json risks_json(const RiskResult& r) {
  Json j;
  j["intervals"] = r.method;
  j["regressive_terms"] = "parents' traits not counted";
  Json ref = Json::object();
  for (const ReferenceValue& v : r.reference) {
    Json e;
    e["value"] = jnum(v.value);
    e["from"] = v.given ? "--reference" : "sample mean";
    ref[v.name] = e;
  }
  j["reference"] = ref;
  Json ages = Json::array();
  for (double a : r.asked_ages) ages.push_back(jnum(a));
  j["risk_ages"] = ages;
  Json curves = Json::array();
  for (const GenotypeRisk& c : r.curves) {
    Json e;
    e["genotype"] = c.genotype;
    e["label"] = genotype_label(r, c.genotype);
    e["sex"] = sex_label(c.sex);
    e["lifetime_risk"] = estimate_json(c.lifetime);
    e["median_onset"] = estimate_json(c.median_onset);
    Json by = Json::array();
    for (const RiskAtAge& a : c.by_age) {
      Json p = estimate_json(a.risk);
      p.erase("estimate");
      Json row;
      row["age"] = jnum(a.age);
      row["risk"] = jnum(a.risk.value);
      row["ci_low"] = p["ci_low"];
      row["ci_high"] = p["ci_high"];
      by.push_back(row);
    }
    e["by_age"] = by;
    curves.push_back(e);
  }
  j["curves"] = curves;
  return j;
}

std::string risks_log(const RiskResult& r) {
  std::ostringstream o;
  o << "risk by age (" << r.model << "): R(a) = gamma F(a), " << held_for(r.reference, r.known_trait_sex, by_sex(r))
    << ", parents' traits not counted; " << r.method << "\n";
  for (const GenotypeRisk& c : r.curves) {
    o << "  " << genotype_label(r, c.genotype) << (c.genotype ? " (genotype " + std::to_string(c.genotype) + ")" : "")
      << (c.sex ? ", " + sex_label(c.sex) : "") << ": lifetime risk " << estimate_text(c.lifetime)
      << ", median age at onset " << estimate_text(c.median_onset) << "\n";
    for (const RiskAtAge& a : c.by_age) o << "    by " << num(a.age) << ": " << estimate_text(a.risk) << "\n";
  }
  return o.str();
}

std::string risks_table(const RiskResult& r) {
  if (r.curves.empty()) return "";
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> head = {"risk by age"};
  for (double a : r.asked_ages) head.push_back(num(a));
  head.push_back("lifetime");
  head.push_back("median onset");
  rows.push_back(head);
  for (const GenotypeRisk& c : r.curves) {
    if (!distinct_curve(r, c.genotype)) continue;
    std::vector<std::string> row = {genotype_label(r, c.genotype) + (c.sex ? ", " + sex_label(c.sex) : "")};
    for (double a : r.asked_ages) {
      const auto it = std::find_if(c.by_age.begin(), c.by_age.end(), [&](const RiskAtAge& x) { return x.age == a; });
      row.push_back(it == c.by_age.end() ? "-" : num(it->risk.value));
    }
    row.push_back(num(c.lifetime.value));
    row.push_back(num(c.median_onset.value));
    rows.push_back(row);
  }
  std::vector<bool> right(head.size(), true);
  right[0] = false;
  ConsoleTable table(rows[0], right);
  for (size_t i = 1; i < rows.size(); ++i) table.add(rows[i]);
  std::string out = table.str();
  out += "(" + held_for(r.reference, r.known_trait_sex, by_sex(r)) + "; 95% intervals in the .risks.tsv file)\n";
  return out;
}

}  // namespace kinseg::cli
