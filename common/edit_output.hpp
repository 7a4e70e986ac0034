// Fixed-width report lines driven by edit-descriptor lists.
//
// A report line is written from its descriptor list exactly as the list reads,
// for instance
//   edit("(1X,I2,1X,2E15.6,3X,I2,1X,2E15.6)", {i, x, step})
// Descriptors: Iw, Fw.d, Ew.d, Aw and A, nX, /, quoted text ('' stands for one
// apostrophe), each with an optional repeat count in front (2E15.6, 3X).
//   - A value that does not fit its field is written as w asterisks.
//   - When the values run out, output ends at the next descriptor that needs a
//     value (texts, slashes and blanks before it are still written; blanks
//     from nX at the end of a line are not).
//   - When the list is exhausted with values left, writing goes on on a new
//     line from the beginning of the list.
// The result holds every line written, each ended by '\n'.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace kin {

struct EditValue {
  enum Kind { kInt, kReal, kText } kind;
  long long i = 0;
  double r = 0.0;
  std::string_view s;

  EditValue(int v) : kind(kInt), i(v) {}
  EditValue(long v) : kind(kInt), i(v) {}
  EditValue(long long v) : kind(kInt), i(v) {}
  EditValue(double v) : kind(kReal), r(v) {}
  EditValue(const char* v) : kind(kText), s(v) {}
  EditValue(std::string_view v) : kind(kText), s(v) {}
  EditValue(const std::string& v) : kind(kText), s(v) {}
};

std::string edit(std::string_view format, std::initializer_list<EditValue> values);

// The single fields, for callers and tests that need one value alone.
std::string edit_I(long long v, int w);
std::string edit_F(double v, int w, int d);
std::string edit_E(double v, int w, int d);
std::string edit_A(std::string_view s, int w);  // w < 0: the whole text

}  // namespace kin
