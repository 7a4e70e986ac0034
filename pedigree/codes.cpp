#include "pedigree/codes.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <utility>

#include "pedigree/sample.hpp"

namespace kinseg {

bool same_text(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

MissingTokens::MissingTokens() : tokens_{"NA", ".", "-9"} {}

MissingTokens::MissingTokens(std::vector<std::string> tokens) : tokens_(std::move(tokens)) {}

bool MissingTokens::missing(std::string_view v) const {
  if (v.empty()) return true;
  for (const std::string& t : tokens_)
    if (same_text(v, t)) return true;
  return false;
}

int8_t decode_sex(std::string_view v) {
  if (v.size() == 1) {
    switch (v[0]) {
      case '1': case 'm': case 'M': return kMale;
      case '2': case 'f': case 'F': return kFemale;
      default: return kUnknownSex;
    }
  }
  if (same_text(v, "male")) return kMale;
  if (same_text(v, "female")) return kFemale;
  return kUnknownSex;
}

bool decode_proband(std::string_view v, const MissingTokens& missing, bool kinsort_file,
                    int8_t& code) {
  if (v == "1") code = kProband;
  else if (v == "2") code = kOrdinary;
  else if (v == "0") code = kinsort_file ? kAlwaysConditioned : kOrdinary;
  else if (!kinsort_file && missing.missing(v)) code = kOrdinary;
  else return false;
  return true;
}

bool unknown_parent(std::string_view v, const MissingTokens& missing) {
  return v == "0" || missing.missing(v);
}

bool parse_real(std::string_view v, double& x, DecimalMark mark) {
  if (v.empty()) return false;
  if (mark == DecimalMark::kComma) {
    // The same number with its comma made a point; a field with a point is none.
    if (v.find('.') != std::string_view::npos || v.size() > 64) return false;
    char b[65];
    std::memcpy(b, v.data(), v.size());
    std::replace(b, b + v.size(), ',', '.');
    return parse_real(std::string_view(b, v.size()), x, DecimalMark::kPoint);
  }
  const char* b = v.data();
  const char* e = b + v.size();
  if (*b == '+') ++b;  // from_chars takes no plus sign
  if (b == e || *b == '+' || (*b == '-' && b != v.data())) return false;
  // Only digits, a point, signs and an exponent: no "inf", "nan" or hex.
  for (const char* p = b; p != e; ++p) {
    const char c = *p;
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
      return false;
  }
  const auto r = std::from_chars(b, e, x);
  return r.ec == std::errc() && r.ptr == e && std::isfinite(x);
}

}  // namespace kinseg
