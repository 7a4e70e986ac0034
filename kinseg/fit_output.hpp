// One fit's result in every form kinseg writes it, for `kinseg fit` and for
// each model of `kinseg test` alike: the Fit object of the JSON files, the
// rows of PREFIX.estimates.tsv, the estimates table of the console and the
// logs, each start's line, and the rows and profile curves of the report page.
// Every number is written by format_number (report/number_format.hpp), so the
// same estimate reads the same in every file. docs/json.md documents every
// key; tests/json_schema_test.cpp reads both commands' JSON against it.
//
// A new section of a fit's result (a FitResult member) gets its writers here,
// one per form, called from fit_json, estimates_table or the page's rows; its
// keys go into docs/json.md, whose test then checks them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "analysis/fit_result.hpp"
#include "kinseg/table_writers.hpp"
#include "report/report_input.hpp"

namespace kinseg::cli {

using Json = nlohmann::ordered_json;

// A number for a JSON file (the digits of the tables; null when it does not
// exist or is infinite) and for a table ("NA" when it does not exist).
Json number_json(double x);
Json number_json(const std::optional<double>& x);
std::string number_text(double x);
std::string number_text(const std::optional<double>& x);

// The Fit object: the model, status, ln L, k, AIC, every parameter, the
// variance-covariance matrix and every start.
Json fit_json(const FitResult& fit);

// PREFIX.estimates.tsv: one row per parameter of each fit with estimates.
// The columns are keys of the Parameter object of the JSON, with its values.
TsvTable estimates_tsv_table();
void add_estimate_rows(TsvTable& table, const FitResult& fit);

// The estimated parameters as "q=0.1 w1=2.5 ..." (empty without ln L).
std::string estimates_text(const FitResult& fit);
// A parameter's status for people: "at bound (upper bound 1)".
std::string parameter_status_text(const ParameterEstimate& p);
// The fit's table for people: its status, ln L, k and AIC, then parameter,
// estimate, SE, 95% profile interval and status; a missing SE or interval
// is "- [n]", its reason listed under the table, unless the status says it.
std::string estimates_table(const FitResult& fit);
// The variance-covariance matrix for people (empty without one).
std::string covariance_table(const FitResult& fit);
// One start as it ends: "start 2/6 (grid q=0.1 effect 3): ln L ... -> ...".
std::string start_line(const StartRecord& start, int number, int total);

// The second maximum in a line, "a second maximum within 0.42 ln L units of
// the best: q = 0.7, w1 = ... (ln L ..., start 3, grid ...)"; empty without one.
std::string runner_up_text(const FitResult& fit);

// The report page's estimate rows and profile curves of the fit.
std::vector<report::EstimateRow> page_estimates(const FitResult& fit);
std::vector<report::ProfileCurve> page_profiles(const FitResult& fit);

}  // namespace kinseg::cli
