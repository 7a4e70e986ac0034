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
  int16_t trait;  // index of the trait value, -1 when none was gathered
};

bool is_number(const std::string& s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

std::string text(std::string_view v) { return std::string(v); }

// A made-up id that the pedigree does not use yet.
std::string fresh_id(const MemberIndex& index, const std::string& wanted) {
  std::string id = wanted;
  for (int i = 2; index.find(id) >= 0; ++i) id = wanted + "_" + std::to_string(i);
  return id;
}

// The highest age at onset or last observation taken as an age.
constexpr double kOldestAge = 130.0;

// The age of one row's --onset field: NaN when missing; a value that is not a
// number, negative or above kOldestAge is an error (and NaN).
double read_age(std::string_view v, const std::string& column, const MissingTokens& missing, int line,
                const std::string& ped, const std::string& id, DataProblems& problems) {
  const double none = std::numeric_limits<double>::quiet_NaN();
  if (missing.missing(v)) return none;
  double a;
  std::string why;
  if (!parse_real(v, a)) why = "is not a number";
  else if (a < 0) why = "is negative";
  else if (a > kOldestAge) why = "is above 130 years";
  if (why.empty()) return a;
  problems.error("onset-value", line, ped, {id}, "age " + column + " of " + id + ": \"" + text(v) + "\" " + why);
  return none;
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

DataRead read_sample_text(std::string content, const std::string& name, const ReadOptions& o) {
  DataRead d;
  d.problems = DataProblems(name);
  d.sample.file = name;
  d.sample.start.assign(1, 0);
  DataProblems& problems = d.problems;

  if (content.size() >= (size_t{1} << 32)) {
    // Rows keep their texts by 32-bit offsets into the file.
    problems.error("file-size", 0, "", {}, "the file is larger than 4 GiB, more than kinseg reads");
    return d;
  }
  TextTable table(std::move(content));
  std::vector<std::string> names;  // column names the options give
  for (const std::string& c : o.columns.role)
    if (!c.empty() && !is_number(c)) names.push_back(c);
  for (const std::string& c : o.columns.covariates)
    if (!is_number(c)) names.push_back(c);
  if (!o.columns.onset.empty() && !is_number(o.columns.onset)) names.push_back(o.columns.onset);
  d.format = detect_format(table, o.separator, names, o.missing ? MissingTokens(*o.missing) : MissingTokens());
  // kinsort's files hold whole numbers only, -9 a value like any other: no
  // missing tokens there unless the user gives some.
  if (o.missing) d.missing = MissingTokens(*o.missing);
  else if (d.format.kind == FileKind::kKinsort) d.missing = MissingTokens(std::vector<std::string>{});
  const auto first = table.first_lines(1);
  if (first.empty()) {
    problems.error("no-rows", 0, "", {}, "the file holds no rows");
    return d;
  }
  const Separator sep = d.format.separator;
  TableRow row;
  int width = static_cast<int>(d.format.header.size());
  if (d.format.header_line > 0) {
    table.next(sep, row);  // the header
  } else {
    width = static_cast<int>(split_line(first[0].second, sep).size());
  }
  d.columns = map_columns(d.format, width, o.columns, problems);
  if (problems.refused()) return d;
  const int c_only = trait_only_column(o.trait, d.format, width);
  std::vector<std::pair<int, std::string>> only_values;  // by line: the --trait-only column's text

  const ColumnMap& cm = d.columns;
  const bool kinsort_file = d.format.kind == FileKind::kKinsort;
  const int c_ped = cm[ColumnRole::kPedigree].column, c_id = cm[ColumnRole::kPerson].column;
  const int c_fa = cm[ColumnRole::kFather].column, c_mo = cm[ColumnRole::kMother].column;
  const int c_sex = cm[ColumnRole::kSex].column, c_trait = cm[ColumnRole::kTrait].column;
  const int c_prob = cm[ColumnRole::kProband].column;
  const int ncov = static_cast<int>(cm.covariates.size());
  for (const ColumnUse& u : cm.covariates) d.sample.covariate_names.push_back(u.name);
  const int c_onset = cm.onset.column;
  if (c_onset >= 0) d.sample.onset_name = cm.onset.name;
  d.covariate_missing.assign(ncov, 0);

  // Pass over the rows: codes decoded, pedigrees numbered in order of first
  // appearance, ids kept as text.
  std::vector<RowRecord> rows;
  std::vector<double> row_cov;  // NaN for a missing value
  std::vector<double> row_age;  // --onset: NaN for a missing value
  std::unordered_map<std::string_view, int> pedigree_index;
  std::vector<std::string_view> pedigree_names;
  std::string_view last_ped;
  int last_k = -1;
  rows.reserve(table.bytes() / 24);
  const char* const base_text = table.data();
  auto ref = [&](std::string_view v) {
    return TextRef{static_cast<uint32_t>(v.data() - base_text), static_cast<uint32_t>(v.size())};
  };
  auto view = [&](TextRef t) { return std::string_view(base_text + t.offset, t.length); };
  while (table.next(sep, row)) {
    const int line = row.line;
    const auto& f = row.fields;
    if (row.unclosed_quote) {
      problems.error("unclosed-quote", line, "", {}, "a quoted field is not closed on its line");
      continue;
    }
    if (static_cast<int>(f.size()) < cm.fields_needed) {
      problems.error("short-row", line, "", {},
                     std::to_string(f.size()) + " field" + (f.size() == 1 ? "" : "s") +
                         " where the columns used need " + std::to_string(cm.fields_needed));
      continue;
    }
    const std::string_view ped = f[c_ped];
    if (ped.empty()) {
      problems.error("no-pedigree", line, "", {}, "no pedigree id");
      continue;
    }
    const std::string_view id = f[c_id];
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
      auto [it, inserted] = pedigree_index.emplace(ped, static_cast<int>(pedigree_names.size()));
      if (inserted) pedigree_names.push_back(ped);
      k = it->second;
      last_ped = ped;
      last_k = k;
    }
    RowRecord r{k, line, ref(id), ref(f[c_fa]), ref(f[c_mo]), kUnknownSex, kOrdinary, -1};
    if (c_sex >= 0) r.sex = decode_sex(f[c_sex]);
    if (c_prob >= 0 && !decode_proband(f[c_prob], d.missing, kinsort_file, r.proband)) {
      problems.error("proband-code", line, text(ped), {text(id)},
                     "proband code \"" + text(f[c_prob]) + "\" of " + text(id) +
                         (kinsort_file ? " (kinsort's codes: 1 proband, 2 not, 0 always conditioned)"
                                       : " (1 proband; 0, 2 or missing not)"));
    }
    r.trait = static_cast<int16_t>(d.trait_values.add(f[c_trait], line));
    for (int j = 0; j < ncov; ++j) {
      const std::string_view v = f[cm.covariates[j].column];
      double x = std::numeric_limits<double>::quiet_NaN();
      if (d.missing.missing(v)) {
        ++d.covariate_missing[j];
      } else if (!parse_real(v, x)) {
        x = std::numeric_limits<double>::quiet_NaN();
        problems.error("covariate-value", line, text(ped), {text(id)},
                       "covariate " + cm.covariates[j].name + " of " + text(id) + ": \"" + text(v) +
                           "\" is not a number");
      }
      row_cov.push_back(x);
    }
    if (c_onset >= 0) row_age.push_back(read_age(f[c_onset], cm.onset.name, d.missing, line, text(ped), text(id), problems));
    if (c_only >= 0) only_values.emplace_back(line, c_only < static_cast<int>(f.size()) ? text(f[c_only]) : "");
    rows.push_back(r);
  }
  d.rows = static_cast<int>(rows.size());
  if (rows.empty()) {
    problems.error("no-rows", 0, "", {}, "the file holds no data rows");
    return d;
  }

  d.trait_coding = decide_trait_coding(d.trait_values, d.format.kind, o.affected, o.unaffected, d.missing);
  if (d.trait_coding.reading == TraitReading::kRefused)
    problems.error("trait-codes", 0, "", {}, "trait column " + cm[ColumnRole::kTrait].name + ": " + d.trait_coding.problem);
  else if (!d.trait_coding.caution.empty())
    problems.warning("trait-reading", 0, "", {}, d.trait_coding.caution);

  // The rows of each pedigree, in file order.
  const int npeds = static_cast<int>(pedigree_names.size());
  std::vector<int> begin(npeds + 1, 0);
  for (const RowRecord& r : rows) ++begin[r.pedigree + 1];
  for (int k = 0; k < npeds; ++k) begin[k + 1] += begin[k];
  std::vector<int> order(rows.size());
  {
    std::vector<int> at(begin.begin(), begin.end() - 1);
    for (size_t i = 0; i < rows.size(); ++i) order[at[rows[i].pedigree]++] = static_cast<int>(i);
  }

  Sample& s = d.sample;
  const size_t reserve = rows.size() + rows.size() / 16;
  s.ids.reserve(reserve);
  s.father.reserve(reserve);
  s.mother.reserve(reserve);
  s.sex.reserve(reserve);
  s.trait.reserve(reserve);
  s.proband.reserve(reserve);
  s.line.reserve(reserve);
  s.covariates.reserve(reserve * ncov);
  if (c_onset >= 0) s.onset.reserve(reserve);
  s.pedigree_ids.reserve(npeds);

  MemberIndex index;
  std::deque<std::string> made_ids;  // ids of added persons, kept where the index can see them
  struct Added {
    std::string_view id;
    int8_t sex;
  };
  std::vector<Added> added;
  std::vector<int> fa, mo, partner;
  for (int k = 0; k < npeds; ++k) {
    const std::string ped(pedigree_names[k]);
    const int n = begin[k + 1] - begin[k];
    const int* members = order.data() + begin[k];
    index.reset(static_cast<size_t>(n));
    made_ids.clear();
    added.clear();
    for (int m = 0; m < n; ++m) {
      const RowRecord& r = rows[members[m]];
      const int first_m = index.insert(view(r.id), m);
      if (first_m >= 0)
        problems.error("duplicate-id", r.line, ped, {text(view(r.id))},
                       "id " + text(view(r.id)) + " appears again in the pedigree (first on line " +
                           std::to_string(rows[members[first_m]].line) + ")");
    }

    // Parents, by id within the pedigree; an absent one added as a founder
    // at the end of the pedigree when asked to.
    fa.assign(n, -1);
    mo.assign(n, -1);
    partner.assign(n, -1);
    auto resolve = [&](const RowRecord& r, std::string_view pid, int8_t role) {
      if (unknown_parent(pid, d.missing)) return -1;
      const int p = index.find(pid);
      if (p >= 0) return p;
      const char* word = role == kMale ? "father" : "mother";
      if (!o.add_missing_parents) {
        problems.error("absent-parent", r.line, ped, {text(view(r.id)), text(pid)},
                       std::string(word) + " " + text(pid) + " of " + text(view(r.id)) +
                           " has no row in the pedigree");
        return -2;
      }
      const int a = n + static_cast<int>(added.size());
      index.insert(pid, a);
      added.push_back({pid, role});
      partner.push_back(-1);
      problems.warning("added-parent", r.line, ped, {text(pid)},
                       std::string(word) + " " + text(pid) + " of " + text(view(r.id)) +
                           " has no row; added as a founder");
      return a;
    };
    for (int m = 0; m < n; ++m) {
      const RowRecord& r = rows[members[m]];
      int f = resolve(r, view(r.father), kMale);
      int mm = resolve(r, view(r.mother), kFemale);
      if ((f == -1) != (mm == -1)) {
        // One parent named, the other unknown.
        const bool father_known = f != -1;
        const int known = father_known ? f : mm;
        if (o.add_missing_parents && known >= 0) {
          if (partner[known] < 0) {
            const std::string& kid = known < n ? text(view(rows[members[known]].id)) : text(added[known - n].id);
            made_ids.push_back(fresh_id(index, "partner_of_" + kid));
            const int a = n + static_cast<int>(added.size());
            index.insert(made_ids.back(), a);
            added.push_back({made_ids.back(), father_known ? kFemale : kMale});
            partner.push_back(-1);
            partner[known] = a;
            problems.warning("added-partner", r.line, ped, {made_ids.back()},
                             std::string(father_known ? "mother" : "father") + " of " + text(view(r.id)) +
                                 " unknown; added as a founder, " + made_ids.back());
          }
          (father_known ? mm : f) = partner[known];
        } else if (known != -2) {
          problems.error("one-parent", r.line, ped, {text(view(r.id))},
                         text(view(r.id)) + " has a " + (father_known ? "father" : "mother") + " (" +
                             text(father_known ? view(r.father) : view(r.mother)) + ") but no " +
                             (father_known ? "mother" : "father") +
                             " (give both parents or neither; --add-missing-parents adds one)");
        }
      }
      if (f < 0 || mm < 0) f = mm = -1;
      fa[m] = f;
      mo[m] = mm;
    }

    // The pedigree's persons: its rows in file order, then the added ones.
    const int base = s.persons();
    s.pedigree_ids.push_back(ped);
    for (int m = 0; m < n; ++m) {
      const RowRecord& r = rows[members[m]];
      s.ids.emplace_back(view(r.id));
      s.father.push_back(fa[m] >= 0 ? base + fa[m] : -1);
      s.mother.push_back(mo[m] >= 0 ? base + mo[m] : -1);
      s.sex.push_back(r.sex);
      int8_t trait = r.trait >= 0 ? d.trait_coding.code[r.trait] : kUnknownTrait;
      if (trait == 0) trait = kUnknownTrait;  // a refused value
      for (int j = 0; j < ncov; ++j) {
        const double x = row_cov[static_cast<size_t>(members[m]) * ncov + j];
        s.covariates.push_back(std::isnan(x) ? 0.0 : x);
        d.covariate_absent.push_back(std::isnan(x) ? 1 : 0);
      }
      if (c_onset >= 0) {
        const double a = row_age[static_cast<size_t>(members[m])];
        if (std::isnan(a) && trait != kUnknownTrait) {
          trait = kUnknownTrait;
          ++d.unknown_by_onset;
        }
        s.onset.push_back(trait == kUnknownTrait ? std::numeric_limits<double>::quiet_NaN() : a);
      }
      s.trait.push_back(trait);
      s.proband.push_back(r.proband);
      s.line.push_back(r.line);
    }
    for (const Added& a : added) {
      s.ids.emplace_back(a.id);
      s.father.push_back(-1);
      s.mother.push_back(-1);
      s.sex.push_back(a.sex);
      s.trait.push_back(kUnknownTrait);
      s.proband.push_back(kOrdinary);
      s.line.push_back(0);
      if (c_onset >= 0) s.onset.push_back(std::numeric_limits<double>::quiet_NaN());
      for (int j = 0; j < ncov; ++j) {
        s.covariates.push_back(0.0);
        d.covariate_absent.push_back(1);
      }
    }
    d.added += static_cast<int>(added.size());
    s.start.push_back(s.persons());
  }

  check_parent_sexes(s, problems, c_sex >= 0);
  check_own_ancestors(s, problems);
  d.definition = define_traits(s, d.covariate_absent, o.trait, only_values, c_only >= 0 && c_only == c_sex,
                               o.columns.covariates, {}, c_prob >= 0, problems);
  for (const auto& u : d.definition.unknown) d.unknown_by_covariate += u.traits;
  return d;
}

}  // namespace kinseg
