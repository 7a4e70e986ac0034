#include <string>

#include "common/free_output.hpp"
#include "prep/inform.hpp"

namespace kinsort {

void CRTINS(KinsortState& s, kin::Console& con) {
  const DataBlock& d = s.DATA;
  int nped = 1;
  s.BUF1(2) = 0;
  s.BUF1(3) = 1;
  for (int i = 1; i <= d.N - 1; ++i) {
    if (d(i + 1, kPed) == d(i, kPed)) {
      s.BUF1(nped + 2) += 1;
    } else {
      if (nped == kMaxPedigrees) {
        kin::stop_with_pause(con, kin::free_line({" ERROR: number of pedigrees is more than declared (limit " +
                                                  std::to_string(kMaxPedigrees) + ")"}));
      }
      ++nped;
      s.BUF1(nped + 2) = s.BUF1(nped + 1) + 1;
    }
  }
  s.BUF1(1) = nped;
}

}  // namespace kinsort
