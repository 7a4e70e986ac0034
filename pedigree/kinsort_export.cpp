#include "pedigree/kinsort_export.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <set>
#include <stdexcept>
#include <vector>

#include "common/table_limits.hpp"
#include "pedigree/file_error.hpp"
#include "pedigree/pedigree_structure.hpp"
#include "pedigree/whole_files.hpp"

namespace kinseg {

namespace {

// A bound that both programs impose: the smaller one, with its build variable.
struct Limit {
  long value;
  const char* variable;
};

Limit smaller(long kinsort_value, const char* kinsort_var, long kinfit_value, const char* kinfit_var) {
  return kinsort_value <= kinfit_value ? Limit{kinsort_value, kinsort_var} : Limit{kinfit_value, kinfit_var};
}

void check_limit(DataProblems& problems, long count, Limit limit, const std::string& what) {
  if (count <= limit.value) return;
  problems.error("export-limit", 0, "", {},
                 "the sample has " + std::to_string(count) + " " + what + "; kinsort and kinfit hold at most " +
                     std::to_string(limit.value) + " (" + limit.variable +
                     "; raise it when configuring the build, e.g. cmake -D" + limit.variable + "=...)");
}

// A header name that kinsort reads back as the same column: at most 20
// characters of letters, digits and _ . -, not one of the fixed names.
bool usable_name(const std::string& n) {
  static const std::set<std::string> fixed = {"ped", "id", "fa", "mo", "sex", "prob", "trait"};
  if (n.empty() || n.size() > static_cast<size_t>(kinsort::kNameLen) || fixed.count(n)) return false;
  return std::all_of(n.begin(), n.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '.' || c == '-';
  });
}

// The covariates' names in the exported header: the user's where kinsort can
// read them, else cov1, cov2, ... by position.
std::vector<std::string> covariate_columns(const Sample& s) {
  std::vector<std::string> names;
  std::set<std::string> used;
  for (int j = 0; j < s.ncov(); ++j) {
    std::string n = s.covariate_names[j];
    if (!usable_name(n) || used.count(n)) {
      n = "cov" + std::to_string(j + 1);
      while (used.count(n)) n += "_";
    }
    used.insert(n);
    names.push_back(n);
  }
  return names;
}

void make_directory(const std::string& dir) {
  struct stat st;
  if (stat(dir.c_str(), &st) == 0) {
    if (!S_ISDIR(st.st_mode)) throw FileError(dir + ": not a directory");
    return;
  }
  if (mkdir(dir.c_str(), 0777) != 0)
    throw FileError(dir + ": cannot create the directory (" + std::strerror(errno) + ")");
}

}  // namespace

