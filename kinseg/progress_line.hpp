// The progress of long work on a terminal: one line on standard error,
// rewritten in place and cleared before the next message; nothing at all when
// standard error is not a terminal (a log file or a pipe gets only the
// messages).
#pragma once

#include <cstddef>
#include <string>

namespace kinseg::cli {

class ProgressLine {
 public:
  ProgressLine();
  bool shown() const { return terminal_; }
  void show(const std::string& text);  // "kinseg: TEXT", cut to the terminal's 80 columns
  void clear();

 private:
  bool terminal_;
  std::size_t width_ = 0;
};

// "[########............]": DONE of TOTAL in twenty marks.
std::string progress_bar(int done, int total);

}  // namespace kinseg::cli
