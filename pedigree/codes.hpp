// The codes of a pedigree file as geneticists write them: missing values,
// sex, the proband column, parent ids that mean "unknown", and covariate
// values. The trait's coding is decided for the whole column at once
// (trait_coding.hpp).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kinseg {

// The texts that mean "no value". The empty field always does; the others
// are compared without regard to case. The default list is NA, . and -9.
class MissingTokens {
 public:
  MissingTokens();
  explicit MissingTokens(std::vector<std::string> tokens);
  bool missing(std::string_view v) const;
  const std::vector<std::string>& tokens() const { return tokens_; }

 private:
  std::vector<std::string> tokens_;
};

// True when a and b are equal ignoring the case of ASCII letters.
bool same_text(std::string_view a, std::string_view b);

// Sex: 1, M or male is male; 2, F or female is female (any case); anything
// else, including 0 and the missing tokens, is unknown.
int8_t decode_sex(std::string_view v);

// Proband column: 1 a proband; 0, 2 or a missing value an ordinary member;
// in kinsort's own files 0 keeps its meaning there, a member whose trait is
// always part of the ascertainment condition. Any other value: false.
bool decode_proband(std::string_view v, const MissingTokens& missing, bool kinsort_file,
                    int8_t& code);

// A parent field that names no parent: 0, empty or a missing token.
bool unknown_parent(std::string_view v, const MissingTokens& missing);

// The mark between a number's whole part and its fraction: a point, or a
// comma as many European spreadsheets write it (--decimal-comma).
enum class DecimalMark { kPoint, kComma };

// A real number written in decimal or exponent form, finite; false for
// anything else (the whole field must be the number). With a decimal comma
// the comma marks the fraction and a point makes the field no number: there
// a point groups thousands ("1.234,5"), and reading it as a decimal mark
// would be wrong by a factor of a thousand.
bool parse_real(std::string_view v, double& x, DecimalMark mark = DecimalMark::kPoint);

}  // namespace kinseg
