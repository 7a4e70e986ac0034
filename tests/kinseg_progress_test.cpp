// The progress line: shown on a terminal only once a phase has run a second,
// never elsewhere; a short phase leaves nothing on the terminal. The clock is
// the test's, so no test waits.
#include <gtest/gtest.h>

#include <sstream>

#include "kinseg/progress_line.hpp"

namespace {

using kinseg::cli::progress_due;
using kinseg::cli::ProgressLine;

TEST(KinsegProgress, DueAfterASecondOnATerminalOnly) {
  EXPECT_FALSE(progress_due(true, 0.0));
  EXPECT_FALSE(progress_due(true, 0.999));
  EXPECT_TRUE(progress_due(true, 1.0));
  EXPECT_TRUE(progress_due(true, 600.0));
  EXPECT_FALSE(progress_due(false, 600.0));
}

TEST(KinsegProgress, ShortPhasesLeaveNothingLongOnesShowAndClear) {
  double now = 100;
  std::ostringstream out;
  ProgressLine line(true, out, [&] { return now; });
  // A phase of half a second: nothing written, nothing to clear.
  line.show("fit 1");
  now += 0.5;
  line.show("fit 1, start 2");
  line.clear();
  EXPECT_EQ(out.str(), "");
  // The next phase counts from its own first line, not from the start.
  now += 10;
  line.show("fit 2");
  EXPECT_EQ(out.str(), "");
  now += 1.5;
  line.show("fit 2, start 3");
  EXPECT_EQ(out.str(), "\rkinseg: fit 2, start 3");
  line.clear();
  EXPECT_EQ(out.str(), "\rkinseg: fit 2, start 3\r" + std::string(22, ' ') + "\r");

  std::ostringstream pipe;
  ProgressLine quiet(false, pipe, [&] { return now; });
  quiet.show("a");
  now += 100;
  quiet.show("b");
  bool ran = false;
  quiet.during("c", [&] { ran = true; });
  quiet.clear();
  EXPECT_TRUE(ran);
  EXPECT_EQ(pipe.str(), "");
}

// A phase without steps of its own: its work runs, a quick one shows nothing.
TEST(KinsegProgress, QuietPhaseShowsNothingWhenQuick) {
  double now = 0;
  std::ostringstream out;
  ProgressLine line(true, out, [&] { return now; });
  int ran = 0;
  line.during("reading", [&] { ++ran; });
  EXPECT_EQ(ran, 1);
  EXPECT_EQ(out.str(), "");
  EXPECT_THROW(line.during("reading", [] { throw std::runtime_error("x"); }), std::runtime_error);
}

}  // namespace
