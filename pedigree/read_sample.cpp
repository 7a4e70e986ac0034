#include "pedigree/read_sample.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "pedigree/counted.hpp"
#include "pedigree/member_index.hpp"
#include "pedigree/pedigree_checks.hpp"
#include "pedigree/text_table.hpp"

namespace kinseg {

namespace {

bool has_control_character(std::string_view v) {
  for (const char c : v)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return true;
  return false;
}

// An id as a message can show it: a tab as \t, another control character as ?.
std::string shown(std::string_view v) {
  std::string out;
  for (const char c : v)
    out += c == '\t' ? std::string("\\t") : static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? std::string("?") : std::string(1, c);
  return out;
}

// A text of the table's buffer by its offset and length: half the size of a
// view, which counts for a million rows.
struct TextRef {
  uint32_t offset;
  uint32_t length;
};

// One data row as read, before the ids are resolved.
struct RowRecord {
  int pedigree;
  int line;
  TextRef id, father, mother;
  int8_t sex;
  int8_t proband;
  int32_t trait;  // index of the trait value
};

bool is_number(const std::string& s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

std::string text(std::string_view v) { return std::string(v); }

std::string significant_text(double x) {
  char b[32];
  std::snprintf(b, sizeof b, "%.4g", x);
  return b;
}

// A made-up id that the pedigree does not use yet.
std::string fresh_id(const MemberIndex& index, const std::string& wanted) {
  std::string id = wanted;
  for (int i = 2; index.find(id) >= 0; ++i) id = wanted + "_" + std::to_string(i);
  return id;
}

// The highest age at onset or last observation taken as an age.
constexpr double kOldestAge = 130.0;

// Numbers written with a decimal comma in a file read with decimal points:
// counted, and told once with the first of them, in place of an error for
// each (a file of such numbers would otherwise list every one).
struct DecimalCommaValues {
  int count = 0;
  int line = 0;
  std::string pedigree, what;  // the first: its pedigree, and "covariate bmi of 3: \"23,5\""
};

// The number of one covariate or age field, or why it is none: "" when X
// holds the number; a decimal comma in a file read with points is counted in
// COMMAS (and X is NaN). WHAT() names the field for the message.
template <class What>
std::string read_number(std::string_view v, DecimalMark mark, double& x, DecimalCommaValues& commas, int line,
                        std::string_view ped, const What& what) {
  if (parse_real(v, x, mark)) return "";
  x = std::numeric_limits<double>::quiet_NaN();
  double y;
  if (mark == DecimalMark::kPoint && parse_real(v, y, DecimalMark::kComma)) {
    if (commas.count++ == 0) {
      commas.line = line;
      commas.pedigree = text(ped);
      commas.what = what() + ": \"" + text(v) + "\"";
    }
    return "";
  }
  if (mark == DecimalMark::kComma && parse_real(v, y, DecimalMark::kPoint))
    return "is not a number with a decimal comma (--decimal-comma: a point is no decimal mark)";
  return "is not a number";
}

// The age of one row's --onset field: NaN when missing; a value that is not a
// number, negative or above kOldestAge is an error (and NaN).
double read_age(std::string_view v, const std::string& column, const MissingTokens& missing, DecimalMark mark,
                DecimalCommaValues& commas, int line, const std::string& ped, const std::string& id,
                DataProblems& problems) {
  const double none = std::numeric_limits<double>::quiet_NaN();
  if (missing.missing(v)) return none;
  auto what = [&] { return "age " + column + " of " + id; };
  double a;
  std::string why = read_number(v, mark, a, commas, line, ped, what);
  if (why.empty() && std::isnan(a)) return none;  // a decimal comma, told once
  if (why.empty() && a < 0) why = "is negative";
  if (why.empty() && a > kOldestAge) why = "is above 130 years";
  if (why.empty()) return a;
  problems.error("onset-value", line, ped, {id}, what() + ": \"" + text(v) + "\" " + why);
  return none;
}

// The one message for the numbers written with a decimal comma.
void tell_decimal_commas(const DecimalCommaValues& commas, Separator sep, DataProblems& problems) {
  if (commas.count == 0) return;
  std::string m = counted(commas.count, "number is", "numbers are") + " written with a decimal comma (first " +
                  commas.what + ")";
  if (sep == Separator::kComma)
    m += ", in a file whose fields commas separate: write the numbers with a decimal point, or save the table "
         "separated by semicolons or tabs and read it with --decimal-comma";
  else
    m += ": read the file with --decimal-comma";
  problems.error("decimal-comma", commas.line, commas.pedigree, {}, m);
}

// What the bytes of a file say of its encoding when they cannot be read as
// ASCII or UTF-8 text ("" when they can): UTF-16 and UTF-32 by their byte
// order marks or their zero bytes, a binary file by zero bytes elsewhere.
std::string encoding_problem(const std::string& t) {
  auto starts = [&](const char* bytes, size_t n) { return t.size() >= n && t.compare(0, n, bytes, n) == 0; };
  const char* save = ": save it as UTF-8 or ASCII text (in a spreadsheet: CSV UTF-8)";
  if (starts("\xFF\xFE\0\0", 4) || starts("\0\0\xFE\xFF", 4))
    return std::string("the file is encoded in UTF-32, which kinseg does not read") + save;
  if (starts("\xFF\xFE", 2) || starts("\xFE\xFF", 2))
    return std::string("the file is encoded in UTF-16, which kinseg does not read") + save;
  const size_t n = std::min<size_t>(t.size(), 4096);
  size_t zeros = 0, zeros_at_odd = 0;
  for (size_t i = 0; i < n; ++i)
    if (t[i] == '\0') {
      ++zeros;
      zeros_at_odd += i % 2;
    }
  if (zeros == 0) return "";
  if (2 * zeros >= n / 2 && (zeros_at_odd == zeros || zeros_at_odd == 0))
    return std::string("the file looks encoded in UTF-16 (every other byte is zero), which kinseg does not read") + save;
  return "the file holds zero bytes: not a text file (a spreadsheet's own format, or a compressed file?); "
         "save the table as CSV or tab-separated text";
}

}  // namespace

DataRead read_sample(const std::string& path, const ReadOptions& options) {
  // The whole file in one buffer, read in one piece where its size is known
  // (no copies of a file of tens of megabytes).
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) throw FileError(path + ": cannot open the file (" + std::strerror(errno) + ")");
  struct stat st;
  if (fstat(fileno(f), &st) == 0 && S_ISDIR(st.st_mode)) {
    std::fclose(f);
    throw FileError(path + ": a directory, not a file");
  }
  std::string text;
  size_t used = 0;
  if (fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode)) text.resize(static_cast<size_t>(st.st_size));
  while (true) {
    if (used == text.size()) text.resize(std::max<size_t>(2 * text.size(), 1 << 16));
    const size_t got = std::fread(&text[used], 1, text.size() - used, f);
    used += got;
    if (got == 0) break;
  }
  text.resize(used);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) throw FileError(path + ": cannot read the file");
  return read_sample_text(std::move(text), path, options);
}

