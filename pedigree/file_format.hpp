// Which kind of pedigree file this is, decided from its first lines: a table
// with a header line of column names; a headerless LINKAGE pre-makeped or
// PLINK .fam file (family, person, father, mother, sex, phenotype, further
// columns); or one of kinsort's own data files (a header that starts
// "ped id fa mo", names separated by single blanks). And how its fields are
// separated, unless the user says so.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "pedigree/codes.hpp"
#include "pedigree/text_table.hpp"

namespace kinseg {

enum class FileKind { kHeaderTable, kLinkage, kKinsort };

// "table with a header", "LINKAGE / PLINK .fam (no header)", "kinsort data file".
const char* file_kind_name(FileKind k);

struct FileFormat {
  FileKind kind = FileKind::kHeaderTable;
  Separator separator = Separator::kBlanks;
  bool separator_given = false;       // by --sep rather than found in the file
  DecimalMark decimal = DecimalMark::kPoint;  // --decimal-comma: numbers written 23,5
  int header_line = 0;                // line of the header, 0 for none
  std::vector<std::string> header;    // column names; empty without a header
};

// Decides the format from the table's first lines. `sep` is the user's
// separator, if any; `names` are the column names the user's options give
// (not numbers), whose presence in the first line marks it as a header.
// With a decimal comma the comma is no separator: one given by `sep`, or a
// file whose fields only commas separate, throws ColumnOptionError (a comma
// cannot mark both the fields and the decimals).
FileFormat detect_format(const TextTable& table, std::optional<Separator> sep,
                         const std::vector<std::string>& names, const MissingTokens& missing,
                         DecimalMark decimal = DecimalMark::kPoint);

}  // namespace kinseg
