#include "kinseg/battery_tables.hpp"

#include <optional>
#include <sstream>
#include <vector>

#include "analysis/message_text.hpp"
#include "kinseg/table_writers.hpp"

namespace kinseg::cli {

namespace {

std::string num(double x) { return number_text(x); }
std::string num(const std::optional<double>& x) { return number_text(x); }

}  // namespace

std::string models_tsv(const BatteryResult& r) {
  TsvTable t({"model", "k", "lnl", "minus2lnl", "aic", "delta_aic", "status", "refit", "started_from", "estimates"});
  for (const auto& m : r.models) {
    const FitResult& f = m.fit;
    t.add({m.name, std::to_string(f.k), num(f.lnl), num(f.minus_two_lnl()), num(f.aic()), num(m.delta_aic),
           status_name(f.status), yes_no(m.refit), join(m.started_from, ","), estimates_text(f)});
  }
  return t.str();
}

std::string tests_tsv(const BatteryResult& r) {
  TsvTable table({"null", "alternative", "statistic", "reference", "p", "flags"});
  for (const auto& t : r.tests)
    table.add({t.null_model, t.alternative, num(t.statistic), t.reference_text, num(t.p), t.flags_text()});
  return table.str();
}

std::string estimates_tsv(const BatteryResult& r) {
  TsvTable t = estimates_tsv_table();
  for (const auto& m : r.models) add_estimate_rows(t, m.fit);
  return t.str();
}

std::string families_tsv(const BatteryResult& r) {
  TsvTable t({"family", "persons", "affected", "probands", "lnl_mendelian", "lnl_sporadic", "log10_ratio"});
  for (const auto& f : r.families)
    t.add({f.id, std::to_string(f.persons), std::to_string(f.affected), std::to_string(f.probands),
           num(f.mendelian), num(f.sporadic), num(f.log10_ratio)});
  return t.str();
}

std::string genotypes_tsv(const BatteryResult& r) { return genotypes_tsv(r.carriers); }

std::string genotypes_tsv(const std::vector<CarrierProbability>& carriers) {
  TsvTable t({"family", "id", "p1", "p2", "p3", "carrier"});
  for (const auto& c : carriers)
    t.add({c.pedigree, c.id, num(c.genotype[0]), num(c.genotype[1]), num(c.genotype[2]), num(c.carrier)});
  return t.str();
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
                estimates_text(f)});
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