namespace {

// The file's layout: its format, the width of its rows and where the columns
// the analyses use are.
struct Layout {
  Separator sep = Separator::kComma;
  int width = 0;                 // fields of every row: the header's, or the first row's
  bool kinsort_file = false;
  int ped = -1, id = -1, fa = -1, mo = -1, sex = -1, trait = -1, proband = -1;
  int onset = -1;  // --onset's column
  int only = -1;   // --trait-only's column
};

// The rows as read, before the ids are resolved.
struct RowsRead {
  std::vector<RowRecord> rows;
  std::vector<double> covariates;  // per row and covariate, NaN for a missing value
  std::vector<std::string_view> pedigree_names;  // in order of first appearance
  std::vector<double> ages;  // --onset: per row, NaN for a missing value
  std::vector<std::pair<int, std::string>> only_values;  // by line: the --trait-only column's text
};

// First pass: the format found, the header cut, the columns mapped. False when
// the file is refused already.
bool read_layout(TextTable& table, const ReadOptions& o, DataRead& d, Layout& layout) {
  DataProblems& problems = d.problems;
  std::vector<std::string> names;  // column names the options give
  for (const std::string& c : o.columns.role)
    if (!c.empty() && !is_number(c)) names.push_back(c);
  for (const std::string& c : o.columns.covariates)
    if (!is_number(c)) names.push_back(c);
  if (!o.columns.onset.empty() && !is_number(o.columns.onset)) names.push_back(o.columns.onset);
  d.format = detect_format(table, o.separator, names, o.missing ? MissingTokens(*o.missing) : MissingTokens(),
                           o.decimal);
  // kinsort's files hold whole numbers only, -9 a value like any other: no
  // missing tokens there unless the user gives some.
  if (o.missing) d.missing = MissingTokens(*o.missing);
  else if (d.format.kind == FileKind::kKinsort) d.missing = MissingTokens(std::vector<std::string>{});
  const auto first = table.first_lines(1);
  if (first.empty()) {
    problems.error("no-rows", 0, "", {}, "the file holds no rows");
    return false;
  }
  layout.sep = d.format.separator;
  if (d.format.header_line > 0) {
    TableRow header;
    table.next(layout.sep, header);
    layout.width = static_cast<int>(d.format.header.size());
  } else {
    layout.width = static_cast<int>(split_line(first[0].second, layout.sep).size());
  }
  d.columns = map_columns(d.format, layout.width, o.columns, problems);
  if (problems.refused()) return false;
  const ColumnMap& cm = d.columns;
  layout.kinsort_file = d.format.kind == FileKind::kKinsort;
  layout.ped = cm[ColumnRole::kPedigree].column;
  layout.id = cm[ColumnRole::kPerson].column;
  layout.fa = cm[ColumnRole::kFather].column;
  layout.mo = cm[ColumnRole::kMother].column;
  layout.sex = cm[ColumnRole::kSex].column;
  layout.trait = cm[ColumnRole::kTrait].column;
  layout.proband = cm[ColumnRole::kProband].column;
  layout.onset = cm.onset.column;
  layout.only = trait_only_column(o.trait, d.format, layout.width);
  for (const ColumnUse& u : cm.covariates) d.sample.covariate_names.push_back(u.name);
  if (layout.onset >= 0) d.sample.onset_name = cm.onset.name;
  d.covariate_missing.assign(cm.covariates.size(), 0);
  return true;
}

// Why a row of FOUND fields does not fit a table of EXPECTED: a row read
// shifted would put every later value in the wrong column.
std::string field_count_problem(size_t found, int expected, bool header, Separator sep) {
  std::string m = std::to_string(found) + " field" + (found == 1 ? "" : "s") + " where the " +
                  (header ? "header has " : "first row has ") + std::to_string(expected);
  if (static_cast<int>(found) > expected)
    m += sep == Separator::kBlanks
             ? ": a blank inside a value (a note or a name of two words?) splits it; quote that value"
             : std::string(": a ") + separator_name(sep) + " inside a value (a note such as \"twins 8" +
                   (sep == Separator::kComma ? "," : sep == Separator::kSemicolon ? ";" : "\\t") +
                   " 2\"?) splits it; quote that value";
  else if (sep == Separator::kBlanks)
    m += ": between blanks an empty value cannot be seen; write a missing value (NA) there";
  else
    m += ": a value is missing; an empty one still needs its separator";
  return m;
}

// Second pass over the rows: each checked against the table's width, its
// codes decoded, pedigrees numbered in order of first appearance, ids kept as
// text.
RowsRead read_rows(TextTable& table, const Layout& L, DataRead& d) {
  DataProblems& problems = d.problems;
  const ColumnMap& cm = d.columns;
  const int ncov = static_cast<int>(cm.covariates.size());
  const bool header = d.format.header_line > 0;
  RowsRead out;
  std::unordered_map<std::string_view, int> pedigree_index;
  std::string_view last_ped;
  int last_k = -1;
  out.rows.reserve(table.bytes() / 24);
  const char* const base_text = table.data();
  auto ref = [&](std::string_view v) {
    return TextRef{static_cast<uint32_t>(v.data() - base_text), static_cast<uint32_t>(v.size())};
  };
  DecimalCommaValues commas;
  TableRow row;
  while (table.next(L.sep, row)) {
    const int line = row.line;
    const auto& f = row.fields;
    if (row.unclosed_quote) {
      problems.error("unclosed-quote", line, "", {}, "a quoted field is not closed on its line");
      continue;
    }
    if (static_cast<int>(f.size()) != L.width) {
      problems.error("field-count", line, "", {}, field_count_problem(f.size(), L.width, header, L.sep));
      continue;
    }
    const std::string_view ped = f[L.ped];
    if (ped.empty()) {
      problems.error("no-pedigree", line, "", {}, "no pedigree id");
      continue;
    }
    const std::string_view id = f[L.id];
    if (id == "0" || d.missing.missing(id)) {
      problems.error("no-id", line, text(ped), {},
                     "no person id (\"" + text(id) + "\" stands for an unknown person)");
      continue;
    }
    // Every output is tab-separated, one line a row: an id must fit in a field.
    if (has_control_character(ped) || has_control_character(id)) {
      problems.error("id-character", line, shown(ped), {shown(id)},
                     std::string(has_control_character(ped) ? "the pedigree id" : "the person id") +
                         " holds a tab or another control character, which the tab-separated outputs cannot "
                         "hold");
      continue;
    }
    int k;
    if (last_k >= 0 && ped == last_ped) {
      k = last_k;
    } else {
      auto [it, inserted] = pedigree_index.emplace(ped, static_cast<int>(out.pedigree_names.size()));
      if (inserted) out.pedigree_names.push_back(ped);
      k = it->second;
      last_ped = ped;
      last_k = k;
    }
    RowRecord r{k, line, ref(id), ref(f[L.fa]), ref(f[L.mo]), kUnknownSex, kOrdinary, -1};
    if (L.sex >= 0) r.sex = decode_sex(f[L.sex]);
    if (L.proband >= 0 && !decode_proband(f[L.proband], d.missing, L.kinsort_file, r.proband)) {
      problems.error("proband-code", line, text(ped), {text(id)},
                     "proband code \"" + text(f[L.proband]) + "\" of " + text(id) +
                         (L.kinsort_file ? " (kinsort's codes: 1 proband, 2 not, 0 always conditioned)"
                                         : " (1 proband; 0, 2 or missing not)"));
    }
    r.trait = d.trait_values.add(f[L.trait], line);
    for (int j = 0; j < ncov; ++j) {
      const std::string_view v = f[cm.covariates[j].column];
      double x = std::numeric_limits<double>::quiet_NaN();
      if (d.missing.missing(v)) {
        ++d.covariate_missing[j];
      } else {
        auto what = [&] { return "covariate " + cm.covariates[j].name + " of " + text(id); };
        const std::string why = read_number(v, d.format.decimal, x, commas, line, ped, what);
        if (!why.empty())
          problems.error("covariate-value", line, text(ped), {text(id)}, what() + ": \"" + text(v) + "\" " + why);
      }
      out.covariates.push_back(x);
    }
    if (L.onset >= 0)
      out.ages.push_back(read_age(f[L.onset], cm.onset.name, d.missing, d.format.decimal, commas, line, text(ped),
                                  text(id), problems));
    if (L.only >= 0) out.only_values.emplace_back(line, text(f[L.only]));
    out.rows.push_back(r);
  }
  tell_decimal_commas(commas, L.sep, problems);
  return out;
}

// A covariate whose values are all this close to 0 (but not all 0) leaves
// its coefficient no finite search box: 20 logits over 1e-320 is inf.
constexpr double kSmallestCovariateSize = 1e-300;

// Covariates no analysis can weigh: their largest value in size is below
// kSmallestCovariateSize.
void check_covariate_sizes(const RowsRead& rows, DataRead& d) {
  const auto& covs = d.columns.covariates;
  const size_t ncov = covs.size();
  for (size_t j = 0; j < ncov; ++j) {
    double largest = 0;
    for (size_t r = 0; r < rows.rows.size(); ++r) {
      const double x = rows.covariates[r * ncov + j];
      if (std::isfinite(x)) largest = std::max(largest, std::abs(x));
    }
    if (largest > 0 && largest < kSmallestCovariateSize)
      d.problems.error("covariate-size", 0, "", {},
                       "covariate " + covs[j].name + ": every value is below 1e-300 in size (the largest is " +
                           significant_text(largest) + "), too small to fit a coefficient for; rescale it");
  }
}

// Third pass: the trait column's coding, from all its values.
void decide_coding(const ReadOptions& o, DataRead& d) {
  d.trait_coding = decide_trait_coding(d.trait_values, d.format.kind, o.affected, o.unaffected, d.missing);
  if (d.trait_coding.reading == TraitReading::kRefused)
    d.problems.error("trait-codes", 0, "", {},
                     "trait column " + d.columns[ColumnRole::kTrait].name + ": " + d.trait_coding.problem);
  else if (!d.trait_coding.caution.empty())
    d.problems.warning("trait-reading", 0, "", {}, d.trait_coding.caution);
}

// The rows of each pedigree, in file order: ORDER[BEGIN[k]..BEGIN[k+1]) are
// pedigree k's rows.
struct PedigreeRows {
  std::vector<int> begin, order;
};

PedigreeRows rows_by_pedigree(const RowsRead& read) {
  PedigreeRows out;
  const int npeds = static_cast<int>(read.pedigree_names.size());
  out.begin.assign(npeds + 1, 0);
  for (const RowRecord& r : read.rows) ++out.begin[r.pedigree + 1];
  for (int k = 0; k < npeds; ++k) out.begin[k + 1] += out.begin[k];
  out.order.resize(read.rows.size());
  std::vector<int> at(out.begin.begin(), out.begin.end() - 1);
  for (size_t i = 0; i < read.rows.size(); ++i) out.order[at[read.rows[i].pedigree]++] = static_cast<int>(i);
  return out;
}

// Fourth pass, pedigree by pedigree: ids resolved, parents found by id within
// the pedigree (an absent one added as a founder when asked to), and the
// persons appended to the sample. The buffers are kept from one pedigree to
// the next.
class PedigreeResolver {
 public:
  PedigreeResolver(const RowsRead& read, const char* base_text, const ReadOptions& o, DataRead& d)
      : read_(read), base_text_(base_text), o_(o), d_(d) {}

