#include "kinseg/battery_log.hpp"

#include <algorithm>
#include <limits>
#include <sstream>

#include "kinseg/battery_tables.hpp"
#include "pedigree/counted.hpp"
#include "report/number_format.hpp"

namespace kinseg::cli {

using report::format_number;
using report::json_number;

std::string battery_log(const BatteryResult& r, const RunFacts& facts, const std::string& data_text,
                        const std::string& fitting) {
  std::ostringstream out;
  out << run_log_head(facts) << "\n";
  out << data_text << "\n";
  out << "ascertainment           " << facts.ascertainment << "\n";
  out << "threads                 " << facts.threads << "\n";
  out << "alpha                   " << format_number(r.alpha) << "\n";
  out << "\nFitting" << fitting << "\n";
  for (const auto& m : r.messages) out << "note: " << m << "\n";
  out << console_tables(r);

  out << "\nFamilies that most support a major gene (log10 of the likelihood ratio, " << r.selected_model
      << " against sporadic; all of them in the families file)\n";
  const size_t shown = std::min<size_t>(r.families.size(), 10);
  for (size_t i = 0; i < shown; ++i) {
    const auto& f = r.families[i];
    out << "  " << f.id << "\t" << persons(f.persons) << ", " << f.affected << " affected\t"
        << format_number(f.log10_ratio ? *f.log10_ratio : std::numeric_limits<double>::quiet_NaN()) << "\n";
  }
  out << "\n" << r.evaluations << " evaluations of the likelihood in " << format_number(facts.seconds) << " s\n";
  return out.str();
}

}  // namespace kinseg::cli
