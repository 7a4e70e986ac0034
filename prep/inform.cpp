#include "prep/inform.hpp"

#include "prep/written.hpp"

namespace kinsort {

void INFORM(KinsortState& s, kin::Console& con) {
  CRTINS(s, con);
  const bool loop = I_WAY(s, con);
  WRITTEN(s, con);
  // The prepared file after a loop is unfinished: the run reports failure.
  if (loop) kin::stop_plain(kin::kStopError);
}

}  // namespace kinsort
