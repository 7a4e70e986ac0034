#include "kinseg/check_text.hpp"

#include <array>
#include <cmath>
#include <cstdio>
#include <iomanip>
#include <ostream>
#include <string>

#include "kinseg/read_description.hpp"
#include "pedigree/counted.hpp"

namespace kinseg::cli {

namespace {

constexpr int kLabel = 24;
constexpr size_t kListed = 10;  // pedigree ids listed before "and N more"

void row(std::ostream& out, const std::string& label, const std::string& value) {
  out << std::left << std::setw(kLabel) << label << value << "\n";
}

std::string num(double x) {
  if (!std::isfinite(x)) return "NA";
  char b[40];
  std::snprintf(b, sizeof b, "%.6g", x);
  return b;
}

// A number in a column of width 12, kept apart from its neighbour when the
// number is wider (-2.94118e+299).
std::string cell(double x) { return " " + num(x); }

std::string id_list(const std::vector<std::string>& ids) {
  std::string s = std::to_string(ids.size());
  for (size_t i = 0; i < ids.size() && i < kListed; ++i) s += (i ? ", " : ": ") + ids[i];
  if (ids.size() > kListed) s += ", and " + std::to_string(ids.size() - kListed) + " more";
  return s;
}

std::string column_text(const ColumnUse& u) {
  if (u.column < 0) return "none";
  std::string s = u.name;
  if (u.name.rfind("column ", 0) != 0) s += " (column " + std::to_string(u.column + 1) + ")";
  return s + (u.given ? ", given" : ", found");
}

}  // namespace

void write_check_text(const DataRead& d, const DataSummary& r, const LoopCosts& costs, std::ostream& out) {
  const std::string pad(kLabel, ' ');
  row(out, "file", d.sample.file);
  row(out, "format", file_kind_name(d.format.kind));
  row(out, "separator", separator_text(d.format));
  if (d.format.decimal == DecimalMark::kComma) row(out, "decimal mark", "comma (--decimal-comma)");
  for (int i = 0; i < kRoles; ++i)
    row(out, std::string("column ") + role_name(static_cast<ColumnRole>(i)), column_text(d.columns.role[i]));
  for (const ColumnUse& u : d.columns.covariates) row(out, "column covariate", column_text(u));
  if (d.columns.onset.column >= 0) row(out, "column onset", column_text(d.columns.onset));
  std::string tokens = "empty";
  for (const std::string& t : d.missing.tokens()) tokens += ", " + t;
  row(out, "missing values", tokens);
  row(out, "trait read as", trait_reading_text(d.trait_coding.reading));
  for (const TraitValueUse& u : trait_value_uses(d))
    out << pad << std::left << std::setw(10) << ("\"" + u.value + "\"") << std::setw(12) << u.meaning
        << u.rows << (u.rows == 1 ? " row\n" : " rows\n");
  out << "\n";

  row(out, "pedigrees", std::to_string(r.pedigrees));
  row(out, "persons", std::to_string(r.persons) + (r.added ? " (" + std::to_string(r.added) + " added for absent parents)" : ""));
  row(out, "founders", std::to_string(r.founders));
  row(out, "generations", std::to_string(r.generations));
  row(out, "nuclear families", std::to_string(r.nuclear_families));
  row(out, "pedigree sizes", "min " + std::to_string(r.size_min) + ", median " + num(r.size_median) + ", max " +
                                 std::to_string(r.size_max));
  out << "\n";
  out << std::left << std::setw(kLabel) << "trait by sex" << std::right << std::setw(10) << "affected"
      << std::setw(12) << "unaffected" << std::setw(10) << "unknown" << std::setw(10) << "total" << "\n";
  const char* sexes[] = {"  unknown sex", "  male", "  female"};
  std::array<int, 4> total{};
  for (int sex : {1, 2, 0}) {
    const auto& t = r.trait_by_sex[sex];
    const int all = t[0] + t[1] + t[2];
    out << std::left << std::setw(kLabel) << sexes[sex] << std::right << std::setw(10) << t[0] << std::setw(12)
        << t[1] << std::setw(10) << t[2] << std::setw(10) << all << "\n";
    for (int i = 0; i < 3; ++i) total[i] += t[i];
    total[3] += all;
  }
  out << std::left << std::setw(kLabel) << "  total" << std::right << std::setw(10) << total[0] << std::setw(12)
      << total[1] << std::setw(10) << total[2] << std::setw(10) << total[3] << "\n\n";

  row(out, "probands", std::to_string(r.probands) +
                           (r.always_conditioned ? " (and " + counted(r.always_conditioned, "member") +
                                                       " always conditioned on)"
                                                 : ""));
  row(out, "pedigrees w/o proband", id_list(r.without_proband));
  row(out, "pedigrees w/o affected", id_list(r.without_affected));
  row(out, "connected to nobody", persons(r.unconnected) + " (" +
                                      counted(r.single_person_pedigrees, "one-person pedigree") + ")");
  int loops = 0;
  for (const PedigreeLoops& l : r.loops) loops += l.loops;
  row(out, "loops", r.loops.empty() ? "none"
                                    : std::to_string(loops) + " in " +
                                          counted(static_cast<long>(r.loops.size()), "pedigree"));
  // The first 50, and every one that the analyses refuse or that is slow.
  size_t listed = 0;
  for (size_t i = 0; i < r.loops.size(); ++i) {
    const std::string verdict = costs.verdict(i);
    if (i >= 50 && verdict.empty()) continue;
    ++listed;
    out << pad << "pedigree " << r.loops[i].id << ": " << elimination_cost_text(costs.cost[i])
        << (verdict.empty() ? "" : "; " + verdict) << "\n";
  }
  if (r.loops.size() > listed) out << pad << "and " << r.loops.size() - listed << " more pedigrees with loops\n";

  if (!r.covariates.empty()) {
    out << "\n" << std::left << std::setw(kLabel) << "covariate" << std::right << std::setw(9) << "present"
        << std::setw(9) << "missing" << std::setw(12) << "min" << std::setw(12) << "mean" << std::setw(12) << "sd"
        << std::setw(12) << "max" << "\n";
    for (const CovariateSummary& c : r.covariates)
      out << std::left << std::setw(kLabel) << ("  " + c.name) << std::right << std::setw(9) << c.present
          << std::setw(9) << c.missing << std::setw(12) << cell(c.min) << std::setw(12) << cell(c.mean)
          << std::setw(12) << cell(c.sd) << std::setw(12) << cell(c.max) << (c.whole_numbers ? "" : "  (not whole numbers)")
          << "\n";
    row(out, "traits made unknown", std::to_string(r.unknown_by_covariate) + " by a missing covariate");
  }
  if (!r.onset_column.empty()) {
    out << "\n" << std::left << std::setw(kLabel) << ("ages (" + r.onset_column + ")") << std::right << std::setw(9)
        << "persons" << std::setw(12) << "min" << std::setw(12) << "median" << std::setw(12) << "mean"
        << std::setw(12) << "max" << "\n";
    for (const AgeSummary& g : r.ages) {
      const std::string label = std::string(g.trait == kAffected ? "  at onset, " : "  last seen, ") +
                                (g.sex == kMale ? "male" : g.sex == kFemale ? "female" : "unknown sex");
      out << std::left << std::setw(kLabel) << label << std::right << std::setw(9) << g.n << std::setw(12)
          << num(g.min) << std::setw(12) << num(g.median) << std::setw(12) << num(g.mean) << std::setw(12)
          << num(g.max) << "\n";
    }
    row(out, "traits made unknown", std::to_string(r.unknown_by_onset) + " by a missing age");
  }
  const std::vector<std::string> definition = definition_lines(d.definition);
  if (!definition.empty()) {
    out << "\ntrait definition\n";
    for (const std::string& line : definition) out << "  " << line << "\n";
  }
  if (d.problems.warnings() > 0)
    out << "\n" << std::left << std::setw(kLabel) << "warnings" << d.problems.warnings() << " (on standard error)\n";
}

}  // namespace kinseg::cli
