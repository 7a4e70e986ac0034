// Which column of the file holds what: the pedigree, the person, the father,
// the mother, the sex, the trait, the proband code, the covariates and the age
// at onset (only when named). A
// column is named by the user (a header name or a 1-based number) or found by
// its header name among the ones in common use (case-insensitive); in a
// headerless LINKAGE / PLINK .fam file the first six columns are family,
// person, father, mother, sex and phenotype.
#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "pedigree/data_problem.hpp"
#include "pedigree/file_format.hpp"

namespace kinseg {

enum class ColumnRole { kPedigree, kPerson, kFather, kMother, kSex, kTrait, kProband };
inline constexpr int kRoles = 7;

// The role's name in messages and options: "pedigree" (--ped), "id", "father",
// "mother", "sex", "trait", "proband".
const char* role_name(ColumnRole r);
const char* role_option(ColumnRole r);

// True when `name` is one of the header names looked for.
bool known_column_name(std::string_view name);

// A column option the command line gave: the text after --ped, --id, ...
struct ColumnOptions {
  std::array<std::string, kRoles> role;   // empty when not given
  std::vector<std::string> covariates;    // --covar, in order
  std::string onset;                      // --onset: the age at onset or last seen; empty when not given
};

struct ColumnUse {
  int column = -1;          // 0-based; -1 when the file has no such column
  std::string name;         // the header name, or "column N" without a header
  bool given = false;       // named by the user rather than found
};

struct ColumnMap {
  std::array<ColumnUse, kRoles> role;
  std::vector<ColumnUse> covariates;
  ColumnUse onset;          // column -1 without --onset
  int fields_needed = 0;    // the number of fields a row must have
  const ColumnUse& operator[](ColumnRole r) const { return role[static_cast<int>(r)]; }
};

// A column option that cannot be honoured (it names no column of the file):
// a usage error.
class ColumnOptionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The column (0-based) that OPTION's TEXT names in a file of FIELDS fields: a
// header name (exactly, else ignoring case) or a 1-based number. Throws
// ColumnOptionError when it names none.
int column_named(const FileFormat& format, int fields, const std::string& option, const std::string& text);

// Maps the columns. A required column (pedigree, id, father, mother, trait)
// that is neither given nor found is an error in `problems`; a missing sex
// column a warning; a missing proband column leaves everybody an ordinary
// member. Throws ColumnOptionError for an option naming no column.
ColumnMap map_columns(const FileFormat& format, int first_row_fields, const ColumnOptions& options,
                      DataProblems& problems);

}  // namespace kinseg
