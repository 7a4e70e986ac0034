// The console of a run, and the three ways in which a run ends early.
//
// A run writes its messages to `out` and reads the user's answer to a pause
// from `in`. Programs bind them to the terminal; tests bind them to string
// streams. Ending a run early throws RunStop, which the program's entry point
// turns into the exit status, so that every open file is closed on the way out
// and a test (or a fuzz harness) sees a return instead of a process exit.
#pragma once

#include <iosfwd>
#include <string_view>

namespace kin {

// Exit status of a run.
enum ExitStatus : int {
  kNormalEnd = 0,
  kStopError = 1,   // a stop that reports an error in the input
  kInputError = 2,  // a file that is missing, unreadable, short or holds a value of the wrong kind
};

struct RunStop {
  int status;
};

struct Console {
  std::ostream& out;
  std::istream& in;
};

// Writes `text` (one or more complete lines, each ended by '\n') to the console.
void say(Console& con, std::string_view text);

// Asks the user to press Enter and waits for an empty line; the end of the
// input also ends the wait, so a run without a terminal never hangs.
void pause(Console& con);

// Writes the message, then ends the run.
[[noreturn]] void stop_with_message(Console& con, std::string_view text, int status = kStopError);

// Writes the message, pauses, then ends the run.
[[noreturn]] void stop_with_pause(Console& con, std::string_view text, int status = kStopError);

// Ends the run without a message.
[[noreturn]] void stop_plain(int status);

// The input/output error report shared by both programs: one line naming the
// file (and the line of it, when there is one), then the end of the run.
[[noreturn]] void file_error(Console& con, std::string_view file, std::string_view what);
[[noreturn]] void file_error(Console& con, std::string_view file, long line, std::string_view what);

}  // namespace kin
