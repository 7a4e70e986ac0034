// What kinseg writes of an age-of-onset fit's risks (analysis/onset_risk.hpp),
// one writer for every format: PREFIX.risks.tsv (model genotype sex age risk
// ci_low ci_high), the "risks" object of the JSON, the log's section and the
// console's short table (risk by the asked ages, and over a lifetime, for
// each distinct genotype). Nothing here computes.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "analysis/risk_result.hpp"
#include "kinseg/table_writers.hpp"

namespace kinseg::cli {

// PREFIX.risks.tsv: the header, then the rows of each model's curves.
TsvTable risks_tsv_table();
void add_risk_rows(TsvTable& table, const RiskResult& r);
// The Risks object of a Fit in the JSON (docs/json.md).
nlohmann::ordered_json risks_json(const RiskResult& r);
std::string risks_log(const RiskResult& r);
std::string risks_table(const RiskResult& r);

// "carriers", "non-carriers", "two copies", ... as the model's type groups the
// genotypes; "everyone" for the sporadic model.
std::string genotype_label(const RiskResult& r, int genotype);
std::string genotype_label(const std::string& model, int genotype);
std::string sex_label(int sex);  // "all", "men", "women"
// False for a genotype whose curve is another's by the model's type (the
// heterozygote of a dominant model, the homozygote without the allele of a
// recessive one): the tables show the curves that differ.
bool distinct_curve(const RiskResult& r, int genotype);
bool distinct_curve(const std::string& model, int genotype);
// The covariates' values the risks hold at, e.g. "age = 50 (--reference)";
// "no covariates" without any.
std::string reference_text(const RiskResult& r);
// For whom a model's risks or penetrances hold, as a clause: "at age = 50
// (--reference)" or "without covariates", then ", of women (every person of
// known trait is a woman)" when the model has no sex effect (BY_SEX false)
// and the trait is known in one sex only (KNOWN_TRAIT_SEX 1 or 2).
std::string held_for(const std::vector<ReferenceValue>& reference, int known_trait_sex, bool by_sex);
std::string reference_text(const std::vector<ReferenceValue>& reference);

}  // namespace kinseg::cli
