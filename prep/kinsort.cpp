#include "prep/kinsort.hpp"

#include "prep/read_file.hpp"

namespace kinsort {

int run_kinsort(KinsortState& s, kin::Console& con) {
  try {
    READ_FILE(s, con);
  } catch (const kin::RunStop& stop) {
    return stop.status;
  }
  return kin::kNormalEnd;
}

}  // namespace kinsort
