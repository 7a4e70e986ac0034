#include "kinseg/battery_json.hpp"

namespace kinseg::cli {

namespace {

// A model of the battery: its Fit object, then what the battery adds.
Json model_json(const BatteryModel& m) {
  Json j = fit_json(m.fit);
  j["model"] = m.name;
  j["delta_aic"] = number_json(m.delta_aic);
  j["refit"] = m.refit;
  j["started_from"] = m.started_from;
  j["battery_messages"] = m.messages;
  return j;
}

Json test_json(const LikelihoodRatioTest& t) {
  Json terms = Json::array();
  for (const auto& [w, df] : t.reference.terms()) terms.push_back({{"weight", number_json(w)}, {"df", df}});
  return {{"null", t.null_model},
          {"alternative", t.alternative},
          {"statistic", number_json(t.statistic)},
          {"reference", t.reference_text},
          {"reference_terms", terms},
          {"p", number_json(t.p)},
          {"flags", t.flags},
          {"available", t.available()}};
}

}  // namespace

Json battery_json(const BatteryResult& r, const RunFacts& facts) {
  Json j = run_json(facts);
  j["alpha"] = number_json(r.alpha);

  Json models = Json::array();
  for (const BatteryModel& m : r.models) models.push_back(model_json(m));
  j["models"] = models;
  j["best_model"] = r.best_model;
  j["best_mendelian_type"] = r.best_mendelian_type;
  j["selected_model"] = r.selected_model;

  Json tests = Json::array();
  for (const LikelihoodRatioTest& t : r.tests) tests.push_back(test_json(t));
  j["tests"] = tests;

  Json criteria = Json::array();
  for (const VerdictCriterion& c : r.criteria)
    criteria.push_back({{"text", c.text},
                        {"null", c.null_model},
                        {"alternative", c.alternative},
                        {"p", number_json(c.p)},
                        {"holds", c.holds}});
  j["verdict"] = {{"summary", r.verdict.summary}, {"major_gene", r.verdict.major_gene}, {"criteria", criteria}};

  Json families = Json::array();
  for (const FamilySupport& f : r.families)
    families.push_back({{"family", f.id},
                        {"persons", f.persons},
                        {"affected", f.affected},
                        {"probands", f.probands},
                        {"lnl_mendelian", number_json(f.mendelian)},
                        {"lnl_sporadic", number_json(f.sporadic)},
                        {"log10_ratio", number_json(f.log10_ratio)}});
  j["families"] = families;
  Json genotypes = Json::array();
  for (const CarrierProbability& c : r.carriers)
    genotypes.push_back({{"family", c.pedigree},
                         {"id", c.id},
                         {"p1", number_json(c.genotype[0])},
                         {"p2", number_json(c.genotype[1])},
                         {"p3", number_json(c.genotype[2])},
                         {"carrier", number_json(c.carrier)}});
  j["genotypes"] = genotypes;
  j["messages"] = r.messages;
  j["evaluations"] = r.evaluations;
  return j;
}

}  // namespace kinseg::cli
