#include "prep/read_file.hpp"

#include "prep/inform.hpp"

namespace kinsort {

void READ_FILE(KinsortState& s, kin::Console& con) {
  read_task(s, con);
  read_header(s, con);
  load_data(s, con);
  write_new_dat(s, con);
  INFORM(s, con);
}

}  // namespace kinsort