  void add(int k, const int* members, int n) {
    ped_ = std::string(read_.pedigree_names[k]);
    members_ = members;
    n_ = n;
    index_.reset(static_cast<size_t>(n));
    made_ids_.clear();
    added_.clear();
    index_ids();
    resolve_parents();
    append_persons();
  }

 private:
  struct Added {
    std::string_view id;
    int8_t sex;
  };

  std::string_view view(TextRef t) const { return std::string_view(base_text_ + t.offset, t.length); }
  const RowRecord& row(int m) const { return read_.rows[members_[m]]; }

  void index_ids() {
    for (int m = 0; m < n_; ++m) {
      const RowRecord& r = row(m);
      const int first_m = index_.insert(view(r.id), m);
      if (first_m >= 0)
        d_.problems.error("duplicate-id", r.line, ped_, {text(view(r.id))},
                          "id " + text(view(r.id)) + " appears again in the pedigree (first on line " +
                              std::to_string(row(first_m).line) + ")");
    }
  }

  // The member a parent's id names: -1 unknown, -2 absent (an error), or an
  // added founder's number.
  int resolve(const RowRecord& r, std::string_view pid, int8_t role) {
    if (unknown_parent(pid, d_.missing)) return -1;
    const int p = index_.find(pid);
    if (p >= 0) return p;
    const char* word = role == kMale ? "father" : "mother";
    if (!o_.add_missing_parents) {
      d_.problems.error("absent-parent", r.line, ped_, {text(view(r.id)), text(pid)},
                        std::string(word) + " " + text(pid) + " of " + text(view(r.id)) +
                            " has no row in the pedigree");
      return -2;
    }
    const int a = n_ + static_cast<int>(added_.size());
    index_.insert(pid, a);
    added_.push_back({pid, role});
    partner_.push_back(-1);
    d_.problems.warning("added-parent", r.line, ped_, {text(pid)},
                        std::string(word) + " " + text(pid) + " of " + text(view(r.id)) +
                            " has no row; added as a founder");
    return a;
  }

