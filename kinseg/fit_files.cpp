#include "kinseg/fit_files.hpp"

#include "report/number_format.hpp"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace kinseg::cli {

std::string number_text(double x) { return report::format_number(x); }

namespace {

std::string optional_text(const std::optional<double>& x) { return x ? number_text(*x) : "NA"; }

nlohmann::ordered_json finite_json(double x) { return nlohmann::ordered_json(report::json_number(x)); }

nlohmann::ordered_json optional_json(const std::optional<double>& x) {
  if (!x) return nullptr;
  return finite_json(*x);
}

std::string short_text(double x) { return number_text(x); }

std::string status_text(const ParameterEstimate& p) {
  std::string s = p.status;
  if (p.ci_low_at_bound || p.ci_high_at_bound) {
    s += "; interval cut at ";
    s += p.ci_low_at_bound && p.ci_high_at_bound ? "both bounds" : p.ci_low_at_bound ? "the lower bound"
                                                                                     : "the upper bound";
  }
  return s;
}

std::string values_text(const std::vector<std::string>& names, const std::vector<double>& x) {
  std::string s;
  for (size_t i = 0; i < names.size() && i < x.size(); ++i)
    s += (i ? " " : "") + names[i] + "=" + short_text(x[i]);
  return s;
}

nlohmann::ordered_json values_json(const std::vector<std::string>& names, const std::vector<double>& x) {
  nlohmann::ordered_json j = nlohmann::ordered_json::object();
  for (size_t i = 0; i < names.size() && i < x.size(); ++i) j[names[i]] = finite_json(x[i]);
  return j;
}

// Columns padded to their widest entry, the first left-aligned.
std::string aligned(const std::vector<std::vector<std::string>>& rows) {
  std::vector<size_t> width;
  for (const auto& r : rows)
    for (size_t c = 0; c < r.size(); ++c) {
      if (width.size() <= c) width.push_back(0);
      width[c] = std::max(width[c], r[c].size());
    }
  std::string out;
  for (const auto& r : rows) {
    std::string line;
    for (size_t c = 0; c < r.size(); ++c) {
      const std::string pad(width[c] - r[c].size(), ' ');
      if (c > 0) line += "  ";
      line += c == 0 || c + 1 == r.size() ? r[c] + (c + 1 == r.size() ? "" : pad) : pad + r[c];
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line + "\n";
  }
  return out;
}

}  // namespace

std::string estimates_tsv(const FitResult& fit) {
  std::string out = "model\tparameter\testimate\tse\tci_low\tci_high\tstatus\n";
  for (const auto& p : fit.parameters) {
    out += fit.model + "\t" + p.name + "\t" + (fit.lnl ? number_text(p.estimate) : "NA") + "\t" +
           optional_text(p.se) + "\t" + optional_text(p.ci_low) + "\t" + optional_text(p.ci_high) + "\t" +
           (fit.lnl ? status_text(p) : status_name(fit.status)) + "\n";
  }
  return out;
}

std::string families_tsv(const FitRun& run) {
  std::string out = "family\tpersons\taffected\tprobands\tcontribution\n";
  for (const auto& f : run.families)
    out += f.family + "\t" + std::to_string(f.persons) + "\t" + std::to_string(f.affected) + "\t" +
           std::to_string(f.probands) + "\t" + number_text(f.contribution) + "\n";
  return out;
}

std::string start_line(const StartRecord& s, int number, int total) {
  std::ostringstream o;
  o << "start " << number << "/" << total << " (" << s.origin << "): ";
  if (!s.start_lnl) {
    o << "refused";
    return o.str();
  }
  o << "ln L " << short_text(*s.start_lnl) << " -> " << (s.lnl ? short_text(*s.lnl) : "refused") << ", "
    << search_end_name(s.end_state) << (s.turned_round ? ", turned round" : "") << ", " << s.evaluations
    << " evaluations";
  return o.str();
}

std::string estimates_table(const FitResult& fit) {
  std::vector<std::vector<std::string>> rows = {{"parameter", "estimate", "se", "95% interval", "status"}};
  for (const auto& p : fit.parameters) {
    std::string ci = "-";
    if (p.ci_low && p.ci_high)
      ci = (p.ci_low_at_bound ? "[" : "(") + short_text(*p.ci_low) + ", " + short_text(*p.ci_high) +
           (p.ci_high_at_bound ? "]" : ")");
    std::string status = p.status;
    if (!p.note.empty()) status += " (" + p.note + ")";
    rows.push_back({p.name, fit.lnl ? short_text(p.estimate) : "-", p.se ? short_text(*p.se) : "-", ci, status});
  }
  std::string out = fit.model + ": " + status_name(fit.status);
  if (fit.lnl)
    out += ", ln L " + short_text(*fit.lnl) + ", k " + std::to_string(fit.k) + ", AIC " + short_text(*fit.aic());
  out += "\n" + aligned(rows);
  if (fit.profiled) out += "intervals: profile likelihood, 2 delta ln L = 3.841; [ or ] marks one cut at a bound\n";
  return out;
}

nlohmann::ordered_json fit_json(const FitResult& fit, const Model& model, const FitRun& run) {
  using json = nlohmann::ordered_json;
  json j;
  j["program"] = "kinseg fit";
  j["version"] = run.version;
  j["command"] = run.command;
  j["data"] = {{"file", run.data_file},
               {"pedigrees", run.summary.pedigrees},
               {"persons", run.summary.persons},
               {"affected", run.summary.affected},
               {"unaffected", run.summary.unaffected},
               {"unknown", run.summary.unknown},
               {"probands", run.summary.probands},
               {"prevalence_non_probands", finite_json(run.summary.prevalence)},
               {"analysed_families", run.families.size()},
               {"family_scan", run.scan_notes}};
  j["model"] = fit.model;
  j["ascertainment"] = run.ascertainment;
  j["status"] = status_name(fit.status);
  j["messages"] = fit.messages;
  j["lnl"] = optional_json(fit.lnl);
  j["minus_two_lnl"] = optional_json(fit.minus_two_lnl());
  j["k"] = fit.k;
  j["aic"] = optional_json(fit.aic());
  j["turned_round"] = fit.turned_round;
  j["profiled"] = fit.profiled;
  json params = json::array();
  for (const auto& p : fit.parameters) {
    json e = {{"name", p.name},
              {"role", parameter_role_name(p.role)},
              {"estimate", fit.lnl ? finite_json(p.estimate) : json(nullptr)},
              {"se", optional_json(p.se)},
              {"ci_low", optional_json(p.ci_low)},
              {"ci_high", optional_json(p.ci_high)},
              {"ci_low_at_bound", p.ci_low_at_bound},
              {"ci_high_at_bound", p.ci_high_at_bound},
              {"status", p.status},
              {"note", p.note}};
    if (p.role == ParameterRole::estimated) e["bounds"] = {finite_json(p.low), finite_json(p.high)};
    params.push_back(e);
  }
  j["parameters"] = params;
  const size_t n = fit.covariance_names.size();
  json matrix = json::array();
  for (size_t a = 0; a < n; ++a) {
    json row = json::array();
    for (size_t b = 0; b < n; ++b) row.push_back(finite_json(fit.covariance[a * n + b]));
    matrix.push_back(row);
  }
  j["covariance"] = {{"parameters", fit.covariance_names}, {"matrix", matrix}};
  json starts = json::array();
  const auto names = model.free_names();
  for (const auto& s : fit.starts)
    starts.push_back({{"origin", s.origin},
                      {"start", values_json(names, s.start)},
                      {"end", s.lnl ? values_json(names, s.end) : json(nullptr)},
                      {"start_lnl", optional_json(s.start_lnl)},
                      {"lnl", optional_json(s.lnl)},
                      {"status", search_end_name(s.end_state)},
                      {"turned_round", s.turned_round},
                      {"evaluations", s.evaluations}});
  j["starts"] = {{"count", fit.starts.size()},
                 {"reached_best", fit.starts_at_best},
                 {"refused", fit.refused_starts},
                 {"others_below_best", {{"nearest", optional_json(fit.others_nearest)},
                                        {"farthest", optional_json(fit.others_farthest)}}},
                 {"best", fit.best_start >= 0 ? json(fit.best_start + 1) : json(nullptr)},
                 {"list", starts}};
  json families = json::array();
  for (const auto& f : run.families)
    families.push_back({{"family", f.family},
                        {"persons", f.persons},
                        {"affected", f.affected},
                        {"probands", f.probands},
                        {"contribution", finite_json(f.contribution)}});
  j["families"] = families;
  j["evaluations"] = fit.evaluations;
  j["threads"] = run.threads;
  j["seconds"] = finite_json(run.seconds);
  return j;
}

std::string fit_log(const FitResult& fit, const Model& model, const FitRun& run) {
  std::ostringstream o;
  const SampleSummary& s = run.summary;
  o << "kinseg fit, version " << run.version << "\n";
  o << "command: " << run.command << "\n\n";
  o << "data: " << run.data_file << ": " << s.pedigrees << " pedigrees, " << s.persons << " persons (" << s.affected
    << " affected, " << s.unaffected << " unaffected, " << s.unknown << " unknown), " << s.probands
    << " probands; prevalence among non-probands " << short_text(s.prevalence) << "\n";
  for (const auto& c : s.covariates)
    o << "covariate " << c.name << ": mean " << short_text(c.mean) << ", sd " << short_text(c.sd) << ", "
      << short_text(c.smallest) << " to " << short_text(c.largest) << "\n";
  o << "analysed: " << run.families.size() << " families, ascertainment " << run.ascertainment << "\n";
  for (const auto& n : run.scan_notes) o << "  " << n << "\n";
  o << "\nmodel: " << fit.model << ", " << fit.k << " free parameters:";
  for (const auto& n : fit.free_names) o << " " << n;
  o << "\n";
  for (const auto& p : model.parameters()) {
    if (p.role == ParameterRole::estimated)
      o << "  " << p.name << " estimated within " << short_text(p.low) << ":" << short_text(p.high)
        << (p.start ? ", --start " + short_text(*p.start) : "") << "\n";
    else if (p.role == ParameterRole::fixed)
      o << "  " << p.name << " = " << short_text(p.value) << (p.fixed_by_user ? " (--fix)" : " (the model)") << "\n";
    else if (p.role == ParameterRole::linked)
      o << "  " << p.name << " = " << model.parameters()[p.link].name << "\n";
    else
      o << "  " << p.name << " from q, tr1, tr3\n";
  }
  const auto names = model.free_names();
  o << "\nstarts:\n";
  for (size_t i = 0; i < fit.starts.size(); ++i) {
    const auto& st = fit.starts[i];
    o << start_line(st, static_cast<int>(i) + 1, static_cast<int>(fit.starts.size())) << "\n";
    o << "    from " << values_text(names, st.start) << "\n";
    if (st.lnl) o << "    to   " << values_text(names, st.end) << "\n";
  }
  o << "\n" << estimates_table(fit);
  if (fit.lnl)
    o << "ln L " << number_text(*fit.lnl) << ", -2 ln L " << number_text(*fit.minus_two_lnl()) << ", k " << fit.k
      << ", AIC " << number_text(*fit.aic()) << "\n";
  if (!fit.messages.empty()) {
    o << "\nnotes:\n";
    for (const auto& m : fit.messages) o << "  " << m << "\n";
  }
  if (!fit.covariance_names.empty()) {
    o << "\nvariance-covariance matrix:\n";
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> head = {""};
    for (const auto& n : fit.covariance_names) head.push_back(n);
    rows.push_back(head);
    const size_t n = fit.covariance_names.size();
    for (size_t a = 0; a < n; ++a) {
      std::vector<std::string> r = {fit.covariance_names[a]};
      for (size_t b = 0; b < n; ++b) r.push_back(short_text(fit.covariance[a * n + b]));
      r.push_back("");
      rows.push_back(r);
    }
    o << aligned(rows);
  }
  o << "\n" << fit.evaluations << " evaluations of the likelihood, " << short_text(run.seconds) << " s, "
    << run.threads << (run.threads == 1 ? " thread" : " threads") << "\n";
  return o.str();
}

}  // namespace kinseg::cli
