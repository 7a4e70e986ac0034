#include "kinseg/data_options.hpp"

#include <map>
#include <ostream>

#include "kinseg/command.hpp"
#include "kinseg/progress_line.hpp"
#include "pedigree/text_table.hpp"

namespace kinseg::cli {

void add_data_options(CLI::App& sub, DataOptions& o) {
  sub.add_option("DATA", o.data,
                 "The pedigree file: a table with a header line (fields separated by commas, "
                 "semicolons, tabs or blanks, found from the file), a headerless LINKAGE "
                 "pre-makeped or PLINK .fam file, or a kinsort data file")
      ->option_text("FILE")
      ->required();
  const char* col = "COL";
  auto column = [&](const char* name, ColumnRole r, const std::string& what) {
    sub.add_option(name, o.read.columns.role[static_cast<int>(r)],
                   what + " (a header name or a 1-based column number)")
        ->option_text(col)
        ->group("Columns (found by their header names when not given)");
  };
  column("--ped", ColumnRole::kPedigree, "Column of the pedigree id; found as famid, fid, ped, pedigree or family");
  column("--id", ColumnRole::kPerson, "Column of the person's id, unique within the pedigree; found as id, iid, person or indiv");
  column("--father", ColumnRole::kFather,
         "Column of the father's id (0, empty or a missing token: unknown); found as fatherid, father, fa, pat or dadid");
  column("--mother", ColumnRole::kMother,
         "Column of the mother's id (0, empty or a missing token: unknown); found as motherid, mother, mo, mat or momid");
  column("--sex", ColumnRole::kSex, "Column of the sex: 1, M or male; 2, F or female (any case); anything else unknown; "
                              "found as sex or gender");
  column("--trait", ColumnRole::kTrait,
         "Column of the trait; found as affected, status, trait, phenotype or pheno. Its codes are read as "
         "kinsort's 1/2/3 in a kinsort file, else as LINKAGE codes (1 unaffected, 2 affected, 0 or -9 unknown) "
         "when a 2 is present, else as 0 unaffected / 1 affected");
  column("--proband", ColumnRole::kProband,
         "Column of the proband code: 1 proband; 0, 2 or missing not; found as proband (prob in a kinsort file)");
  sub.add_option("--covar", o.read.columns.covariates,
                 "Covariate columns, real numbers; a person missing one has their trait counted as unknown "
                 "(--fill gives the missing values a value), and a family left without a proband of known trait "
                 "is excluded under proband ascertainment, with a warning")
      ->delimiter(',')
      ->option_text("COL[,COL...]")
      ->group("Columns (found by their header names when not given)");

  sub.add_option("--onset", o.read.columns.onset,
                 "Column of the age at onset for an affected person and the age when last seen for an "
                 "unaffected one (years, 0 to 130); a person without an age has their trait counted as "
                 "unknown. Fits then model the age at onset")
      ->option_text(col)
      ->group("Columns (found by their header names when not given)");

  const char* codes = "Codes";
  auto* aff = sub.add_option("--affected", o.read.affected,
                             "Trait value(s) meaning affected; with --unaffected, every other value is unknown")
                  ->delimiter(',')
                  ->option_text("V")
                  ->group(codes);
  auto* unaff = sub.add_option("--unaffected", o.read.unaffected,
                               "Trait value(s) meaning unaffected; with --affected, every other value is unknown")
                    ->delimiter(',')
                    ->option_text("V")
                    ->group(codes);
  aff->needs(unaff);
  unaff->needs(aff);
  sub.add_option("--missing", o.missing,
                 "Values meaning missing, in place of the default NA, . and -9 (compared ignoring case; "
                 "an empty field is always missing)")
      ->delimiter(',')
      ->option_text("TOKEN[,...]")
      ->group(codes);
  sub.add_option("--sep", o.separator,
                 "Field separator: comma, semicolon, tab or blanks (runs of blanks and tabs); found from the "
                 "file when not given")
      ->check([](const std::string& s) {
        Separator x;
        return parse_separator(s, x) ? std::string() : "--sep takes comma, semicolon, tab or blanks";
      })
      ->option_text("SEP")
      ->group(codes);
  sub.add_flag("--decimal-comma", o.decimal_comma,
               "Read the covariates and ages with a decimal comma (23,5), as spreadsheets write them in many "
               "languages; the fields must then be separated by semicolons, tabs or blanks, and a point in a "
               "number is refused (it would group thousands)")
      ->group(codes);
  const char* trait = "Trait";
  sub.add_option("--trait-only", o.trait_only,
                 "The trait is recorded only in the persons whose COLUMN holds one of the values (e.g. sex=F for a "
                 "trait of women; on the sex column F, 2 and female are alike); the others have an unknown trait "
                 "and stay in the pedigrees as relatives")
      ->check([](const std::string& t) {
        TraitOnly x;
        return parse_trait_only(t, x);
      })
      ->option_text("COLUMN=V[,V...]")
      ->group(trait);
  sub.add_option("--fill", o.fill,
                 "Give a covariate's missing values VALUE, or the mean of the values present, instead of taking "
                 "those persons' traits as unknown (your choice, reported in the log and the page)")
      ->check([](const std::string& t) {
        CovariateFill x;
        return parse_fill(t, x);
      })
      ->option_text("COLUMN=VALUE|mean")
      ->group(trait);
  sub.add_flag("--add-missing-parents", o.read.add_missing_parents,
               "Add a founder for each parent id that has no row, and a founder partner for a known parent "
               "whose partner is unknown (a warning each), instead of refusing the data")
      ->group("Structure");
}

namespace {

void print_severity(const DataProblems& problems, Severity severity, std::ostream& err) {
  std::map<std::string, int> shown;
  for (const DataProblem& p : problems.all()) {
    if (p.severity != severity) continue;
    if (++shown[p.kind] > kShownPerKind) continue;
    err << "kinseg: " << describe(p) << "\n";
  }
  for (const auto& [kind, count] : problems.counts()) {
    const auto it = shown.find(kind);
    if (it == shown.end()) continue;
    const int total = count;
    if (total > kShownPerKind)
      err << "kinseg: ... and " << total - kShownPerKind << " more of this kind (" << kind << ")\n";
  }
}

}  // namespace

void print_problems(const DataProblems& problems, std::ostream& err) {
  print_severity(problems, Severity::kError, err);
  print_severity(problems, Severity::kWarning, err);
  if (problems.errors() > 0)
    err << "kinseg: " << problems.file() << ": " << problems.errors()
        << (problems.errors() == 1 ? " error" : " errors") << ", " << problems.warnings()
        << (problems.warnings() == 1 ? " warning" : " warnings") << ": the data are refused\n";
}

int load_data(const DataOptions& o, DataRead& read, std::ostream& err, const std::string& ascertainment) {
  ReadOptions ro = o.read;
  if (!o.trait_only.empty()) {
    TraitOnly only;
    parse_trait_only(o.trait_only, only);
    ro.trait.only = only;
  }
  for (const std::string& f : o.fill) {
    CovariateFill fill;
    parse_fill(f, fill);
    ro.trait.fill.push_back(fill);
  }
  if (ascertainment == "none") ro.trait.proband_ascertainment = false;
  if (ascertainment == "proband") ro.trait.proband_ascertainment = true;
  if (!o.separator.empty()) {
    Separator s;
    parse_separator(o.separator, s);
    ro.separator = s;
  }
  if (!o.missing.empty()) ro.missing = o.missing;
  if (o.decimal_comma) ro.decimal = DecimalMark::kComma;
  try {
    ProgressLine progress;
    progress.during("reading " + o.data, [&] { read = read_sample(o.data, ro); });
  } catch (const FileError& e) {
    err << "kinseg: " << e.what() << "\n";
    return kUsage;
  } catch (const ColumnOptionError& e) {
    err << "kinseg: " << o.data << ": " << e.what() << "\n";
    return kUsage;
  }
  print_problems(read.problems, err);
  return read.problems.refused() ? kRefused : kDone;
}

}  // namespace kinseg::cli
