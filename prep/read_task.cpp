#include <string>

#include "common/edit_output.hpp"
#include "common/free_input.hpp"
#include "common/free_output.hpp"
#include "prep/read_file.hpp"

namespace kinsort {

void read_task(KinsortState& s, kin::Console& con) {
  TaskBlock& t = s.task;
  const std::string blank(kNameLen, ' ');
  t.data_file = blank;
  t.trait_name = blank;
  for (std::string& c : t.cov_name) c = blank;

  kin::FreeInput in("task.inp", con);
  in.read({kin::as_text(t.data_file, kNameLen)});
  if (t.data_file.find('.') == std::string::npos) {
    kin::stop_with_pause(con, kin::edit("('                                      ',/,"
                                        "' ERROR: name of file with sample data ',/,"
                                        "' must have extension',/,' Stop program ',/,"
                                        "' *************************************  ')",
                                        {}));
  }
  in.read({kin::as_text(t.trait_name, kNameLen)});
  int32_t ncov = 0;
  in.read({kin::as_int(ncov)});
  if (ncov > kMaxCov) {
    kin::stop_with_pause(con, kin::free_line({" ERROR: number of covariates is more than declared"}));
  }
  // A negative count would reach the prepared file as it stands; it is a
  // mistake in task.inp, so it is refused here.
  if (ncov < 0) {
    kin::stop_with_pause(con, kin::free_line({" ERROR: number of covariates in task.inp is negative: " +
                                              std::to_string(ncov)}));
  }
  s.DATA.NCOV = ncov;
  for (int j = 1; j <= ncov; ++j) in.read({kin::as_text(t.cov_name[j - 1], kNameLen)});
}

std::string data_file_name(const TaskBlock& t) {
  const size_t end = t.data_file.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : t.data_file.substr(0, end + 1);
}

}  // namespace kinsort
