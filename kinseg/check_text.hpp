// kinseg check's report for the console: how the file was read (format,
// columns, codes) and the summary of the sample.
#pragma once

#include <iosfwd>

#include "kinseg/loop_costs.hpp"
#include "pedigree/data_summary.hpp"
#include "pedigree/read_sample.hpp"

namespace kinseg::cli {

void write_check_text(const DataRead& read, const DataSummary& summary, const LoopCosts& costs,
                      std::ostream& out);

}  // namespace kinseg::cli
