#include "kinseg/battery_json.hpp"

#include "report/number_format.hpp"

namespace kinseg::cli {

using report::format_number;
using report::json_number;

namespace {

using nlohmann::json;

json number(double x) { return json_number(x); }
json number(const std::optional<double>& x) { return x ? json_number(*x) : json(nullptr); }

json fit_json(const BatteryModel& m) {
  const FitResult& f = m.fit;
  json j;
  j["model"] = m.name;
  j["k"] = f.k;
  j["lnl"] = number(f.lnl);
  j["minus2lnl"] = number(f.minus_two_lnl());
  j["aic"] = number(f.aic());
  j["delta_aic"] = number(m.delta_aic);
  j["status"] = status_name(f.status);
  j["refit"] = m.refit;
  j["started_from"] = m.started_from;
  j["battery_messages"] = m.messages;
  j["messages"] = f.messages;
  j["evaluations"] = f.evaluations;
  j["profiled"] = f.profiled;
  j["turned_round"] = f.turned_round;
  json params = json::array();
  for (const auto& p : f.parameters) {
    json profile = json::array();
    for (const auto& [value, lnl] : p.profile) profile.push_back({number(value), number(lnl)});
    params.push_back({{"parameter", p.name},
                      {"role", parameter_role_name(p.role)},
                      {"estimate", number(p.estimate)},
                      {"se", number(p.se)},
                      {"ci_low", number(p.ci_low)},
                      {"ci_high", number(p.ci_high)},
                      {"ci_low_at_bound", p.ci_low_at_bound},
                      {"ci_high_at_bound", p.ci_high_at_bound},
                      {"status", p.status},
                      {"note", p.note},
                      {"profile", profile}});
  }
  j["parameters"] = params;
  json cov = json::array();
  const size_t n = f.covariance_names.size();
  for (size_t a = 0; a < n; ++a) {
    json line = json::array();
    for (size_t b = 0; b < n; ++b) line.push_back(number(f.covariance[a * n + b]));
    cov.push_back(line);
  }
  j["covariance"] = {{"parameters", f.covariance_names}, {"matrix", cov}};
  json starts = json::array();
  for (const auto& s : f.starts) {
    json x = json::array(), end = json::array();
    for (double v : s.start) x.push_back(number(v));
    for (double v : s.end) end.push_back(number(v));
    starts.push_back({{"origin", s.origin},
                      {"start", x},
                      {"start_lnl", number(s.start_lnl)},
                      {"end", end},
                      {"lnl", number(s.lnl)},
                      {"end_state", search_end_name(s.end_state)},
                      {"turned_round", s.turned_round},
                      {"evaluations", s.evaluations}});
  }
  j["free_parameters"] = f.free_names;
  j["starts"] = starts;
  j["best_start"] = f.best_start;
  j["starts_at_best"] = f.starts_at_best;
  j["refused_starts"] = f.refused_starts;
  return j;
}

}  // namespace

json battery_json(const BatteryResult& r, const BatteryRunFacts& facts) {
  json j;
  j["program"] = "kinseg test";
  j["version"] = facts.version;
  j["command"] = facts.command;
  j["data"] = facts.data;
  j["ascertainment"] = facts.ascertainment;
  j["threads"] = facts.threads;
  j["alpha"] = number(r.alpha);

  json models = json::array();
  for (const auto& m : r.models) models.push_back(fit_json(m));
  j["models"] = models;
  j["best_model"] = r.best_model;
  j["best_mendelian_type"] = r.best_mendelian_type;
  j["selected_model"] = r.selected_model;

  json tests = json::array();
  for (const auto& t : r.tests) {
    json terms = json::array();
    for (const auto& [w, df] : t.reference.terms()) terms.push_back({{"weight", number(w)}, {"df", df}});
    tests.push_back({{"null", t.null_model},
                     {"alternative", t.alternative},
                     {"statistic", number(t.statistic)},
                     {"reference", t.reference_text},
                     {"reference_terms", terms},
                     {"p", number(t.p)},
                     {"flags", t.flags},
                     {"available", t.available()}});
  }
  j["tests"] = tests;

  json criteria = json::array();
  for (const auto& c : r.criteria)
    criteria.push_back({{"text", c.text},
                        {"null", c.null_model},
                        {"alternative", c.alternative},
                        {"p", number(c.p)},
                        {"holds", c.holds}});
  j["verdict"] = {{"summary", r.verdict.summary}, {"major_gene", r.verdict.major_gene}, {"criteria", criteria}};

  json families = json::array();
  for (const auto& f : r.families)
    families.push_back({{"family", f.id},
                        {"persons", f.persons},
                        {"affected", f.affected},
                        {"probands", f.probands},
                        {"lnl_mendelian", number(f.mendelian)},
                        {"lnl_sporadic", number(f.sporadic)},
                        {"log10_ratio", number(f.log10_ratio)}});
  j["families"] = families;
  json genotypes = json::array();
  for (const auto& c : r.carriers)
    genotypes.push_back({{"family", c.pedigree},
                         {"id", c.id},
                         {"p1", number(c.genotype[0])},
                         {"p2", number(c.genotype[1])},
                         {"p3", number(c.genotype[2])},
                         {"carrier", number(c.carrier)}});
  j["genotypes"] = genotypes;
  j["messages"] = r.messages;
  j["evaluations"] = r.evaluations;
  j["seconds"] = number(facts.seconds);
  return j;
}

}  // namespace kinseg::cli
