#include "pedigree/column_map.hpp"

#include <algorithm>

namespace kinseg {

namespace {

// Header names in common use for each role, lower case.
const std::vector<std::vector<std::string_view>>& common_names() {
  static const std::vector<std::vector<std::string_view>> names = {
      {"famid", "fid", "ped", "pedigree", "family"},
      {"id", "iid", "person", "indiv"},
      {"fatherid", "father", "fa", "pat", "dadid"},
      {"motherid", "mother", "mo", "mat", "momid"},
      {"sex", "gender"},
      {"affected", "status", "trait", "phenotype", "pheno"},
      {"proband"},
  };
  return names;
}

bool all_digits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string column_label(const FileFormat& f, int c) {
  if (c < static_cast<int>(f.header.size()) && !f.header[c].empty()) return f.header[c];
  return "column " + std::to_string(c + 1);
}

// The column an option names: a header name (exactly, else ignoring case),
// else a 1-based number within the row.
int resolve(const FileFormat& f, int fields, const std::string& what, const std::string& text) {
  for (size_t c = 0; c < f.header.size(); ++c)
    if (f.header[c] == text) return static_cast<int>(c);
  for (size_t c = 0; c < f.header.size(); ++c)
    if (same_text(f.header[c], text)) return static_cast<int>(c);
  if (all_digits(text)) {
    const long n = text.size() > 6 ? 0 : std::stol(text);
    if (n >= 1 && n <= fields) return static_cast<int>(n - 1);
    throw ColumnOptionError(what + " " + text + ": the file's rows have " + std::to_string(fields) +
                            " columns");
  }
  if (f.header.empty())
    throw ColumnOptionError(what + " " + text +
                            ": the file has no header line; name its columns by number (1, 2, ...)");
  std::string list;
  for (size_t c = 0; c < f.header.size(); ++c) list += (c ? ", " : "") + f.header[c];
  throw ColumnOptionError(what + " " + text + ": no such column; the header has " + list);
}

}  // namespace

const char* role_name(ColumnRole r) {
  static const char* const names[] = {"pedigree", "id", "father", "mother", "sex", "trait", "proband"};
  return names[static_cast<int>(r)];
}

const char* role_option(ColumnRole r) {
  static const char* const names[] = {"--ped", "--id", "--father", "--mother", "--sex", "--trait", "--proband"};
  return names[static_cast<int>(r)];
}

bool known_column_name(std::string_view name) {
  for (const auto& list : common_names())
    for (std::string_view n : list)
      if (same_text(name, n)) return true;
  return false;
}

ColumnMap map_columns(const FileFormat& f, int fields, const ColumnOptions& options,
                      DataProblems& problems) {
  ColumnMap map;
  const int header_fields = static_cast<int>(f.header.size());
  const int width = std::max(fields, header_fields);
  for (int r = 0; r < kRoles; ++r) {
    ColumnUse& use = map.role[r];
    const ColumnRole role = static_cast<ColumnRole>(r);
    if (!options.role[r].empty()) {
      use.column = resolve(f, width, role_option(role), options.role[r]);
      use.given = true;
    } else if (f.kind == FileKind::kLinkage) {
      if (r < 6) use.column = r;  // family, person, father, mother, sex, phenotype
    } else {
      std::vector<std::string_view> names = common_names()[r];
      if (role == ColumnRole::kProband && f.kind == FileKind::kKinsort) names.push_back("prob");
      for (int c = 0; c < header_fields && use.column < 0; ++c)
        for (std::string_view n : names)
          if (same_text(f.header[c], n)) use.column = c;
    }
    if (use.column >= 0) use.name = column_label(f, use.column);
  }
  for (const std::string& c : options.covariates) {
    ColumnUse use;
    use.column = resolve(f, width, "--covar", c);
    use.name = column_label(f, use.column);
    use.given = true;
    for (const ColumnUse& other : map.covariates)
      if (other.column == use.column)
        throw ColumnOptionError("--covar names column " + use.name + " twice");
    map.covariates.push_back(use);
  }

  if (!options.onset.empty()) {
    ColumnUse& use = map.onset;
    use.column = resolve(f, width, "--onset", options.onset);
    use.name = column_label(f, use.column);
    use.given = true;
    for (const ColumnUse& other : map.covariates)
      if (other.column == use.column)
        throw ColumnOptionError("--onset names column " + use.name + ", which --covar names too");
  }

  std::string header_list;
  for (int c = 0; c < header_fields; ++c) header_list += (c ? ", " : "") + f.header[c];
  for (ColumnRole r : {ColumnRole::kPedigree, ColumnRole::kPerson, ColumnRole::kFather, ColumnRole::kMother, ColumnRole::kTrait}) {
    if (map[r].column >= 0) continue;
    std::string msg = std::string("no ") + role_name(r) + " column";
    if (!header_list.empty()) msg += " among " + header_list;
    msg += "; name it with " + std::string(role_option(r)) + " COL";
    problems.error("column-missing", f.header_line, "", {}, msg);
  }
  if (map[ColumnRole::kSex].column < 0)
    problems.warning("no-sex-column", f.header_line, "", {},
                     "no sex column: every sex is unknown, a parent's taken from the role "
                     "(name the column with --sex COL)");

  for (const ColumnUse& u : map.role) map.fields_needed = std::max(map.fields_needed, u.column + 1);
  for (const ColumnUse& u : map.covariates) map.fields_needed = std::max(map.fields_needed, u.column + 1);
  map.fields_needed = std::max(map.fields_needed, map.onset.column + 1);
  return map;
}

}  // namespace kinseg

namespace kinseg {

int column_named(const FileFormat& format, int fields, const std::string& option, const std::string& text) {
  return resolve(format, fields, option, text);
}

}  // namespace kinseg
