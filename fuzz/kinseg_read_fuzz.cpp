// Fuzz target: kinseg's reader of pedigree files. The first byte of an input
// chooses the options, the rest is the file:
//   bit 0  --add-missing-parents
//   bits 1-2  --sep: found from the file, comma, tab, blanks
//   bit 3  --covar 7 (when the rows have a 7th column; else the option's error)
//   bit 4  --affected 2 --unaffected 1
//   bit 5  --missing x,NA
// Checked besides crashes, hangs and sanitizer reports: a refused file has
// problems that each say something; an accepted one is a sound sample
// (pedigrees cut as the start table says, parents both known or both unknown,
// in their child's pedigree and of the right sex, nobody their own ancestor,
// ids unique within a pedigree, codes in range, covariates finite, the rows'
// persons in line order before the added ones), its summary counts every
// person once, and the export either refuses it or writes one data row per
// person.
#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "fuzz/harness.hpp"
#include "pedigree/data_summary.hpp"
#include "pedigree/kinsort_export.hpp"
#include "pedigree/read_sample.hpp"

namespace {

using kinfuzz::require;
using namespace kinseg;

void check_sample(const DataRead& d) {
  const Sample& s = d.sample;
  const int n = s.persons();
  require(s.start.size() == static_cast<size_t>(s.pedigrees()) + 1 && s.start[0] == 0 && s.start.back() == n,
          "the start table does not cut the persons into the pedigrees");
  require(s.father.size() == static_cast<size_t>(n) && s.mother.size() == static_cast<size_t>(n) &&
              s.sex.size() == static_cast<size_t>(n) && s.trait.size() == static_cast<size_t>(n) &&
              s.proband.size() == static_cast<size_t>(n) && s.line.size() == static_cast<size_t>(n) &&
              s.covariates.size() == static_cast<size_t>(n) * s.ncov(),
          "the person tables differ in length");
  for (int k = 0; k < s.pedigrees(); ++k) {
    require(s.size(k) > 0, "an empty pedigree");
    std::set<std::string> ids;
    int last_line = 0;
    bool added = false;
    for (int p = s.first(k); p < s.end(k); ++p) {
      require(ids.insert(s.ids[p]).second, "an id twice in a pedigree");
      require((s.father[p] < 0) == (s.mother[p] < 0), "one parent known, the other not");
      if (s.father[p] >= 0) {
        require(s.father[p] >= s.first(k) && s.father[p] < s.end(k) && s.mother[p] >= s.first(k) &&
                    s.mother[p] < s.end(k),
                "a parent outside the child's pedigree");
        require(s.sex[s.father[p]] == kMale && s.sex[s.mother[p]] == kFemale, "a parent of the wrong sex");
      }
      require(s.sex[p] >= 0 && s.sex[p] <= 2, "a sex code out of range");
      require(s.trait[p] >= 1 && s.trait[p] <= 3, "a trait code out of range");
      require(s.proband[p] >= 0 && s.proband[p] <= 2, "a proband code out of range");
      if (s.line[p] == 0) {
        added = true;
      } else {
        require(!added && s.line[p] > last_line, "the rows' persons out of line order");
        last_line = s.line[p];
      }
    }
  }
  for (double x : s.covariates) require(std::isfinite(x), "a covariate not finite");
  // Nobody their own ancestor: every person is reached by taking persons
  // whose parents were all taken before, starting from the founders.
  std::vector<std::vector<int>> children(n);
  std::vector<int> waiting(n, 0), ready;
  for (int p = 0; p < n; ++p) {
    if (s.father[p] < 0) {
      ready.push_back(p);
      continue;
    }
    waiting[p] = s.father[p] == s.mother[p] ? 1 : 2;
    children[s.father[p]].push_back(p);
    if (s.mother[p] != s.father[p]) children[s.mother[p]].push_back(p);
  }
  int taken = 0;
  while (!ready.empty()) {
    const int p = ready.back();
    ready.pop_back();
    ++taken;
    for (int c : children[p])
      if (--waiting[c] == 0) ready.push_back(c);
  }
  require(taken == n, "a person who is their own ancestor was accepted");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t flags = data[0];
  ReadOptions o;
  o.add_missing_parents = flags & 1;
  switch ((flags >> 1) & 3) {
    case 1: o.separator = Separator::kComma; break;
    case 2: o.separator = Separator::kTab; break;
    case 3: o.separator = Separator::kBlanks; break;
    default: break;
  }
  if (flags & 8) o.columns.covariates = {"7"};
  if (flags & 16) {
    o.affected = {"2"};
    o.unaffected = {"1"};
  }
  if (flags & 32) o.missing = std::vector<std::string>{"x", "NA"};

  DataRead d;
  try {
    d = read_sample_text(std::string(reinterpret_cast<const char*>(data) + 1, size - 1), "fuzz.csv", o);
  } catch (const ColumnOptionError&) {
    return 0;
  }
  if (d.problems.refused()) {
    require(!d.problems.all().empty(), "refused without a problem listed");
    for (const DataProblem& p : d.problems.all()) require(!p.message.empty(), "a problem without a message");
    return 0;
  }
  check_sample(d);
  const DataSummary r = summarize(d);
  long counted = 0;
  for (const auto& by_sex : r.trait_by_sex)
    for (int c : by_sex) counted += c;
  require(counted == d.sample.persons() && r.persons == d.sample.persons(), "the summary miscounts the persons");
  require(r.founders >= 1 && r.generations >= 1, "a sample without founders or generations");
  for (const CovariateSummary& c : r.covariates)
    require(std::isfinite(c.min) && std::isfinite(c.max) && std::isfinite(c.mean) && std::isfinite(c.sd),
            "a covariate's summary is not finite");

  DataProblems refusals("fuzz.csv");
  check_kinsort_fit(d.sample, refusals);
  if (!refusals.refused()) {
    const KinsortFiles f = kinsort_files(d.sample);
    long lines = 0;
    for (char c : f.data) lines += c == '\n';
    require(lines == d.sample.persons() + 1, "the exported data file does not hold one row per person");
  }
  return 0;
}
