#include "pedigree/trait_definition.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "pedigree/codes.hpp"
#include "pedigree/column_map.hpp"

namespace kinseg {

namespace {

bool same_ignoring_case(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

std::string list_text(const std::vector<std::string>& items, size_t shown, size_t total) {
  std::string s;
  for (size_t i = 0; i < items.size() && i < shown; ++i) s += (i ? ", " : "") + items[i];
  if (total > shown) s += ", ...";
  return s;
}

// Removes the pedigrees marked in DROP, persons renumbered.
void drop_pedigrees(Sample& s, std::vector<char>& covariate_absent, const std::vector<bool>& drop) {
  const int ncov = s.ncov();
  std::vector<int> renumber(s.persons(), -1);
  int next = 0;
  for (int k = 0; k < s.pedigrees(); ++k)
    for (int p = s.first(k); p < s.end(k); ++p)
      if (!drop[k]) renumber[p] = next++;
  Sample out;
  out.file = s.file;
  out.covariate_names = s.covariate_names;
  out.start = {0};
  std::vector<char> absent;
  for (int k = 0; k < s.pedigrees(); ++k) {
    if (drop[k]) continue;
    out.pedigree_ids.push_back(s.pedigree_ids[k]);
    for (int p = s.first(k); p < s.end(k); ++p) {
      out.ids.push_back(s.ids[p]);
      out.father.push_back(s.father[p] >= 0 ? renumber[s.father[p]] : -1);
      out.mother.push_back(s.mother[p] >= 0 ? renumber[s.mother[p]] : -1);
      out.sex.push_back(s.sex[p]);
      out.trait.push_back(s.trait[p]);
      out.proband.push_back(s.proband[p]);
      out.line.push_back(s.line[p]);
      for (int j = 0; j < ncov; ++j) {
        out.covariates.push_back(s.cov(p, j));
        absent.push_back(covariate_absent[static_cast<size_t>(p) * ncov + j]);
      }
    }
    out.start.push_back(out.persons());
  }
  s = std::move(out);
  covariate_absent = std::move(absent);
}

}  // namespace

std::string parse_trait_only(const std::string& text, TraitOnly& out) {
  const auto eq = text.find('=');
  if (eq == std::string::npos || eq == 0 || eq + 1 == text.size())
    return "--trait-only " + text + ": expected COLUMN=V[,V...], e.g. sex=F";
  out.column = text.substr(0, eq);
  out.values.clear();
  size_t from = eq + 1;
  while (true) {
    const size_t comma = text.find(',', from);
    const std::string v = text.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
    if (v.empty()) return "--trait-only " + text + ": an empty value";
    out.values.push_back(v);
    if (comma == std::string::npos) break;
    from = comma + 1;
  }
  return "";
}

std::string parse_fill(const std::string& text, CovariateFill& out) {
  const auto eq = text.find('=');
  if (eq == std::string::npos || eq == 0 || eq + 1 == text.size())
    return "--fill " + text + ": expected COLUMN=VALUE or COLUMN=mean";
  out.column = text.substr(0, eq);
  const std::string v = text.substr(eq + 1);
  out.mean = same_ignoring_case(v, "mean");
  if (out.mean) return "";
  errno = 0;
  char* end = nullptr;
  out.value = std::strtod(v.c_str(), &end);
  if (end != v.c_str() + v.size() || errno != 0 || !std::isfinite(out.value))
    return "--fill " + text + ": '" + v + "' is neither a number nor mean";
  return "";
}

std::vector<std::string> definition_lines(const TraitDefinitionReport& r) {
  std::vector<std::string> out;
  auto persons = [](int n) { return std::to_string(n) + (n == 1 ? " person" : " persons"); };
  auto probands = [](int n) { return std::to_string(n) + (n == 1 ? " proband" : " probands"); };
  if (!r.only.empty())
    out.push_back("trait recorded only where " + r.only + ": " + persons(r.outside) + " outside (" +
                  probands(r.outside_probands) + ") have an unknown trait and stay as relatives");
  for (const auto& f : r.filled) {
    std::string v = f.mean ? "its mean " : "";
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", f.value);
    out.push_back("missing " + f.column + " filled with " + v + text + " (--fill, the user's choice): " +
                  std::to_string(f.persons) + (f.persons == 1 ? " value" : " values"));
  }
  for (const auto& u : r.unknown)
    if (u.traits > 0)
      out.push_back("missing " + u.column + ": " + std::to_string(u.traits) + (u.traits == 1 ? " trait" : " traits") +
                    " made unknown, of them " + probands(u.probands));
  if (!r.excluded.empty()) {
    std::vector<std::string> causes;
    for (const auto& e : r.excluded)
      if (std::find(causes.begin(), causes.end(), e.column) == causes.end()) causes.push_back(e.column);
    for (const auto& c : causes) {
      std::vector<std::string> ids;
      for (const auto& e : r.excluded)
        if (e.column == c) ids.push_back(e.pedigree);
      out.push_back(std::to_string(ids.size()) + (ids.size() == 1 ? " family" : " families") +
                    " excluded, no proband of known trait (" + c + "): " + list_text(ids, ids.size(), ids.size()));
    }
  }
  return out;
}

int trait_only_column(const TraitDefinitionOptions& options, const FileFormat& format, int width) {
  if (!options.only) return -1;
  return column_named(format, width, "--trait-only", options.only->column);
}

TraitDefinitionReport define_traits(Sample& s, std::vector<char>& covariate_absent,
                                    const TraitDefinitionOptions& options,
                                    const std::vector<std::pair<int, std::string>>& only_values, bool sex_column,
                                    const std::vector<std::string>& covar_given,
                                    const std::vector<TraitColumn>& extra, bool proband_column,
                                    DataProblems& problems) {
  TraitDefinitionReport r;
  const int n = s.persons(), ncov = s.ncov();
  auto absent = [&](int p, int j) -> char& { return covariate_absent[static_cast<size_t>(p) * ncov + j]; };

  // 1. Filled covariates.
  for (const CovariateFill& f : options.fill) {
    int j = -1;
    for (int c = 0; c < ncov && j < 0; ++c)
      if (f.column == s.covariate_names[c] || (static_cast<size_t>(c) < covar_given.size() && f.column == covar_given[c]))
        j = c;
    if (j < 0) throw ColumnOptionError("--fill " + f.column + ": not a covariate named in --covar");
    for (const auto& done : r.filled)
      if (done.column == s.covariate_names[j]) throw ColumnOptionError("--fill " + f.column + ": given twice");
    TraitDefinitionReport::Filled out{s.covariate_names[j], f.value, f.mean, 0};
    if (f.mean) {
      double sum = 0;
      int count = 0;
      for (int p = 0; p < n; ++p)
        if (!absent(p, j) && s.line[p] > 0) sum += s.cov(p, j), ++count;
      out.value = count > 0 ? sum / count : 0.0;
    }
    for (int p = 0; p < n; ++p)
      if (absent(p, j) && s.line[p] > 0) {
        s.covariates[static_cast<size_t>(p) * ncov + j] = out.value;
        absent(p, j) = 0;
        ++out.persons;
      }
    r.filled.push_back(out);
  }

  // What made each person's trait unknown: -1 the file itself, -2
  // --trait-only, else the index of the column in r.unknown.
  std::vector<int> cause(n, -1);

  // 2. The persons in whom the trait is recorded.
  if (options.only) {
    r.only = options.only->column + " = ";
    for (size_t i = 0; i < options.only->values.size(); ++i) r.only += (i ? "," : "") + options.only->values[i];
    std::vector<int8_t> sexes;
    for (const auto& v : options.only->values) sexes.push_back(decode_sex(v));
    auto inside_value = [&](const std::string& v) {
      for (const auto& want : options.only->values)
        if (same_ignoring_case(v, want)) return true;
      return false;
    };
    for (int p = 0; p < n; ++p) {
      bool inside = false;
      if (sex_column) {
        inside = s.sex[p] != kUnknownSex && std::find(sexes.begin(), sexes.end(), s.sex[p]) != sexes.end();
      } else if (s.line[p] > 0) {
        const auto it = std::lower_bound(only_values.begin(), only_values.end(), std::make_pair(s.line[p], std::string()));
        inside = it != only_values.end() && it->first == s.line[p] && inside_value(it->second);
      }
      if (inside) continue;
      if (s.trait[p] != kUnknownTrait) {
        ++r.outside;
        r.outside_probands += s.proband[p] == kProband;
        s.trait[p] = kUnknownTrait;
        cause[p] = -2;
      }
    }
  }

  // 3. Missing values of the columns the trait is defined with.
  std::vector<TraitColumn> columns;
  for (int j = 0; j < ncov; ++j) {
    TraitColumn c{s.covariate_names[j], std::vector<char>(n, 0)};
    for (int p = 0; p < n; ++p) c.absent[p] = absent(p, j);
    columns.push_back(std::move(c));
  }
  columns.insert(columns.end(), extra.begin(), extra.end());
  for (size_t c = 0; c < columns.size(); ++c) {
    TraitDefinitionReport::Unknown u{columns[c].name, 0, 0};
    for (int p = 0; p < n; ++p) {
      if (!columns[c].absent[p] || s.trait[p] == kUnknownTrait) continue;
      s.trait[p] = kUnknownTrait;
      cause[p] = static_cast<int>(c);
      ++u.traits;
      u.probands += s.proband[p] == kProband;
    }
    r.unknown.push_back(u);
  }

  // 4. Families without a proband of known phenotype.
  const bool proband_mode = options.proband_ascertainment.value_or(proband_column);
  if (!proband_mode) return r;
  std::vector<bool> drop(s.pedigrees(), false);
  std::vector<std::string> causes;  // in order of first appearance
  std::vector<std::vector<std::string>> ids;
  for (int k = 0; k < s.pedigrees(); ++k) {
    int probands = 0, known = 0, first_unknown = -1;
    for (int p = s.first(k); p < s.end(k); ++p) {
      if (s.proband[p] != kProband) continue;
      ++probands;
      if (s.trait[p] != kUnknownTrait) ++known;
      else if (first_unknown < 0) first_unknown = p;
    }
    if (probands == 0 || known > 0) continue;
    drop[k] = true;
    const int c = cause[first_unknown];
    const std::string why = c == -2 ? "--trait-only " + options.only->column
                            : c >= 0 ? "missing " + columns[c].name
                                     : "the trait column (unknown)";
    r.excluded.push_back({s.pedigree_ids[k], why});
    r.excluded_persons += s.size(k);
    auto at = std::find(causes.begin(), causes.end(), why);
    if (at == causes.end()) {
      causes.push_back(why);
      ids.emplace_back();
      at = causes.end() - 1;
    }
    ids[static_cast<size_t>(at - causes.begin())].push_back(s.pedigree_ids[k]);
  }
  auto fillable = [&](const std::string& why) {
    return why.rfind("missing ", 0) == 0 &&
           std::find(s.covariate_names.begin(), s.covariate_names.end(), why.substr(8)) != s.covariate_names.end();
  };
  for (size_t c = 0; c < causes.size(); ++c) {
    const size_t m = ids[c].size();
    problems.warning("excluded-family", 0, "", ids[c],
                     std::to_string(m) + (m == 1 ? " family" : " families") +
                         " excluded under proband ascertainment: no proband of known trait (" + causes[c] +
                         "), so no ascertainment correction: pedigree" + (m == 1 ? " " : "s ") +
                         list_text(ids[c], 10, m) +
                         (fillable(causes[c]) ? "; --fill " + causes[c].substr(8) + "=VALUE|mean fills the missing values"
                                              : ""));
  }
  // With every family excluded nothing is left to analyse: the data are
  // refused, rather than read as a sample without a pedigree.
  if (!r.excluded.empty() && static_cast<int>(r.excluded.size()) == s.pedigrees())
    problems.error("every-family-excluded", 0, "", {},
                   "every family is excluded under proband ascertainment (no proband of known trait): no family "
                   "is left to analyse");
  if (!r.excluded.empty()) drop_pedigrees(s, covariate_absent, drop);
  return r;
}

}  // namespace kinseg
