#include "fit/family_scan.hpp"

#include "common/edit_output.hpp"
#include "common/free_output.hpp"

namespace kinfit {

void scan_families(KinfitState& s, kin::Console& con) {
  int32_t& code0 = s.ASCERT.IHAS0;
  code0 = 0;
  s.NOBS = 0;
  const int mode = s.ASCERT.MODE;
  for (int F = 1; F <= s.NFAMP; ++F) {
    const int first = s.BUF1(F + 1) + 1;
    const int last = s.BUF1(F + 2);
    if (s.LUK(F) == 0 || first > last) continue;
    int ni = 0, affected = 0, probands = 0;
    for (int p = first; p <= last; ++p) {
      if (s.PROB(p) == 0) ++code0;
      if (s.PROB(p) != 0 && s.TRAIT(p) != 3) ++ni;
      if (s.PROB(p) != 0 && s.TRAIT(p) == 2) ++affected;
      if (s.PROB(p) == 1) ++probands;
    }
    s.NOBS += ni;
    s.NG(F) = ni != 0 ? 1.0 / ni : 0.0;
    if (mode == 1 && affected == 0) {
      s.LUK(F) = 0;
      kin::say(con, kin::free_line({" WARNING:No affected members in the famili", F}));
      kin::say(con, kin::free_line({" This family is excluded from analysis"}));
    }
    if (mode == 1 && probands == 0) {
      kin::say(con, kin::edit("(' No proband in the family',I3)", {F}));
      kin::say(con, kin::free_line({"First affected person is proband"}));
      for (int p = first; p <= last; ++p)
        if (s.TRAIT(p) == 2) {
          s.PROB(p) = 1;
          break;
        }
    }
  }
  kin::say(con, kin::free_line({"N_izm=", s.NOBS, " loop=", code0}));
}

}  // namespace kinfit
