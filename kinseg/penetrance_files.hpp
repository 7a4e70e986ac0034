// What kinseg writes of a fit's penetrances (analysis/penetrance.hpp), one
// writer for every format: PREFIX.penetrances.tsv (model genotype sex
// penetrance ci_low ci_high), the "penetrances" object of the JSON, the log's
// section, the console's short table and the report page's summary values.
// Nothing here computes.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "analysis/penetrance_result.hpp"
#include "kinseg/table_writers.hpp"
#include "report/report_input.hpp"

namespace kinseg::cli {

// PREFIX.penetrances.tsv: the header, then each model's rows.
TsvTable penetrances_tsv_table();
void add_penetrance_rows(TsvTable& table, const PenetranceResult& r);
// The Penetrances object of a Fit in the JSON (docs/json.md).
nlohmann::ordered_json penetrances_json(const PenetranceResult& r);
std::string penetrances_log(const PenetranceResult& r);
std::string penetrances_table(const PenetranceResult& r);

// The report page's summary rows: each distinct penetrance (genotypes that
// share one by the model's type in one row), then the implied and the
// observed prevalence; and the note that says what they are.
std::vector<report::SummaryValue> penetrance_summary_values(const PenetranceResult& r);
std::string penetrance_summary_note(const PenetranceResult& r);

}  // namespace kinseg::cli
