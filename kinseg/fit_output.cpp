#include "kinseg/fit_output.hpp"

#include "kinseg/penetrance_files.hpp"
#include "kinseg/risk_files.hpp"

#include <algorithm>
#include <limits>
#include <sstream>

#include "analysis/message_text.hpp"
#include "analysis/profile_interval.hpp"
#include "report/number_format.hpp"

namespace kinseg::cli {

Json number_json(double x) { return Json(report::json_number(x)); }
Json number_json(const std::optional<double>& x) { return x ? number_json(*x) : Json(nullptr); }
std::string number_text(double x) { return report::format_number(x); }
std::string number_text(const std::optional<double>& x) { return x ? number_text(*x) : "NA"; }

namespace {

double or_nan(const std::optional<double>& x) { return x ? *x : std::numeric_limits<double>::quiet_NaN(); }

// A free vector as an object keyed by the free parameters' names.
Json values_json(const std::vector<std::string>& names, const std::vector<double>& x) {
  Json j = Json::object();
  for (size_t i = 0; i < names.size() && i < x.size(); ++i) j[names[i]] = number_json(x[i]);
  return j;
}

Json parameter_json(const ParameterEstimate& p) {
  Json profile = Json::array();
  for (const auto& [value, lnl] : p.profile) profile.push_back({{"value", number_json(value)}, {"lnl", number_json(lnl)}});
  Json j = {{"parameter", p.name},
            {"role", parameter_role_name(p.role)},
            {"estimate", number_json(p.estimate)},
            {"se", number_json(p.se)},
            {"ci_low", number_json(p.ci_low)},
            {"ci_high", number_json(p.ci_high)},
            {"ci_low_at_bound", p.ci_low_at_bound},
            {"ci_high_at_bound", p.ci_high_at_bound},
            {"status", parameter_status_name(p.status)},
            {"note", p.note},
            {"se_missing", p.se_missing},
            {"ci_missing", p.ci_missing}};
  if (p.role == ParameterRole::estimated) j["bounds"] = {number_json(p.low), number_json(p.high)};
  j["profile"] = profile;
  return j;
}

Json covariance_json(const FitResult& fit) {
  const size_t n = fit.covariance_names.size();
  Json matrix = Json::array();
  for (size_t a = 0; a < n; ++a) {
    Json row = Json::array();
    for (size_t b = 0; b < n; ++b) row.push_back(number_json(fit.covariance[a * n + b]));
    matrix.push_back(row);
  }
  return {{"parameters", fit.covariance_names}, {"matrix", matrix}};
}

Json runner_up_json(const FitResult& fit) {
  if (!fit.runner_up) return nullptr;
  const RunnerUp& u = *fit.runner_up;
  return {{"lnl", number_json(u.lnl)},
          {"below_best", number_json(u.below)},
          {"start", u.start + 1},
          {"origin", fit.starts[static_cast<size_t>(u.start)].origin},
          {"estimates", values_json(fit.free_names, u.free)}};
}

// The reasons of the missing values of a table for people, each numbered
// once: "- [1]" in the cell, "[1] the reason" under the table. A reason the
// parameter's status column already gives is not repeated: the cell is "-".
class MissingMarks {
 public:
  std::string cell(const ParameterEstimate& p, const std::string& why) {
    if (why.empty() || why == status_reason(p)) return "-";
    return "- " + mark(why);
  }
  std::string mark(const std::string& why) {
    auto it = std::find(reasons_.begin(), reasons_.end(), why);
    if (it == reasons_.end()) it = reasons_.insert(reasons_.end(), why);
    return "[" + std::to_string(it - reasons_.begin() + 1) + "]";
  }
  std::string footnotes() const {
    std::string out;
    for (size_t i = 0; i < reasons_.size(); ++i) out += "[" + std::to_string(i + 1) + "] " + reasons_[i] + "\n";
    return out;
  }

