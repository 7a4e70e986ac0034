#include "report/number_format.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kinseg::report {

std::string format_number(double x) {
  if (std::isnan(x)) return "NA";
  if (std::isinf(x)) return x > 0 ? "inf" : "-inf";
  if (x == 0.0) return "0";
  const double a = std::fabs(x);
  // Significant digits: six, or enough for three decimals below 10^9. %g
  // chooses the fixed form whenever the decimal exponent is below the
  // precision, which the three-decimal precision always is.
  int precision = 6;
  if (a >= 1e3 && a < 1e9) {
    const int integer_digits = static_cast<int>(std::floor(std::log10(a))) + 1;
    precision = integer_digits + 3;
  }
  char text[64];
  std::snprintf(text, sizeof text, "%.*g", precision, x);
  std::string s = text;
  // A number that rounds to zero at this precision cannot occur (%g keeps
  // significant digits), but -0 can come from a tiny negative in fixed form.
  if (s == "-0") return "0";
  return s;
}

nlohmann::json json_number(double x) {
  if (!std::isfinite(x)) return nullptr;
  return std::strtod(format_number(x).c_str(), nullptr);
}

}  // namespace kinseg::report
