#include "kinseg/check_json.hpp"

#include "kinseg/read_description.hpp"

namespace kinseg::cli {

namespace {

using nlohmann::json;

const char* kind_key(FileKind k) {
  switch (k) {
    case FileKind::kHeaderTable: return "header";
    case FileKind::kLinkage: return "linkage";
    case FileKind::kKinsort: return "kinsort";
  }
  return "?";
}

const char* reading_key(TraitReading r) {
  switch (r) {
    case TraitReading::kKinsort: return "kinsort";
    case TraitReading::kLinkage: return "linkage";
    case TraitReading::kZeroOne: return "zero-one";
    case TraitReading::kUserCodes: return "options";
    case TraitReading::kRefused: return "refused";
  }
  return "?";
}

json column_json(const ColumnUse& u) {
  if (u.column < 0) return nullptr;
  return {{"column", u.column + 1}, {"name", u.name}, {"given", u.given}};
}

json summary_json(const DataSummary& r, const LoopCosts* costs) {
  json j;
  j["pedigrees"] = r.pedigrees;
  j["persons"] = r.persons;
  j["added_persons"] = r.added;
  j["founders"] = r.founders;
  j["generations"] = r.generations;
  j["nuclear_families"] = r.nuclear_families;
  j["pedigree_size"] = {{"min", r.size_min}, {"median", r.size_median}, {"max", r.size_max}};
  const char* sexes[] = {"unknown", "male", "female"};
  json by_sex = json::object();
  for (int s = 0; s < 3; ++s)
    by_sex[sexes[s]] = {{"affected", r.trait_by_sex[s][0]},
                        {"unaffected", r.trait_by_sex[s][1]},
                        {"unknown", r.trait_by_sex[s][2]}};
  j["trait_by_sex"] = by_sex;
  j["probands"] = r.probands;
  j["always_conditioned"] = r.always_conditioned;
  j["pedigrees_without_proband"] = r.without_proband;
  j["pedigrees_without_affected"] = r.without_affected;
  j["persons_connected_to_nobody"] = r.unconnected;
  j["one_person_pedigrees"] = r.single_person_pedigrees;
  json loops = json::array();
  for (size_t i = 0; i < r.loops.size(); ++i) {
    const EliminationCost& c = costs->cost[i];
    loops.push_back({{"pedigree", r.loops[i].id},
                     {"loops", r.loops[i].loops},
                     {"width", c.width},
                     {"bytes", c.bytes},
                     {"seconds_per_evaluation", c.seconds},
                     {"refused", costs->refused(i)},
                     {"slow", costs->slow(i)}});
  }
  j["loops"] = loops;
  json covs = json::array();
  for (const CovariateSummary& c : r.covariates)
    covs.push_back({{"name", c.name},
                    {"present", c.present},
                    {"missing", c.missing},
                    {"min", c.min},
                    {"mean", c.mean},
                    {"sd", c.sd},
                    {"max", c.max},
                    {"whole_numbers", c.whole_numbers}});
  j["covariates"] = covs;
  j["traits_unknown_by_missing_covariate"] = r.unknown_by_covariate;
  if (!r.onset_column.empty()) {
    json ages = json::array();
    for (const AgeSummary& g : r.ages)
      ages.push_back({{"trait", g.trait == kAffected ? "affected" : "unaffected"},
                      {"age", g.trait == kAffected ? "at onset" : "last seen"},
                      {"sex", g.sex == kMale ? "male" : g.sex == kFemale ? "female" : "unknown"},
                      {"persons", g.n},
                      {"min", g.min},
                      {"median", g.median},
                      {"mean", g.mean},
                      {"max", g.max}});
    j["onset"] = {{"column", r.onset_column}, {"ages", ages}, {"traits_unknown_by_missing_age", r.unknown_by_onset}};
  }
  return j;
}

json definition_json(const TraitDefinitionReport& r) {
  json j;
  j["trait_only"] = r.only.empty() ? json(nullptr) : json(r.only);
  j["outside_trait_only"] = {{"traits", r.outside}, {"probands", r.outside_probands}};
  json unknown = json::array();
  for (const auto& u : r.unknown)
    unknown.push_back({{"column", u.column}, {"traits", u.traits}, {"probands", u.probands}});
  j["unknown_by_missing"] = unknown;
  json filled = json::array();
  for (const auto& f : r.filled)
    filled.push_back({{"column", f.column}, {"value", f.value}, {"mean", f.mean}, {"persons", f.persons}});
  j["filled"] = filled;
  json excluded = json::array();
  for (const auto& e : r.excluded) excluded.push_back({{"pedigree", e.pedigree}, {"cause", e.column}});
  j["excluded_families"] = excluded;
  j["excluded_persons"] = r.excluded_persons;
  return j;
}

}  // namespace

nlohmann::json check_json(const DataRead& d, const DataSummary* summary, const LoopCosts* costs) {
  json j;
  j["file"] = d.sample.file;
  j["format"] = {{"kind", kind_key(d.format.kind)},
                 {"description", file_kind_name(d.format.kind)},
                 {"separator", separator_name(d.format.separator)},
                 {"separator_given", d.format.separator_given},
                 {"decimal_comma", d.format.decimal == DecimalMark::kComma},
                 {"header_line", d.format.header_line}};
  json cols = json::object();
  for (int i = 0; i < kRoles; ++i) cols[role_name(static_cast<ColumnRole>(i))] = column_json(d.columns.role[i]);
  json covs = json::array();
  for (const ColumnUse& u : d.columns.covariates) covs.push_back(column_json(u));
  cols["covariates"] = covs;
  if (d.columns.onset.column >= 0) cols["onset"] = column_json(d.columns.onset);
  j["columns"] = cols;
  j["missing_tokens"] = d.missing.tokens();
  json values = json::array();
  for (const TraitValueUse& u : trait_value_uses(d))
    values.push_back({{"value", u.value}, {"read_as", u.meaning}, {"rows", u.rows}});
  j["trait"] = {{"reading", reading_key(d.trait_coding.reading)},
                {"description", trait_reading_text(d.trait_coding.reading)},
                {"values", values}};
  j["rows"] = d.rows;
  j["refused"] = d.problems.refused();
  j["errors"] = d.problems.errors();
  j["warnings"] = d.problems.warnings();
  json problems = json::array();
  for (const DataProblem& p : d.problems.all())
    problems.push_back({{"severity", p.severity == Severity::kError ? "error" : "warning"},
                        {"kind", p.kind},
                        {"line", p.line},
                        {"pedigree", p.pedigree},
                        {"ids", p.ids},
                        {"message", p.message}});
  j["problems"] = problems;
  j["problem_counts"] = d.problems.counts();
  j["trait_definition"] = definition_json(d.definition);
  j["summary"] = summary ? summary_json(*summary, costs) : json(nullptr);
  return j;
}

}  // namespace kinseg::cli
