#include "kinseg/battery_tables.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <sstream>
#include <vector>

#include "analysis/message_text.hpp"
#include "report/number_format.hpp"

namespace kinseg::cli {

using report::format_number;
using report::json_number;

namespace {

constexpr double kNA = std::numeric_limits<double>::quiet_NaN();

std::string num(double x) { return format_number(x); }
std::string num(const std::optional<double>& x) { return format_number(x ? *x : kNA); }

// A field of a tab-separated file: tabs and line ends inside become blanks.
std::string field(std::string s) {
  for (char& c : s)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return s.empty() ? "NA" : s;
}

std::string row(const std::vector<std::string>& fields) {
  std::string out;
  for (size_t i = 0; i < fields.size(); ++i) out += (i ? "\t" : "") + field(fields[i]);
  return out + "\n";
}

// A table for the console: columns padded to their widest cell, numbers to the right.
class ConsoleTable {
 public:
  explicit ConsoleTable(std::vector<std::string> header, std::vector<bool> right)
      : right_(std::move(right)) {
    rows_.push_back(std::move(header));
  }
  void add(std::vector<std::string> cells) { rows_.push_back(std::move(cells)); }
  std::string str() const {
    std::vector<size_t> width(rows_[0].size(), 0);
    for (const auto& r : rows_)
      for (size_t c = 0; c < r.size(); ++c) width[c] = std::max(width[c], r[c].size());
    std::string out;
    for (const auto& r : rows_) {
      std::string line;
      for (size_t c = 0; c < r.size(); ++c) {
        const std::string pad(width[c] - r[c].size(), ' ');
        const bool last = c + 1 == r.size();
        line += right_[c] ? pad + r[c] : r[c] + (last ? "" : pad);
        if (!last) line += "  ";
      }
      while (!line.empty() && line.back() == ' ') line.pop_back();
      out += line + "\n";
    }
    return out;
  }

 private:
  std::vector<bool> right_;
  std::vector<std::vector<std::string>> rows_;
};

}  // namespace

std::string estimates_text(const FitResult& fit) {
  std::vector<std::string> parts;
  for (const auto& p : fit.parameters)
    if (p.role == ParameterRole::estimated) parts.push_back(p.name + "=" + num(p.estimate));
  return join(parts, " ");
}

std::string models_tsv(const BatteryResult& r) {
  std::string out = row({"model", "k", "lnl", "minus2lnl", "aic", "delta_aic", "status", "refit", "started_from",
                         "estimates"});
  for (const auto& m : r.models) {
    const FitResult& f = m.fit;
    out += row({m.name, std::to_string(f.k), num(f.lnl), num(f.minus_two_lnl()), num(f.aic()), num(m.delta_aic),
                status_name(f.status), m.refit ? "yes" : "no", join(m.started_from, ","),
                f.lnl ? estimates_text(f) : ""});
  }
  return out;
}

std::string tests_tsv(const BatteryResult& r) {
  std::string out = row({"null", "alternative", "statistic", "reference", "p", "flags"});
  for (const auto& t : r.tests)
    out += row({t.null_model, t.alternative, num(t.statistic), t.reference_text, num(t.p), t.flags_text()});
  return out;
}

std::string estimates_tsv(const BatteryResult& r) {
  std::string out = row({"model", "parameter", "estimate", "se", "ci_low", "ci_high", "status"});
  for (const auto& m : r.models) {
    if (!m.fit.lnl) continue;
    for (const auto& p : m.fit.parameters) {
      std::string status = p.status;
      if (!p.note.empty()) status += " (" + p.note + ")";
      out += row({m.name, p.name, num(p.estimate), num(p.se), num(p.ci_low), num(p.ci_high), status});
    }
  }
  return out;
}

std::string families_tsv(const BatteryResult& r) {
  std::string out =
      row({"family", "persons", "affected", "probands", "lnl_mendelian", "lnl_sporadic", "log10_ratio"});
  for (const auto& f : r.families)
    out += row({f.id, std::to_string(f.persons), std::to_string(f.affected), std::to_string(f.probands),
                num(f.mendelian), num(f.sporadic), num(f.log10_ratio)});
  return out;
}

std::string genotypes_tsv(const BatteryResult& r) { return genotypes_tsv(r.carriers); }

std::string genotypes_tsv(const std::vector<CarrierProbability>& carriers) {
  std::string out = row({"family", "id", "p1", "p2", "p3", "carrier"});
  for (const auto& c : carriers)
    out += row({c.pedigree, c.id, num(c.genotype[0]), num(c.genotype[1]), num(c.genotype[2]), num(c.carrier)});
  return out;
}

std::string model_line(const BatteryModel& m) {
  const FitResult& f = m.fit;
  std::ostringstream s;
  s << m.name << ": ";
  if (f.lnl) s << "ln L = " << num(*f.lnl) << ", ";
  s << "k = " << f.k << ", " << status_name(f.status) << ", " << f.starts_at_best << " of " << f.starts.size()
    << " starts at the best, " << f.evaluations << " evaluations";
  if (m.refit) s << ", refitted from a nested model";
  return s.str();
}

std::string console_tables(const BatteryResult& r) {
  std::ostringstream out;
  out << "Models (best by AIC: " << (r.best_model.empty() ? "none" : r.best_model) << ")\n";
  ConsoleTable models({"model", "k", "ln L", "-2 ln L", "AIC", "dAIC", "status", "estimates"},
                      {false, true, true, true, true, true, false, false});
  for (const auto& m : r.models) {
    const FitResult& f = m.fit;
    models.add({m.name + (m.name == r.selected_model ? " *" : ""), std::to_string(f.k), num(f.lnl),
                num(f.minus_two_lnl()), num(f.aic()), num(m.delta_aic), status_name(f.status),
                f.lnl ? estimates_text(f) : ""});
  }
  out << models.str();
  if (!r.selected_model.empty())
    out << "* selected: the " << r.best_mendelian_type
        << " Mendelian model, best by AIC among the Mendelian types; families and carrier probabilities are "
           "under it\n";

  out << "\nLikelihood-ratio tests\n";
  ConsoleTable tests({"null", "alternative", "statistic", "reference", "p", "flags"},
                     {false, false, true, false, true, false});
  for (const auto& t : r.tests)
    tests.add({t.null_model, t.alternative, num(t.statistic), t.reference_text, num(t.p), t.flags_text()});
  out << tests.str();

  out << "\nVerdict (alpha = " << num(r.alpha) << "): " << r.verdict.summary << "\n";
  for (const auto& c : r.criteria) out << "  " << c.text << "\n";
  return out.str();
}

}  // namespace kinseg::cli