  void resolve_parents() {
    fa_.assign(n_, -1);
    mo_.assign(n_, -1);
    partner_.assign(n_, -1);
    for (int m = 0; m < n_; ++m) {
      const RowRecord& r = row(m);
      int f = resolve(r, view(r.father), kMale);
      int mm = resolve(r, view(r.mother), kFemale);
      if ((f == -1) != (mm == -1)) {
        // One parent named, the other unknown.
        const bool father_known = f != -1;
        const int known = father_known ? f : mm;
        if (o_.add_missing_parents && known >= 0) {
          if (partner_[known] < 0) {
            const std::string& kid = known < n_ ? text(view(row(known).id)) : text(added_[known - n_].id);
            made_ids_.push_back(fresh_id(index_, "partner_of_" + kid));
            const int a = n_ + static_cast<int>(added_.size());
            index_.insert(made_ids_.back(), a);
            added_.push_back({made_ids_.back(), father_known ? kFemale : kMale});
            partner_.push_back(-1);
            partner_[known] = a;
            d_.problems.warning("added-partner", r.line, ped_, {made_ids_.back()},
                                std::string(father_known ? "mother" : "father") + " of " + text(view(r.id)) +
                                    " unknown; added as a founder, " + made_ids_.back());
          }
          (father_known ? mm : f) = partner_[known];
        } else if (known != -2) {
          d_.problems.error("one-parent", r.line, ped_, {text(view(r.id))},
                            text(view(r.id)) + " has a " + (father_known ? "father" : "mother") + " (" +
                                text(father_known ? view(r.father) : view(r.mother)) + ") but no " +
                                (father_known ? "mother" : "father") +
                                " (give both parents or neither; --add-missing-parents adds one)");
        }
      }
      if (f < 0 || mm < 0) f = mm = -1;
      fa_[m] = f;
      mo_[m] = mm;
    }
  }

