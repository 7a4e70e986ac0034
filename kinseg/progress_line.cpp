#include "kinseg/progress_line.hpp"

#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <iostream>
#include <thread>

namespace kinseg::cli {

bool progress_due(bool terminal, double seconds) { return terminal && seconds >= kProgressDelay; }

namespace {

double steady_seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

ProgressLine::ProgressLine() : ProgressLine(isatty(fileno(stderr)) == 1, std::cerr, steady_seconds) {}

ProgressLine::ProgressLine(bool terminal, std::ostream& out, std::function<double()> clock)
    : terminal_(terminal), out_(out), clock_(std::move(clock)) {}

void ProgressLine::show(const std::string& text) {
  if (!terminal_) return;
  std::lock_guard<std::mutex> lock(mutex_);
  const double now = clock_();
  if (began_ < 0) began_ = now;
  if (!progress_due(terminal_, now - began_)) return;
  std::string line = "kinseg: " + text;
  if (line.size() > 79) line.resize(79);
  out_ << "\r" << line << std::string(width_ > line.size() ? width_ - line.size() : 0, ' ') << std::flush;
  width_ = line.size();
}

void ProgressLine::clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  began_ = -1;
  if (!terminal_ || width_ == 0) return;
  out_ << "\r" << std::string(width_, ' ') << "\r" << std::flush;
  width_ = 0;
}

void ProgressLine::during(const std::string& text, const std::function<void()>& work) {
  if (!terminal_) {
    work();
    return;
  }
  std::mutex m;
  std::condition_variable done_cv;
  bool done = false;
  show(text);  // the phase begins
  std::thread waiter([&] {
    std::unique_lock<std::mutex> lock(m);
    if (!done_cv.wait_for(lock, std::chrono::duration<double>(kProgressDelay), [&] { return done; })) show(text);
  });
  auto finish = [&] {
    {
      std::lock_guard<std::mutex> lock(m);
      done = true;
    }
    done_cv.notify_one();
    waiter.join();
    clear();
  };
  try {
    work();
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

std::string progress_bar(int done, int total) {
  const int width = 20;
  const int n = total > 0 ? width * done / total : 0;
  return "[" + std::string(n, '#') + std::string(width - n, '.') + "]";
}

}  // namespace kinseg::cli
