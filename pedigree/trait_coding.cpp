#include "pedigree/trait_coding.hpp"

#include <algorithm>

#include "pedigree/sample.hpp"

namespace kinseg {

std::string trait_reading_text(TraitReading r) {
  switch (r) {
    case TraitReading::kKinsort: return "kinsort codes: 1 unaffected, 2 affected, 3 unknown";
    case TraitReading::kLinkage:
      return "LINKAGE codes: 1 unaffected, 2 affected, 0, -9 and missing values unknown";
    case TraitReading::kZeroOne: return "0/1 codes: 0 unaffected, 1 affected, missing values unknown";
    case TraitReading::kUserCodes:
      return "the codes given by --affected and --unaffected, every other value unknown";
    case TraitReading::kRefused: return "refused";
  }
  return "?";
}

int TraitValues::add(std::string_view v, int line) {
  // Neighbouring rows mostly repeat a value, and a code column has few:
  // the last value first, then a look along the list, or the index once the
  // column has many.
  int i = last_index_;
  if (i < 0 || values_[i] != v) {
    i = -1;
    if (distinct() <= kListed) {
      for (int j = 0; j < distinct() && i < 0; ++j)
        if (values_[j] == v) i = j;
    } else {
      const auto it = index_.find(std::string(v));
      if (it != index_.end()) i = it->second;
    }
  }
  if (i < 0) {
    i = distinct();
    values_.emplace_back(v);
    counts_.push_back(0);
    lines_.push_back(line);
    if (distinct() > kListed) {
      if (index_.empty())
        for (int j = 0; j < distinct(); ++j) index_.emplace(values_[j], j);
      else
        index_.emplace(values_.back(), i);
    }
  }
  ++counts_[i];
  last_index_ = i;
  return i;
}

namespace {

bool listed(const std::vector<std::string>& list, const std::string& v) {
  return std::find(list.begin(), list.end(), v) != list.end();
}

// The values, each with its rows and first line; the first kShown of them
// and the count of the others.
constexpr size_t kShown = 20;

std::string quoted_values(const TraitValues& values, const std::vector<int>& which) {
  std::string s;
  for (size_t k = 0; k < which.size(); ++k) {
    if (k == kShown) {
      s += " and " + std::to_string(which.size() - kShown) + " more values";
      break;
    }
    const int i = which[k];
    if (k) s += ", ";
    s += "\"" + values.value(i) + "\" (" + std::to_string(values.count(i)) + (values.count(i) == 1 ? " row" : " rows") + ", first on line " +
         std::to_string(values.first_line(i)) + ")";
  }
  return s;
}

// A file whose format fixes the codes (RULE), holding values BAD outside them.
void refuse_other_values(TraitCoding& tc, const std::string& rule, const TraitValues& values,
                         const std::vector<int>& bad) {
  if (bad.empty()) return;
  tc.reading = TraitReading::kRefused;
  tc.problem = rule + "; found " + quoted_values(values, bad) +
               " (name the codes with --affected and --unaffected)";
}

}  // namespace

TraitCoding decide_trait_coding(const TraitValues& values, FileKind kind,
                                const std::vector<std::string>& user_affected,
                                const std::vector<std::string>& user_unaffected,
                                const MissingTokens& missing) {
  TraitCoding tc;
  const int n = values.distinct();
  tc.code.assign(n, 0);

  if (!user_affected.empty() || !user_unaffected.empty()) {
    tc.reading = TraitReading::kUserCodes;
    for (int i = 0; i < n; ++i) {
      const std::string& v = values.value(i);
      tc.code[i] = listed(user_affected, v) ? kAffected : listed(user_unaffected, v) ? kUnaffected : kUnknownTrait;
    }
    return tc;
  }

  if (kind == FileKind::kKinsort) {
    tc.reading = TraitReading::kKinsort;
    std::vector<int> bad;
    for (int i = 0; i < n; ++i) {
      const std::string& v = values.value(i);
      if (v == "1") tc.code[i] = kUnaffected;
      else if (v == "2") tc.code[i] = kAffected;
      else if (v == "3") tc.code[i] = kUnknownTrait;
      else bad.push_back(i);
    }
    refuse_other_values(tc, "a kinsort data file codes the trait 1 unaffected, 2 affected, 3 unknown", values, bad);
    return tc;
  }

  auto linkage_code = [](const std::string& v) -> int8_t {
    return v == "1" ? kUnaffected : v == "2" ? kAffected : kUnknownTrait;
  };
  if (kind == FileKind::kLinkage) {
    // The format fixes the codes: no guessing from the values present.
    tc.reading = TraitReading::kLinkage;
    std::vector<int> bad;
    for (int i = 0; i < n; ++i) {
      const std::string& v = values.value(i);
      tc.code[i] = linkage_code(v);
      if (v != "1" && v != "2" && v != "0" && v != "-9" && !missing.missing(v)) bad.push_back(i);
    }
    refuse_other_values(
        tc, "a headerless LINKAGE or PLINK .fam file codes the trait 1 unaffected, 2 affected, 0 or -9 unknown",
        values, bad);
    return tc;
  }

  // The values other than missing ones.
  std::vector<int> present;
  bool has2 = false, linkage = true, zero_one = true;
  for (int i = 0; i < n; ++i) {
    const std::string& v = values.value(i);
    if (missing.missing(v)) continue;
    present.push_back(i);
    if (v == "2") has2 = true;
    if (v != "1" && v != "2" && v != "0" && v != "-9") linkage = false;
    if (v != "0" && v != "1") zero_one = false;
  }
  if (has2 && linkage) {
    tc.reading = TraitReading::kLinkage;
    for (int i = 0; i < n; ++i) tc.code[i] = linkage_code(values.value(i));
    return tc;
  }
  if (zero_one) {
    tc.reading = TraitReading::kZeroOne;
    bool has0 = false;
    for (int i = 0; i < n; ++i) {
      const std::string& v = values.value(i);
      const bool miss = missing.missing(v);
      tc.code[i] = miss ? kUnknownTrait : v == "1" ? kAffected : kUnaffected;
      if (!miss && v == "0") has0 = true;
    }
    if (!has0 && !present.empty())
      tc.caution = "the trait column holds no 0, only 1 and missing values: read as 0/1 codes, every "
                   "known trait affected; if 1 means unaffected, say --affected 2 --unaffected 1";
    if (present.empty()) tc.caution = "the trait column holds only missing values: every trait is unknown";
    return tc;
  }
  tc.reading = TraitReading::kRefused;
  tc.problem = "the trait column is neither LINKAGE-coded (1 unaffected, 2 affected, 0 or -9 unknown) "
               "nor 0/1-coded; its values are " +
               quoted_values(values, present) +
               "; name the codes with --affected V --unaffected V";
  return tc;
}

}  // namespace kinseg
