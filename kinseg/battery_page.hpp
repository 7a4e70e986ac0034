// kinseg test's report page: what the run found, gathered into the page's
// input (report/report_input.hpp) with every number as the tables and the
// JSON file write it. The page draws the ten families that most support a
// major gene and those the user names, with each person's carrier
// probability under the selected model.
#pragma once

#include <string>
#include <vector>

#include "analysis/battery_result.hpp"
#include "kinseg/run_facts.hpp"
#include "pedigree/data_summary.hpp"
#include "pedigree/read_sample.hpp"
#include "report/report_input.hpp"

namespace kinseg::cli {

inline constexpr int kDrawnTopFamilies = 10;

// The pedigree numbers of the families to draw: the first `top` of the
// ranking, then those named (by their ids in the file) that are not among
// them, in the order named.
std::vector<int> families_to_draw(const BatteryResult& result, const Sample& sample,
                                  const std::vector<std::string>& named, int top = kDrawnTopFamilies);

// How the page draws its pedigrees (--draw-limit, --trim).
struct PageDrawing {
  int top = kDrawnTopFamilies;
  bool trim = false;
};

// families_file: the file that holds every family's row, named on the page.
report::ReportInput battery_page_input(const DataRead& read, const DataSummary& summary,
                                       const BatteryResult& result, const RunFacts& facts,
                                       const std::vector<std::string>& named, const PageDrawing& drawing = {},
                                       const std::string& families_file = "");

}  // namespace kinseg::cli
