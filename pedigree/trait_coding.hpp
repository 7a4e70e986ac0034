// How the trait column is coded, decided once for the whole column from the
// values it holds, unless the user names the codes (--affected, --unaffected):
//   1. kinsort's own files keep 1 unaffected, 2 affected, 3 unknown;
//   2. a headerless LINKAGE or PLINK .fam file always has LINKAGE's codes,
//      1 unaffected, 2 affected, 0, -9 and missing unknown, whatever values
//      occur (a file of 1s and -9s is all unaffected); any other value is
//      refused;
//   3. in a table with a header, a column holding a 2 whose other values are
//      1, 0, -9 or missing is LINKAGE-coded;
//   4. a column of 0, 1 and missing values is 0 unaffected, 1 affected;
//   5. anything else is refused, with the values found.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "pedigree/codes.hpp"
#include "pedigree/file_format.hpp"

namespace kinseg {

enum class TraitReading { kKinsort, kLinkage, kZeroOne, kUserCodes, kRefused };

// In words, for the check output: "kinsort codes: 1 unaffected, 2 affected,
// 3 unknown", "LINKAGE codes: ...", ...
std::string trait_reading_text(TraitReading r);

// The distinct values of the trait column, gathered row by row, every one of
// them however many there are (a code named by --affected that first appears
// after many other values is still found).
class TraitValues {
 public:
  // The index of value v (for decode() later). `line` is remembered for the
  // first occurrence.
  int add(std::string_view v, int line);

  int distinct() const { return static_cast<int>(values_.size()); }
  const std::string& value(int i) const { return values_[i]; }
  long count(int i) const { return counts_[i]; }
  int first_line(int i) const { return lines_[i]; }

 private:
  // Beyond this many values a hash index finds them (a column of ages read as
  // the trait by mistake has thousands).
  static constexpr int kListed = 16;
  std::vector<std::string> values_;
  std::vector<long> counts_;
  std::vector<int> lines_;
  std::unordered_map<std::string, int> index_;
  int last_index_ = -1;
};

struct TraitCoding {
  TraitReading reading = TraitReading::kRefused;
  std::vector<int8_t> code;    // trait code of each distinct value; 0 for a value refused
  std::string problem;         // why the column is refused, with the values found
  std::string caution;         // a reading the user may want to override
};

// Decides the coding. `user_affected`/`user_unaffected` are the --affected and
// --unaffected values (both empty when not given).
TraitCoding decide_trait_coding(const TraitValues& values, FileKind kind,
                                const std::vector<std::string>& user_affected,
                                const std::vector<std::string>& user_unaffected,
                                const MissingTokens& missing);

}  // namespace kinseg