  // The pedigree's persons: its rows in file order, then the added ones.
  void append_persons() {
    Sample& s = d_.sample;
    const int ncov = s.ncov();
    const int base = s.persons();
    s.pedigree_ids.push_back(ped_);
    for (int m = 0; m < n_; ++m) {
      const RowRecord& r = row(m);
      s.ids.emplace_back(view(r.id));
      s.father.push_back(fa_[m] >= 0 ? base + fa_[m] : -1);
      s.mother.push_back(mo_[m] >= 0 ? base + mo_[m] : -1);
      s.sex.push_back(r.sex);
      int8_t trait = r.trait >= 0 ? d_.trait_coding.code[r.trait] : kUnknownTrait;
      if (trait == 0) trait = kUnknownTrait;  // a refused value
      for (int j = 0; j < ncov; ++j) {
        const double x = read_.covariates[static_cast<size_t>(members_[m]) * ncov + j];
        s.covariates.push_back(std::isnan(x) ? 0.0 : x);
        d_.covariate_absent.push_back(std::isnan(x) ? 1 : 0);
      }
      if (!read_.ages.empty()) {
        const double a = read_.ages[static_cast<size_t>(members_[m])];
        if (std::isnan(a) && trait != kUnknownTrait) {
          trait = kUnknownTrait;
          ++d_.unknown_by_onset;
        }
        s.onset.push_back(trait == kUnknownTrait ? std::numeric_limits<double>::quiet_NaN() : a);
      }
      s.trait.push_back(trait);
      s.proband.push_back(r.proband);
      s.line.push_back(r.line);
    }
    for (const Added& a : added_) {
      s.ids.emplace_back(a.id);
      s.father.push_back(-1);
      s.mother.push_back(-1);
      s.sex.push_back(a.sex);
      s.trait.push_back(kUnknownTrait);
      s.proband.push_back(kOrdinary);
      s.line.push_back(0);
      if (!read_.ages.empty()) s.onset.push_back(std::numeric_limits<double>::quiet_NaN());
      for (int j = 0; j < ncov; ++j) {
        s.covariates.push_back(0.0);
        d_.covariate_absent.push_back(1);
      }
    }
    d_.added += static_cast<int>(added_.size());
    s.start.push_back(s.persons());
  }

