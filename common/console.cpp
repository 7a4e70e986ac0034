#include "common/console.hpp"

#include <istream>
#include <ostream>
#include <string>

namespace kin {

void say(Console& con, std::string_view text) {
  con.out << text;
  con.out.flush();
}

void pause(Console& con) {
  say(con, " Press Enter to continue\n");
  std::string line;
  while (std::getline(con.in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) return;
  }
}

void stop_with_message(Console& con, std::string_view text, int status) {
  say(con, text);
  throw RunStop{status};
}

void stop_with_pause(Console& con, std::string_view text, int status) {
  say(con, text);
  pause(con);
  throw RunStop{status};
}

void stop_plain(int status) { throw RunStop{status}; }

void file_error(Console& con, std::string_view file, std::string_view what) {
  std::string msg = " ERROR in file ";
  msg.append(file).append(": ").append(what).append("\n");
  stop_with_message(con, msg, kInputError);
}

void file_error(Console& con, std::string_view file, long line, std::string_view what) {
  std::string msg = " ERROR in file ";
  msg.append(file).append(", line ").append(std::to_string(line)).append(": ").append(what).append("\n");
  stop_with_message(con, msg, kInputError);
}

}  // namespace kin
