#include "kinseg/progress_line.hpp"

#include <unistd.h>

#include <cstdio>
#include <iostream>

namespace kinseg::cli {

ProgressLine::ProgressLine() : terminal_(isatty(fileno(stderr)) == 1) {}

void ProgressLine::show(const std::string& text) {
  if (!terminal_) return;
  std::string line = "kinseg: " + text;
  if (line.size() > 79) line.resize(79);
  std::cerr << "\r" << line << std::string(width_ > line.size() ? width_ - line.size() : 0, ' ') << std::flush;
  width_ = line.size();
}

void ProgressLine::clear() {
  if (!terminal_ || width_ == 0) return;
  std::cerr << "\r" << std::string(width_, ' ') << "\r" << std::flush;
  width_ = 0;
}

std::string progress_bar(int done, int total) {
  const int width = 20;
  const int n = total > 0 ? width * done / total : 0;
  return "[" + std::string(n, '#') + std::string(width - n, '.') + "]";
}

}  // namespace kinseg::cli