void check_kinsort_fit(const Sample& s, DataProblems& problems) {
  check_limit(problems, s.persons(),
              smaller(kinsort::kMaxPersons, "KINSORT_MAX_PERSONS", kinfit::N_SIZE, "KINFIT_N_SIZE"),
              "persons");
  check_limit(problems, s.pedigrees(),
              smaller(kinsort::kMaxPedigrees, "KINSORT_MAX_PEDIGREES", kinfit::N_FAM, "KINFIT_N_FAM"),
              "pedigrees");
  check_limit(problems, s.ncov(), smaller(kinsort::kMaxCov, "KINSORT_MAX_COV", kinfit::MAXCOV, "kinfit's 8 (fixed)"),
              "covariates");
  check_limit(problems, 7 + s.ncov(), {kinsort::kMaxColumns, "KINSORT_MAX_COLUMNS"}, "data columns to write");

  long ways = 0, entries = 0;
  for (int k = 0; k < s.pedigrees(); ++k) {
    const std::vector<NuclearFamily> families = nuclear_families(s, k);
    const int loops = independent_loops(families, s.size(k));
    if (loops > 0) {
      // The persons whose duplication breaks the loops, for the message; a
      // loop through founders only (a ring of remarriages) has none.
      std::string how;
      try {
        std::string breakers;
        for (int b : pedigree_structure(s, k).breakers)
          breakers += (breakers.empty() ? "" : ", ") + s.ids[s.first(k) + b];
        how = " (broken by duplicating " + breakers + ")";
      } catch (const std::logic_error&) {
        how = " (that no person's duplication breaks)";
      }
      problems.error("export-loop", s.line[s.first(k)], s.pedigree_ids[k], {},
                     "pedigree " + s.pedigree_ids[k] + " has " + std::to_string(loops) +
                         (loops == 1 ? " loop" : " loops") + how + "; kinsort and kinfit take no pedigree with loops");
    }
    ways += static_cast<long>(families.size());
    for (const NuclearFamily& f : families) entries += 2 + static_cast<long>(f.children.size());
  }
  check_limit(problems, ways,
              smaller(kinsort::kMaxWays, "KINSORT_MAX_WAYS", kinfit::N_SIZE - 2, "KINFIT_N_SIZE (less 2)"),
              "nuclear families");
  check_limit(problems, entries,
              smaller(kinsort::kMaxMembers, "KINSORT_MAX_MEMBERS", kinfit::N_SIZE, "KINFIT_N_SIZE"),
              "entries in the member lists of its nuclear families (parents and children of each)");

  int k = 0;
  for (int p = 0; p < s.persons(); ++p) {
    while (p >= s.end(k)) ++k;
    if (s.sex[p] == kUnknownSex)
      problems.error("export-unknown-sex", s.line[p], s.pedigree_ids[k], {s.ids[p]},
                     "sex of " + s.ids[p] + " unknown; kinfit takes sex 1 or 2 only");
  }

  // Covariates: kinsort reads whole numbers of 32 bits.
  for (int j = 0; j < s.ncov(); ++j) {
    int bad = 0, first = -1;
    for (int p = 0; p < s.persons(); ++p) {
      const double x = s.cov(p, j);
      if (x != std::floor(x) || std::fabs(x) > 2147483647.0) {
        if (bad++ == 0) first = p;
      }
    }
    if (bad == 0) continue;
    int kf = 0;
    while (first >= s.end(kf)) ++kf;
    char value[40];
    std::snprintf(value, sizeof value, "%.10g", s.cov(first, j));
    problems.error("export-covariate", s.line[first], s.pedigree_ids[kf], {s.ids[first]},
                   "covariate " + s.covariate_names[j] + " is not a whole number for " + std::to_string(bad) +
                       (bad == 1 ? " person" : " persons") + " (first " + s.ids[first] + ": " + value +
                       "); kinsort reads whole numbers: round or rescale it first");
  }
}

KinsortFiles kinsort_files(const Sample& s) {
  KinsortFiles out;
  const std::vector<std::string> cov = covariate_columns(s);
  std::string& data = out.data;
  data = "ped id fa mo sex prob trait";
  for (const std::string& c : cov) data += " " + c;
  data += "\n";
  out.idmap = "pedigree\tid\tped\tnew_id\n";
  for (int k = 0; k < s.pedigrees(); ++k) {
    const int o = s.first(k);
    const std::string ped = std::to_string(k + 1);
    for (int p = o; p < s.end(k); ++p) {
      const std::string id = std::to_string(p - o + 1);
      data += ped;
      data += ' ';
      data += id;
      data += ' ';
      data += s.father[p] < 0 ? "0" : std::to_string(s.father[p] - o + 1);
      data += ' ';
      data += s.mother[p] < 0 ? "0" : std::to_string(s.mother[p] - o + 1);
      data += ' ';
      data += std::to_string(s.sex[p]);
      data += ' ';
      data += std::to_string(s.proband[p]);
      data += ' ';
      data += std::to_string(s.trait[p]);
      for (int j = 0; j < s.ncov(); ++j) {
        data += ' ';
        data += std::to_string(static_cast<long>(s.cov(p, j)));
      }
      data += '\n';
      out.idmap += s.pedigree_ids[k] + '\t' + s.ids[p] + '\t' + ped + '\t' + id + '\n';
    }
  }
  out.task = std::string(kKinsortDataFile) + "\ntrait\n" + std::to_string(cov.size()) + "\n";
  for (const std::string& c : cov) out.task += c + "\n";
  return out;
}

void write_kinsort_files(const Sample& s, const std::string& dir) {
  const KinsortFiles f = kinsort_files(s);
  make_directory(dir);
  write_whole_files({{dir + "/" + kKinsortDataFile, f.data}, {dir + "/task.inp", f.task}, {dir + "/idmap.tsv", f.idmap}});
}

}  // namespace kinseg
