// Free-format console lines.
//
// A line starts with one blank and holds its values in order: a text unchanged
// (a text that follows a number gets one blank in front of it), an integer
// right-justified in 12 columns. The result ends with '\n'.
//   free_line({"N_izm=", 10, " loop=", 0}) == " N_izm=          10  loop=           0\n"
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace kin {

struct FreeValue {
  bool is_text;
  long long i = 0;
  std::string_view s;

  FreeValue(int v) : is_text(false), i(v) {}
  FreeValue(long v) : is_text(false), i(v) {}
  FreeValue(long long v) : is_text(false), i(v) {}
  FreeValue(const char* v) : is_text(true), s(v) {}
  FreeValue(std::string_view v) : is_text(true), s(v) {}
  FreeValue(const std::string& v) : is_text(true), s(v) {}
};

std::string free_line(std::initializer_list<FreeValue> values);

}  // namespace kin
