#include "fit/family_scan.hpp"

#include "common/edit_output.hpp"
#include "common/free_output.hpp"
#include "engine/family_scan_rule.hpp"

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
    kin::ScanCounts c;
    for (int p = first; p <= last; ++p) kin::count_member(c, s.PROB(p), s.TRAIT(p));
    code0 += c.always_conditioned;
    const int ni = c.informative;
    s.NOBS += ni;
    s.NG(F) = ni != 0 ? 1.0 / ni : 0.0;
    if (kin::excluded_for_want_of_affected(c, mode == 1)) {
      s.LUK(F) = 0;
      kin::say(con, kin::free_line({" WARNING:No affected members in the famili", F}));
      kin::say(con, kin::free_line({" This family is excluded from analysis"}));
    }
    if (kin::takes_first_affected_as_proband(c, mode == 1)) {
      kin::say(con, kin::edit("(' No proband in the family',I3)", {F}));
      kin::say(con, kin::free_line({"First affected person is proband"}));
      // Person row p is record p - 1 of the trait table.
      const int record = kin::first_affected(&s.TRAIT(1), first - 1, last);
      if (record < last) s.PROB(record + 1) = 1;
    }
  }
  kin::say(con, kin::free_line({"N_izm=", s.NOBS, " loop=", code0}));
}

}  // namespace kinfit
