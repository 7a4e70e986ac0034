// kinseg test's JSON file: everything of the run in one document for programs
// (the report page among them): the Run object's keys (how the data were
// read, the ascertainment, the family scan), every model as a Fit object
// (kinseg/fit_output.hpp, the same keys as kinseg fit's) with what the
// battery adds, the tests, the verdict, the family ranking and the carrier
// probabilities. docs/json.md documents every key. Numbers are those of the
// tables (format_number read back); a number that does not exist, or is
// infinite, is null.
#pragma once

#include "analysis/battery_result.hpp"
#include "kinseg/fit_output.hpp"
#include "kinseg/run_facts.hpp"

namespace kinseg::cli {

Json battery_json(const BatteryResult& r, const RunFacts& facts);

}  // namespace kinseg::cli
