// kinseg check's report as JSON (--json FILE): the same facts as the console
// report, and every problem found. Without a summary when the data are refused.
#pragma once

#include <nlohmann/json.hpp>

#include "kinseg/loop_costs.hpp"
#include "pedigree/data_summary.hpp"
#include "pedigree/read_sample.hpp"

namespace kinseg::cli {

// costs: those of the summary's pedigrees with loops (read only with a summary).
nlohmann::json check_json(const DataRead& read, const DataSummary* summary, const LoopCosts* costs);

}  // namespace kinseg::cli
