// kinseg test's tables: the tab-separated files (models, tests, estimates,
// families, genotypes) and the console's model table, tests and verdict, all
// read from the battery's result, every number written by format_number (the
// rule of every output of the analyses). A number that does not exist is NA.
//
//   PREFIX.models.tsv     model k lnl minus2lnl aic delta_aic status refit started_from estimates
//   PREFIX.tests.tsv      null alternative statistic reference p flags
//   PREFIX.estimates.tsv  as kinseg fit's (kinseg/fit_output.hpp), every model
//   PREFIX.families.tsv   family persons affected probands lnl_mendelian lnl_sporadic log10_ratio
//   PREFIX.genotypes.tsv  family id p1 p2 p3 carrier
#pragma once

#include <string>

#include "analysis/battery_result.hpp"
#include "kinseg/fit_output.hpp"

namespace kinseg::cli {

std::string models_tsv(const BatteryResult& r);
std::string tests_tsv(const BatteryResult& r);
std::string estimates_tsv(const BatteryResult& r);
std::string families_tsv(const BatteryResult& r);
std::string genotypes_tsv(const BatteryResult& r);
std::string genotypes_tsv(const std::vector<CarrierProbability>& carriers);

// One model's line as it is fitted: ln L, k, status, starts.
std::string model_line(const BatteryModel& m);

// The console's tables: the model table, the tests and the verdict, aligned
// for reading.
std::string console_tables(const BatteryResult& r);

}  // namespace kinseg::cli
