// Free-format reading of the control and data files.
//
// The file is read value by value: values are separated by blanks, commas or
// line ends; each read request starts at the beginning of a new line, takes as
// many values as it asks for (continuing onto following lines when needed), and
// skips the rest of the last line it used. Also understood:
//   - a repeat count: 3*0.5 stands for 0.5 three times, 3* for three empty values;
//   - an empty value (nothing between two commas) leaves its target unchanged;
//   - a slash ends the read request, the targets not yet read keep their values;
//   - texts quoted with apostrophes or double quotes (a doubled quote stands for
//     itself); an unquoted text ends at a blank, a comma, a slash or the line's
//     end; a text is cut to the length of its field and padded with blanks;
//   - integers (32-bit) and 64-bit reals, with exponents such as 1.5E-3, 1.5D-3
//     or 1.5-3.
// Lines may end with CR LF. A missing file, a read that runs out of lines, or a
// value of the wrong kind ends the run with the error report naming the file.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "common/console.hpp"

namespace kin {

// One target of a read request.
struct FreeTarget {
  enum Kind { kInt, kReal, kText } kind;
  void* p;
  int len;  // field length of a text
};
inline FreeTarget as_int(int32_t& v) { return {FreeTarget::kInt, &v, 0}; }
inline FreeTarget as_real(double& v) { return {FreeTarget::kReal, &v, 0}; }
// A text field of `len` characters; the string is set to exactly that length.
inline FreeTarget as_text(std::string& v, int len) { return {FreeTarget::kText, &v, len}; }

class FreeInput {
 public:
  // Opens the file; a missing or unreadable file, or a name that leads to a
  // directory or anything else that is not a regular file, ends the run.
  FreeInput(std::string name, Console& con);
  // Reads from the given content; `name` is used in error reports.
  FreeInput(std::string name, std::string_view content, Console& con);

  const std::string& name() const { return name_; }

  // One free-format read request.
  void read(std::initializer_list<FreeTarget> targets) { read(targets.begin(), targets.size()); }
  // The same for a number of targets known only at run time (a data row).
  void read(const FreeTarget* targets, size_t count);

  // The number (from 1) of the line at which the next read starts.
  long line_number() const { return static_cast<long>(next_) + 1; }

  // True when no line is left to start a read at.
  bool at_end() const { return next_ >= lines_.size(); }

  // The next whole line, as a formatted read of one record sees it (without
  // its line end). Reading past the last line ends the run.
  std::string_view next_line();

  // A formatted read of `count` one-digit flags, `per_line` columns to a line,
  // as the edit descriptors (nI1) read them: a blank column, or a line that
  // ends early, gives 0. At least one line is taken even when count <= 0.
  // `put(k, value)` receives flag k = 1..count.
  template <class Put>
  void read_digit_columns(int count, int per_line, Put put) {
    int k = 1;
    do {
      const long lineno = static_cast<long>(next_) + 1;
      std::string_view line = next_line();
      for (int c = 0; c < per_line && k <= count; ++c, ++k) {
        char ch = c < static_cast<int>(line.size()) ? line[static_cast<size_t>(c)] : ' ';
        int v = 0;
        if (ch >= '0' && ch <= '9') {
          v = ch - '0';
        } else if (ch != ' ') {
          bad_digit(lineno, ch);
        }
        put(k, v);
      }
    } while (k <= count);
  }

 private:
  void split(std::string_view content);
  [[noreturn]] void fail(long line, std::string_view what);
  [[noreturn]] void bad_digit(long line, char ch);

  std::string name_;
  Console& con_;
  std::vector<std::string> lines_;
  size_t next_ = 0;  // the line at which the next read starts
};

}  // namespace kin
