// Which persons carry a known trait, decided once when the sample is read;
// the likelihood sees only the outcome (the sample's trait codes and its
// pedigrees). In this order:
//   1. --fill COLUMN=VALUE|mean gives a covariate's missing values a value
//      (the user's choice: the persons keep their traits);
//   2. --trait-only COLUMN=V[,V...]: the trait is recorded in the persons whose
//      COLUMN holds one of the values only (e.g. sex=F for a trait of women);
//      the others have an unknown trait and stay in their pedigrees as
//      relatives. On the sex column the values are read as sexes (F, 2 and
//      female alike); on any other column they are compared as text,
//      ignoring case;
//   3. a missing value in a column the trait is defined with (each covariate,
//      and any further column a caller names, such as an age of onset) makes
//      the person's trait unknown; each person is counted under the first such
//      column;
//   4. under proband ascertainment, a family whose probands all have an
//      unknown trait is excluded, with a warning naming how many, the first
//      ids and the column that made them unknown: without a proband of known
//      phenotype its ascertainment correction cannot be made, and the family
//      is neither analysed uncorrected nor given another proband.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "pedigree/data_problem.hpp"
#include "pedigree/file_format.hpp"
#include "pedigree/sample.hpp"

namespace kinseg {

struct TraitOnly {
  std::string column;               // a header name or a 1-based column number
  std::vector<std::string> values;  // the trait is recorded where the column holds one of them
};

struct CovariateFill {
  std::string column;  // a --covar column, as given there or by its header name
  bool mean = false;   // the mean of the values present
  double value = 0.0;
};

struct TraitDefinitionOptions {
  std::optional<TraitOnly> only;              // --trait-only
  std::vector<CovariateFill> fill;            // --fill
  // Whether families are ascertained through probands; unset: when the file
  // has a proband column (kinseg's default --ascertainment).
  std::optional<bool> proband_ascertainment;
};

// --trait-only COLUMN=V[,V...] and --fill COLUMN=VALUE|mean as written; an
// empty string when the text is well formed, else what was expected.
std::string parse_trait_only(const std::string& text, TraitOnly& out);
std::string parse_fill(const std::string& text, CovariateFill& out);

// A column whose missing value makes the trait unknown: per person of the
// sample, 1 where the file has no value.
struct TraitColumn {
  std::string name;
  std::vector<char> absent;
};

// What the definition did, for check, the logs and the page.
struct TraitDefinitionReport {
  std::string only;                 // "sex = F", empty without --trait-only
  int outside = 0;                  // known traits made unknown by --trait-only
  int outside_probands = 0;         // of them, probands
  struct Unknown {
    std::string column;
    int traits = 0;                 // known traits it made unknown
    int probands = 0;               // of them, probands
  };
  std::vector<Unknown> unknown;     // per column, in order (covariates first)
  struct Filled {
    std::string column;
    double value = 0.0;
    bool mean = false;
    int persons = 0;                // values filled
  };
  std::vector<Filled> filled;
  struct Excluded {
    std::string pedigree;
    std::string column;             // what made its probands' traits unknown
  };
  std::vector<Excluded> excluded;   // in sample order
  int excluded_persons = 0;
};

// The report in sentences, for check, the logs and the page: the persons in
// whom the trait is recorded, the values filled (the user's choice), per column
// the traits and probands a missing value made unknown, and the families
// excluded (the first ids of each cause). Empty when nothing was done.
std::vector<std::string> definition_lines(const TraitDefinitionReport& report);

// The column number (0-based) --trait-only names in a file of FORMAT whose
// rows have WIDTH fields; -1 without --trait-only. Throws ColumnOptionError
// when it names no column.
int trait_only_column(const TraitDefinitionOptions& options, const FileFormat& format, int width);

// Applies the definition to SAMPLE: ONLY_VALUES holds the --trait-only
// column's text by file line (line, value; in line order), SEX_COLUMN whether
// that column is the sex column; COVARIATE_ABSENT is the reader's (per person
// and covariate, updated where values are filled); EXTRA are further columns
// whose missing value makes the trait unknown; PROBAND_COLUMN whether the file
// has one. Warnings go to PROBLEMS. Throws ColumnOptionError for a --fill
// naming no covariate.
TraitDefinitionReport define_traits(Sample& sample, std::vector<char>& covariate_absent,
                                    const TraitDefinitionOptions& options,
                                    const std::vector<std::pair<int, std::string>>& only_values, bool sex_column,
                                    const std::vector<std::string>& covar_given,
                                    const std::vector<TraitColumn>& extra, bool proband_column,
                                    DataProblems& problems);

}  // namespace kinseg
