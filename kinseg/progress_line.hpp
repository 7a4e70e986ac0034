// The progress of long work on a terminal: one line on standard error,
// rewritten in place and cleared before the next message; nothing at all when
// standard error is not a terminal (a log file or a pipe gets only the
// messages). A phase (from the first show() after the start or a clear() to
// the next clear()) shows its line only once it has run kProgressDelay
// seconds: a short phase leaves the terminal as it was, with no flicker.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <mutex>
#include <string>

namespace kinseg::cli {

inline constexpr double kProgressDelay = 1.0;

// Whether a phase that has run SECONDS shows its progress line.
bool progress_due(bool terminal, double seconds);

class ProgressLine {
 public:
  ProgressLine();  // standard error, the steady clock
  // OUT and the clock (seconds since any fixed time) given, for the tests.
  ProgressLine(bool terminal, std::ostream& out, std::function<double()> clock);
  bool shown() const { return terminal_; }
  void show(const std::string& text);  // "kinseg: TEXT", cut to the terminal's 80 columns
  void clear();                        // ends the phase
  // A phase that reports nothing as it runs (reading a file, drawing the
  // pedigrees): WORK() run while TEXT waits its delay on another thread and
  // shows if the work is still running then; cleared after.
  void during(const std::string& text, const std::function<void()>& work);

 private:
  bool terminal_;
  std::ostream& out_;
  std::function<double()> clock_;
  double began_ = -1;  // when the phase began; negative between phases
  std::size_t width_ = 0;
  std::mutex mutex_;  // show and clear from during()'s waiting thread
};

// "[########............]": DONE of TOTAL in twenty marks.
std::string progress_bar(int done, int total);

}  // namespace kinseg::cli