  const RowsRead& read_;
  const char* base_text_;
  const ReadOptions& o_;
  DataRead& d_;
  std::string ped_;
  const int* members_ = nullptr;
  int n_ = 0;
  MemberIndex index_;
  std::deque<std::string> made_ids_;  // ids of added persons, kept where the index can see them
  std::vector<Added> added_;
  std::vector<int> fa_, mo_, partner_;
};

void reserve_persons(Sample& s, size_t rows, int npeds, bool onset) {
  const size_t reserve = rows + rows / 16;
  s.ids.reserve(reserve);
  s.father.reserve(reserve);
  s.mother.reserve(reserve);
  s.sex.reserve(reserve);
  s.trait.reserve(reserve);
  s.proband.reserve(reserve);
  s.line.reserve(reserve);
  s.covariates.reserve(reserve * s.covariate_names.size());
  if (onset) s.onset.reserve(reserve);
  s.pedigree_ids.reserve(npeds);
}

}  // namespace

DataRead read_sample_text(std::string content, const std::string& name, const ReadOptions& o) {
  DataRead d;
  d.problems = DataProblems(name);
  d.sample.file = name;
  d.sample.start.assign(1, 0);
  if (content.size() >= (size_t{1} << 32)) {
    // Rows keep their texts by 32-bit offsets into the file.
    d.problems.error("file-size", 0, "", {}, "the file is larger than 4 GiB, more than kinseg reads");
    return d;
  }
  const std::string encoding = encoding_problem(content);
  if (!encoding.empty()) {
    d.problems.error("encoding", 0, "", {}, encoding);
    return d;
  }
  TextTable table(std::move(content));
  Layout layout;
  if (!read_layout(table, o, d, layout)) return d;
  const RowsRead rows = read_rows(table, layout, d);
  d.rows = static_cast<int>(rows.rows.size());
  if (rows.rows.empty()) {
    d.problems.error("no-rows", 0, "", {}, "the file holds no data rows");
    return d;
  }
  check_covariate_sizes(rows, d);
  decide_coding(o, d);

  const PedigreeRows by_pedigree = rows_by_pedigree(rows);
  const int npeds = static_cast<int>(rows.pedigree_names.size());
  reserve_persons(d.sample, rows.rows.size(), npeds, layout.onset >= 0);
  PedigreeResolver resolver(rows, table.data(), o, d);
  for (int k = 0; k < npeds; ++k)
    resolver.add(k, by_pedigree.order.data() + by_pedigree.begin[k], by_pedigree.begin[k + 1] - by_pedigree.begin[k]);

  check_parent_sexes(d.sample, d.problems, layout.sex >= 0);
  check_own_ancestors(d.sample, d.problems);
  d.definition = define_traits(d.sample, d.covariate_absent, o.trait, rows.only_values,
                               layout.only >= 0 && layout.only == layout.sex, o.columns.covariates, {},
                               layout.proband >= 0, d.problems);
  for (const auto& u : d.definition.unknown) d.unknown_by_covariate += u.traits;
  return d;
}

}  // namespace kinseg
