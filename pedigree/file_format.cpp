#include "pedigree/file_format.hpp"

#include <algorithm>

#include "pedigree/column_map.hpp"
#include "pedigree/sample.hpp"

namespace kinseg {

const char* file_kind_name(FileKind k) {
  switch (k) {
    case FileKind::kHeaderTable: return "table with a header line";
    case FileKind::kLinkage: return "LINKAGE pre-makeped / PLINK .fam (no header line)";
    case FileKind::kKinsort: return "kinsort data file";
  }
  return "?";
}

namespace {

// Occurrences of c outside double quotes.
int count_outside_quotes(std::string_view line, char c) {
  int n = 0;
  bool quoted = false;
  for (char x : line) {
    if (x == '"') quoted = !quoted;
    else if (x == c && !quoted) ++n;
  }
  return n;
}

// The separator that cuts the first lines into the same number of fields:
// the one of comma, tab and semicolon that occurs most on the first line and
// as often on the second; runs of blanks when none does. Without COMMA the
// comma is not a candidate (it marks the decimals).
Separator find_separator(const std::vector<std::pair<int, std::string_view>>& lines, bool comma = true) {
  Separator best = Separator::kBlanks;
  int most = 0;
  std::vector<std::pair<char, Separator>> candidates = {{'\t', Separator::kTab}, {';', Separator::kSemicolon}};
  if (comma) candidates.insert(candidates.begin(), {',', Separator::kComma});
  for (const auto& [c, sep] : candidates) {
    const int n = count_outside_quotes(lines[0].second, c);
    if (n == 0) continue;
    if (lines.size() > 1 && count_outside_quotes(lines[1].second, c) != n) continue;
    if (n > most) most = n, best = sep;
  }
  if (most == 0) {
    // No separator cuts both lines alike: take the first that occurs at all.
    for (const auto& [c, sep] : candidates)
      if (count_outside_quotes(lines[0].second, c) > 0) return sep;
  }
  return best;
}

bool looks_numeric_or_missing(std::string_view v, const MissingTokens& missing, DecimalMark decimal) {
  double x = 0;
  return missing.missing(v) || parse_real(v, x, decimal);
}

}  // namespace

FileFormat detect_format(const TextTable& table, std::optional<Separator> sep,
                         const std::vector<std::string>& names, const MissingTokens& missing,
                         DecimalMark decimal) {
  FileFormat f;
  f.decimal = decimal;
  const bool decimal_comma = decimal == DecimalMark::kComma;
  if (decimal_comma && sep == Separator::kComma)
    throw ColumnOptionError(
        "--decimal-comma cannot go with --sep comma: a comma cannot separate the fields and mark the decimals "
        "too; save the table separated by semicolons or tabs");
  const auto lines = table.first_lines(2);
  if (lines.empty()) return f;
  const std::string_view first = lines[0].second;

  // kinsort's header: names separated by single blanks, the first four fixed.
  const std::string_view passport = "ped id fa mo";
  if (first.substr(0, passport.size()) == passport &&
      (first.size() == passport.size() || first[passport.size()] == ' ')) {
    f.kind = FileKind::kKinsort;
    f.separator = sep.value_or(Separator::kBlanks);
    f.separator_given = sep.has_value();
    f.header_line = lines[0].first;
    f.header = split_line(first, f.separator);
    return f;
  }

  f.separator = sep ? *sep : find_separator(lines, !decimal_comma);
  f.separator_given = sep.has_value();
  // Found no other separator, and no blank cuts the first line: only commas could separate its fields.
  if (decimal_comma && !sep && f.separator == Separator::kBlanks && find_separator(lines) == Separator::kComma &&
      split_line(first, Separator::kBlanks).size() == 1)
    throw ColumnOptionError(
        "--decimal-comma: the fields are separated by commas, so a comma cannot mark the decimals too; "
        "read the file without --decimal-comma, or save it separated by semicolons or tabs");
  const std::vector<std::string> fields = split_line(first, f.separator);

  // A header names its columns: some name is a common one, or one the
  // options use. A first line of six or more fields whose fifth is a sex code
  // and sixth a number or missing is a LINKAGE / .fam row.
  bool header = false;
  for (const std::string& v : fields) {
    if (known_column_name(v)) header = true;
    for (const std::string& n : names)
      if (v == n || same_text(v, n)) header = true;
  }
  if (!header && fields.size() >= 6) {
    const std::string& sex = fields[4];
    const bool sex_like = decode_sex(sex) != kUnknownSex || sex == "0" || missing.missing(sex);
    if (sex_like && looks_numeric_or_missing(fields[5], missing, decimal)) {
      f.kind = FileKind::kLinkage;
      return f;
    }
  }
  f.kind = FileKind::kHeaderTable;
  f.header_line = lines[0].first;
  f.header = fields;
  return f;
}

}  // namespace kinseg
