// Numbers and lists as the analyses' messages write them: a number with a
// given count of significant digits ("0.0342", "1e-06"), parts joined by a
// separator. The result files have their own rule (report/number_format.hpp).
#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace kinseg {

inline std::string significant(double v, int digits) {
  std::ostringstream s;
  s.precision(digits);
  s << v;
  return s.str();
}

inline std::string join(const std::vector<std::string>& parts, const char* sep) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) out += (i ? sep : "") + parts[i];
  return out;
}

}  // namespace kinseg
