// One rule for writing a number that a user reads, used by every output of the
// analyses (TSV, JSON, the HTML page and its drawings), so that a number on the
// page is character for character the number in the files.
//
// The rule: six significant digits, and never fewer than three decimals for a
// number below 10^9 in magnitude, so that log-likelihoods of large samples
// (-15000.312) still show differences of 0.001; trailing zeros dropped;
// exponent form (1.5e-07) below 10^-4 and from 10^9 up. Minus zero is "0".
// Infinite values are "inf" and "-inf" (an impossible family has ln L = -inf);
// a value that does not exist is "NA", the code the usual statistics packages
// read as missing.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace kinseg::report {

std::string format_number(double x);

// The same number for a JSON file: the value of format_number(x) read back, so
// that the JSON holds the digits the TSV shows; null for infinite or missing
// values, which JSON cannot hold.
nlohmann::json json_number(double x);

}  // namespace kinseg::report
