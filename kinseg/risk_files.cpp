#include "kinseg/risk_files.hpp"

#include <algorithm>
#include <sstream>

#include "report/number_format.hpp"

namespace kinseg::cli {

namespace {

std::string num(double x) { return report::format_number(x); }

nlohmann::ordered_json jnum(double x) { return nlohmann::ordered_json(report::json_number(x)); }

nlohmann::ordered_json estimate_json(const RiskEstimate& e) {
  nlohmann::ordered_json j;
  j["estimate"] = jnum(e.value);
  j["ci_low"] = e.has_ci ? jnum(e.ci_low) : nlohmann::ordered_json(nullptr);
  j["ci_high"] = e.has_ci ? jnum(e.ci_high) : nlohmann::ordered_json(nullptr);
  return j;
}

std::string estimate_text(const RiskEstimate& e) {
  return num(e.value) + (e.has_ci ? " (" + num(e.ci_low) + ", " + num(e.ci_high) + ")" : "");
}

// The model's type from its name: "mendelian:dominant" -> dominant.
std::string type_of(const std::string& model) {
  const auto colon = model.find(':');
  return colon == std::string::npos ? "" : model.substr(colon + 1);
}

// The curves that differ: a genotype linked to another by the type is left out.
bool distinct(const RiskResult& r, int genotype) {
  const std::string t = type_of(r.model);
  if (t == "dominant") return genotype != 2;
  if (t == "recessive") return genotype != 3;
  return true;
}

std::string reference_text(const RiskResult& r) {
  std::string s;
  for (const ReferenceValue& v : r.reference)
    s += (s.empty() ? "" : ", ") + v.name + " = " + num(v.value) + (v.given ? " (--reference)" : " (sample mean)");
  return s.empty() ? "no covariates" : s;
}

}  // namespace

std::string genotype_label(const RiskResult& r, int genotype) {
  if (genotype == 0) return "everyone";
  const std::string t = type_of(r.model);
  if (t == "dominant") return genotype == 3 ? "non-carriers" : "carriers";
  if (t == "recessive") return genotype == 1 ? "two copies" : "one or no copy";
  return genotype == 1 ? "two copies" : genotype == 2 ? "one copy" : "no copy";
}

std::string sex_label(int sex) { return sex == 1 ? "men" : sex == 2 ? "women" : "all"; }

std::string risks_tsv(const std::vector<const RiskResult*>& results) {
  std::string out = "model\tgenotype\tsex\tage\trisk\tci_low\tci_high\n";
  for (const RiskResult* r : results)
    for (const GenotypeRisk& c : r->curves)
      for (const RiskAtAge& a : c.by_age)
        out += r->model + "\t" + (c.genotype == 0 ? "all" : std::to_string(c.genotype)) + "\t" + sex_label(c.sex) +
               "\t" + num(a.age) + "\t" + num(a.risk.value) + "\t" + (a.risk.has_ci ? num(a.risk.ci_low) : "NA") +
               "\t" + (a.risk.has_ci ? num(a.risk.ci_high) : "NA") + "\n";
  return out;
}

nlohmann::ordered_json risks_json(const RiskResult& r) {
  nlohmann::ordered_json j;
  j["intervals"] = r.method;
  j["regressive_terms"] = "parents' traits not counted";
  nlohmann::ordered_json ref = nlohmann::ordered_json::object();
  for (const ReferenceValue& v : r.reference) {
    nlohmann::ordered_json e;
    e["value"] = jnum(v.value);
    e["from"] = v.given ? "--reference" : "sample mean";
    ref[v.name] = e;
  }
  j["reference"] = ref;
  nlohmann::ordered_json ages = nlohmann::ordered_json::array();
  for (double a : r.asked_ages) ages.push_back(jnum(a));
  j["risk_ages"] = ages;
  nlohmann::ordered_json curves = nlohmann::ordered_json::array();
  for (const GenotypeRisk& c : r.curves) {
    nlohmann::ordered_json e;
    e["genotype"] = c.genotype == 0 ? nlohmann::ordered_json("all") : nlohmann::ordered_json(c.genotype);
    e["label"] = genotype_label(r, c.genotype);
    e["sex"] = sex_label(c.sex);
    e["lifetime_risk"] = estimate_json(c.lifetime);
    e["median_onset"] = estimate_json(c.median_onset);
    nlohmann::ordered_json by = nlohmann::ordered_json::array();
    for (const RiskAtAge& a : c.by_age) {
      nlohmann::ordered_json p = estimate_json(a.risk);
      p.erase("estimate");
      nlohmann::ordered_json row;
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
  o << "risk by age (" << r.model << "): R(a) = gamma F(a), at " << reference_text(r)
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
    if (!distinct(r, c.genotype)) continue;
    std::vector<std::string> row = {genotype_label(r, c.genotype) + (c.sex ? ", " + sex_label(c.sex) : "")};
    for (double a : r.asked_ages) {
      const auto it = std::find_if(c.by_age.begin(), c.by_age.end(), [&](const RiskAtAge& x) { return x.age == a; });
      row.push_back(it == c.by_age.end() ? "-" : num(it->risk.value));
    }
    row.push_back(num(c.lifetime.value));
    row.push_back(num(c.median_onset.value));
    rows.push_back(row);
  }
  std::vector<size_t> width(head.size(), 0);
  for (const auto& row : rows)
    for (size_t i = 0; i < row.size(); ++i) width[i] = std::max(width[i], row[i].size());
  std::string out;
  for (const auto& row : rows) {
    std::string line;
    for (size_t i = 0; i < row.size(); ++i) {
      const std::string pad(width[i] - row[i].size(), ' ');
      line += i == 0 ? row[i] + pad : "  " + pad + row[i];
    }
    out += line + "\n";
  }
  out += "(at " + reference_text(r) + "; 95% intervals in the .risks.tsv file)\n";
  return out;
}

}  // namespace kinseg::cli