 private:
  std::vector<std::string> reasons_;
};

Json starts_json(const FitResult& fit) {
  Json list = Json::array();
  for (const StartRecord& s : fit.starts)
    list.push_back({{"origin", s.origin},
                    {"start", values_json(fit.free_names, s.start)},
                    {"start_lnl", number_json(s.start_lnl)},
                    {"end", s.lnl ? values_json(fit.free_names, s.end) : Json(nullptr)},
                    {"lnl", number_json(s.lnl)},
                    {"status", search_end_name(s.end_state)},
                    {"turned_round", s.turned_round},
                    {"evaluations", s.evaluations}});
  return {{"count", fit.starts.size()},
          {"reached_best", fit.starts_at_best},
          {"refused", fit.refused_starts},
          {"others_below_best",
           {{"nearest", number_json(fit.others_nearest)}, {"farthest", number_json(fit.others_farthest)}}},
          {"best", fit.best_start >= 0 ? Json(fit.best_start + 1) : Json(nullptr)},
          {"list", list}};
}

}  // namespace

Json fit_json(const FitResult& fit) {
  Json j;
  j["model"] = fit.model;
  j["status"] = status_name(fit.status);
  j["messages"] = fit.messages;
  j["lnl"] = number_json(fit.lnl);
  j["minus2lnl"] = number_json(fit.minus_two_lnl());
  j["k"] = fit.k;
  j["aic"] = number_json(fit.aic());
  j["turned_round"] = fit.turned_round;
  j["profiled"] = fit.profiled;
  j["evaluations"] = fit.evaluations;
  j["free_parameters"] = fit.free_names;
  Json params = Json::array();
  for (const ParameterEstimate& p : fit.parameters) params.push_back(parameter_json(p));
  j["parameters"] = params;
  j["covariance"] = covariance_json(fit);
  j["starts"] = starts_json(fit);
  j["runner_up"] = runner_up_json(fit);
  j["penetrances"] = fit.penetrances ? penetrances_json(*fit.penetrances) : Json(nullptr);
  if (fit.risks) j["risks"] = risks_json(*fit.risks);
  return j;
}

TsvTable estimates_tsv_table() {
  return TsvTable({"model", "parameter", "estimate", "se", "ci_low", "ci_high", "ci_low_at_bound", "ci_high_at_bound",
                   "status", "note", "se_missing", "ci_missing"});
}

void add_estimate_rows(TsvTable& table, const FitResult& fit) {
  if (!fit.lnl) return;
  for (const ParameterEstimate& p : fit.parameters)
    table.add({fit.model, p.name, number_text(p.estimate), number_text(p.se), number_text(p.ci_low),
               number_text(p.ci_high), yes_no(p.ci_low_at_bound), yes_no(p.ci_high_at_bound), parameter_status_name(p.status), p.note,
               p.se_missing, p.ci_missing});
}

std::string estimates_text(const FitResult& fit) {
  if (!fit.lnl) return "";
  std::vector<std::string> parts;
  for (const ParameterEstimate& p : fit.parameters)
    if (p.role == ParameterRole::estimated) parts.push_back(p.name + "=" + number_text(p.estimate));
  return join(parts, " ");
}

std::string parameter_status_text(const ParameterEstimate& p) {
  const std::string status = parameter_status_name(p.status);
  return p.note.empty() ? status : status + " (" + p.note + ")";
}

std::string estimates_table(const FitResult& fit) {
  ConsoleTable table({"parameter", "estimate", "se", "95% interval", "status"}, {false, true, true, true, false});
  MissingMarks marks;
  for (const ParameterEstimate& p : fit.parameters) {
    const std::string se = p.se ? number_text(*p.se) : marks.cell(p, p.se_missing);
    std::string ci = marks.cell(p, p.ci_missing);
    if (p.ci_low && p.ci_high)
      ci = (p.ci_low_at_bound ? "[" : "(") + number_text(*p.ci_low) + ", " + number_text(*p.ci_high) +
           (p.ci_high_at_bound ? "]" : ")");
    table.add({p.name, fit.lnl ? number_text(p.estimate) : "-", se, ci, parameter_status_text(p)});
  }
  std::string out = fit.model + ": " + status_name(fit.status);
  if (fit.lnl)
    out += ", ln L " + number_text(*fit.lnl) + ", k " + std::to_string(fit.k) + ", AIC " + number_text(*fit.aic());
  out += "\n" + table.str() + marks.footnotes();
  if (fit.profiled) out += "intervals: profile likelihood, 2 delta ln L = 3.841; [ or ] marks one cut at a bound\n";
  return out;
}

std::string covariance_table(const FitResult& fit) {
  const size_t n = fit.covariance_names.size();
  if (n == 0) return "";
  std::vector<std::string> head = {""};
  for (const std::string& name : fit.covariance_names) head.push_back(name);
  std::vector<bool> right(n + 1, true);
  right[0] = false;
  ConsoleTable table(head, right);
  for (size_t a = 0; a < n; ++a) {
    std::vector<std::string> row = {fit.covariance_names[a]};
    for (size_t b = 0; b < n; ++b) row.push_back(number_text(fit.covariance[a * n + b]));
    table.add(row);
  }
  return table.str();
}

std::string start_line(const StartRecord& s, int number, int total) {
  std::ostringstream o;
  o << "start " << number << "/" << total << " (" << s.origin << "): ";
  if (!s.start_lnl) {
    o << "refused";
    return o.str();
  }
  o << "ln L " << number_text(*s.start_lnl) << " -> " << (s.lnl ? number_text(*s.lnl) : "refused") << ", "
    << search_end_name(s.end_state) << (s.turned_round ? ", turned round" : "") << ", " << s.evaluations
    << " evaluations";
  return o.str();
}

std::vector<report::EstimateRow> page_estimates(const FitResult& fit) {
  std::vector<report::EstimateRow> rows;
  if (!fit.lnl) return rows;
  for (const ParameterEstimate& p : fit.parameters) {
    // The reasons the status column does not already give.
    auto shown = [&](const std::string& why) { return why == status_reason(p) ? std::string() : why; };
    rows.push_back({p.name, p.estimate, or_nan(p.se), or_nan(p.ci_low), or_nan(p.ci_high), parameter_status_text(p),
                    p.se ? "" : shown(p.se_missing), shown(p.ci_missing)});
  }
  return rows;
}

std::string runner_up_text(const FitResult& fit) {
  if (!fit.runner_up) return "";
  const RunnerUp& u = *fit.runner_up;
  std::vector<std::string> values;
  for (size_t c = 0; c < fit.free_names.size() && c < u.free.size(); ++c)
    values.push_back(fit.free_names[c] + " = " + number_text(u.free[c]));
  const StartRecord& s = fit.starts[static_cast<size_t>(u.start)];
  return "a second maximum within " + number_text(u.below) + " ln L units of the best: " + join(values, ", ") +
         " (ln L " + number_text(u.lnl) + ", start " + std::to_string(u.start + 1) + ", " + s.origin + ")";
}

std::vector<report::ProfileCurve> page_profiles(const FitResult& fit) {
  std::vector<report::ProfileCurve> curves;
  if (!fit.lnl) return curves;
  const double drop = profile_drop(0.95) / 2;
  for (const ParameterEstimate& p : fit.parameters) {
    if (p.profile.size() < 2) continue;
    report::ProfileCurve c;
    c.parameter = p.name;
    for (const auto& [x, lnl] : p.profile) c.points.push_back({x, lnl});
    c.estimate = p.estimate;
    c.max_lnl = *fit.lnl;
    c.cut_lnl = *fit.lnl - drop;
    c.ci_low = or_nan(p.ci_low);
    c.ci_high = or_nan(p.ci_high);
    curves.push_back(c);
  }
  return curves;
}

}  // namespace kinseg::cli
