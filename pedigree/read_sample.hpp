// Reading a pedigree file as geneticists keep it into the sample: the format
// and columns found, every code decoded, ids resolved within each pedigree
// (rows in any order, parents after their children), the structure checked.
// Every problem of the file is collected; the sample is fit for analysis only
// when none of them is an error.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "pedigree/codes.hpp"
#include "pedigree/column_map.hpp"
#include "pedigree/data_problem.hpp"
#include "pedigree/file_error.hpp"
#include "pedigree/file_format.hpp"
#include "pedigree/sample.hpp"
#include "pedigree/trait_coding.hpp"
#include "pedigree/trait_definition.hpp"

namespace kinseg {

struct ReadOptions {
  ColumnOptions columns;
  std::vector<std::string> affected;              // --affected
  std::vector<std::string> unaffected;            // --unaffected
  std::optional<std::vector<std::string>> missing;  // --missing, in place of NA . -9
  std::optional<Separator> separator;             // --sep
  DecimalMark decimal = DecimalMark::kPoint;      // --decimal-comma: covariates and ages written 23,5
  bool add_missing_parents = false;               // --add-missing-parents
  TraitDefinitionOptions trait;                   // --trait-only, --fill (trait_definition.hpp)
};

// What was read, and how.
struct DataRead {
  Sample sample;
  DataProblems problems;
  FileFormat format;
  ColumnMap columns;
  MissingTokens missing;
  TraitValues trait_values;
  TraitCoding trait_coding;
  int rows = 0;                      // data rows read
  int added = 0;                     // persons added for absent parents
  int unknown_by_covariate = 0;      // known traits made unknown by a missing covariate
  int unknown_by_onset = 0;          // known traits made unknown by a missing age (--onset)
  TraitDefinitionReport definition;  // who carries a known trait, and the families excluded
  std::vector<int> covariate_missing;  // per covariate, rows without a value
  // Per person and covariate (as sample.covariates), 1 where the file has no
  // value and --fill gave none (the sample holds 0 there and the person's
  // trait is unknown).
  std::vector<char> covariate_absent;
};

// Reads the file at `path`. Throws FileError when it cannot be read, and
// ColumnOptionError when a column option names no column of it.
DataRead read_sample(const std::string& path, const ReadOptions& options);

// The same from the file's text; `name` stands for the file in messages.
DataRead read_sample_text(std::string text, const std::string& name, const ReadOptions& options);

}  // namespace kinseg
