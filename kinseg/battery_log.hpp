// kinseg test's log (PREFIX.log): the command and version, how the data were
// read with their summary, the options and ascertainment, every model with
// every start and its messages as it was fitted, the final model table, the
// tests and the verdict, the families that most support a major gene, and the
// time taken.
#pragma once

#include <string>

#include "analysis/battery_result.hpp"
#include "kinseg/run_facts.hpp"

namespace kinseg::cli {

// DATA_TEXT: the data report (as kinseg check prints it); FITTING: the account
// of the models and their starts gathered while they were fitted.
std::string battery_log(const BatteryResult& r, const RunFacts& facts, const std::string& data_text,
                        const std::string& fitting);

}  // namespace kinseg::cli
