// A count with its noun in the right number: "1 person", "2 persons",
// "1 family", "0 families". Every message and page that counts uses it.
#pragma once

#include <string>

namespace kinseg {

inline std::string counted(long n, const std::string& one, const std::string& many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The plural made by adding "s", or "ies" for a final consonant and "y".
inline std::string counted(long n, const std::string& one) {
  if (one.size() > 1 && one.back() == 'y' && std::string("aeiou").find(one[one.size() - 2]) == std::string::npos)
    return counted(n, one, one.substr(0, one.size() - 1) + "ies");
  return counted(n, one, one + "s");
}

inline std::string persons(long n) { return counted(n, "person"); }

}  // namespace kinseg
