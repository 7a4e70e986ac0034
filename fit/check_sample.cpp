#include <string>
#include <vector>

#include "fit/wwdat.hpp"

namespace kinfit {

namespace {

std::string num(long v) { return std::to_string(v); }

}  // namespace

void check_sample(KinfitState& s, kin::Console& con, const std::string& name, int nped, int k,
                  int len, int npers) {
  auto fail = [&](const std::string& what) { kin::file_error(con, name, what); };
  auto fam_fail = [&](int f, const std::string& what) {
    kin::file_error(con, name, "family " + num(f) + ": " + what);
  };

  // Families over person rows.
  if (nped < 0) fail("record 1: negative number of families");
  if (s.BUF1(1) != nped || s.BUF1(2) != 0)
    fail("record 1: the family boundaries do not start with " + num(nped) + ", 0");
  for (int f = 1; f <= nped; ++f)
    if (s.BUF1(f + 2) < s.BUF1(f + 1)) fam_fail(f, "its last person row lies before its first");
  if (s.BUF1(nped + 2) != npers)
    fail("the families cover " + num(s.BUF1(nped + 2)) + " persons, record 6 holds " + num(npers));

  // Ways over the member list.
  if (k < 2) fail("record 3: the way boundaries hold fewer than two elements");
  const int nw = k - 2;
  if (s.BUF14(1) != nw || s.BUF14(2) != 0)
    fail("record 3: the way boundaries do not start with " + num(nw) + ", 0");
  for (int w = 1; w <= nw; ++w)
    if (s.BUF14(w + 2) < s.BUF14(w + 1))
      fail("record 3: way " + num(w) + " ends before it starts");
  if (s.BUF14(nw + 2) != len)
    fail("record 3 ends its member lists at " + num(s.BUF14(nw + 2)) + ", record 4 holds " +
         num(len) + " entries");

  // Families over ways. The file that kinsort writes after it has found a loop
  // counts nuclear families in record 2 but holds none in record 3.
  if (s.BUF3(1) != nped || s.BUF3(2) != 0)
    fail("record 2: the way counts do not start with " + num(nped) + ", 0");
  int most = 0, most_f = 0;
  for (int f = 1; f <= nped; ++f)
    if (s.BUF3(f + 2) > most) most = s.BUF3(f + 2), most_f = f;
  if (most > nw)
    fam_fail(most_f, "the pedigree structure is incomplete (record 2 counts " + num(most) +
                         " nuclear families, record 3 holds " + num(nw) +
                         "); kinsort's loop report in def.err tells which pedigree to correct");
  for (int f = 1; f <= nped; ++f)
    if (s.BUF3(f + 2) < s.BUF3(f + 1)) fam_fail(f, "its count of nuclear families is negative");
  if (s.BUF3(nped + 2) != nw)
    fail("record 2 counts " + num(s.BUF3(nped + 2)) + " nuclear families, record 3 holds " +
         num(nw));

  // The ways of each family: members, link persons, what they share.
  std::vector<int> last_way(static_cast<size_t>(npers) + 1);
  std::vector<int> seen(static_cast<size_t>(npers) + 1);  // the way that last listed a member
  for (int f = 1; f <= nped; ++f) {
    const int o = s.BUF1(f + 1);
    const int n = s.BUF1(f + 2) - o;
    const int w0 = s.BUF3(f + 1) + 1;
    const int w1 = s.BUF3(f + 2);
    for (int m = 1; m <= n; ++m) last_way[static_cast<size_t>(m)] = 0;
    for (int w = w0; w <= w1; ++w) {
      const int b = s.BUF14(w + 1);
      const int e = s.BUF14(w + 2);
      if (e - b < 3)
        fam_fail(f, "nuclear family " + num(w) + " has fewer than three members");
      for (int i = b + 1; i <= e; ++i) {
        const int m = s.BUF16(i);
        if (m < 1 || m > n)
          fam_fail(f, "nuclear family " + num(w) + " lists member " + num(m) +
                          ", which is not a member of the family (1.." + num(n) + ")");
        if (seen[static_cast<size_t>(m)] == w)
          fam_fail(f, "nuclear family " + num(w) + " lists member " + num(m) + " twice");
        seen[static_cast<size_t>(m)] = w;
        last_way[static_cast<size_t>(m)] = w;
      }
      const int link = s.BUF15(w);
      if (link != 0 && link != s.BUF16(b + 1) && link != s.BUF16(b + 2) &&
          link != s.BUF16(b + 3)) {
        bool member = false;
        for (int i = b + 4; i <= e; ++i) member = member || s.BUF16(i) == link;
        fam_fail(f, "the link person " + num(link) + " of nuclear family " + num(w) +
                        (member ? " does not stand first among its children"
                                : " is not a member of it"));
      }
    }
    for (int w = w0; w <= w1; ++w) {
      for (int i = s.BUF14(w + 1) + 1; i <= s.BUF14(w + 2); ++i) {
        const int m = s.BUF16(i);
        if (last_way[static_cast<size_t>(m)] > w && m != s.BUF15(w))
          fam_fail(f, "member " + num(m) + " of nuclear family " + num(w) +
                          " belongs to a later nuclear family too but is not the link person");
      }
    }

    // Codes of the members.
    for (int m = 1; m <= n; ++m) {
      const int p = o + m;
      if (s.TRAIT(p) < 1 || s.TRAIT(p) > 3)
        fam_fail(f, "member " + num(m) + " has trait code " + num(s.TRAIT(p)) +
                        " (1 unaffected, 2 affected, 3 unknown)");
      if (s.SEX(p) < 1 || s.SEX(p) > 2)
        fam_fail(f, "member " + num(m) + " has sex code " + num(s.SEX(p)) + " (1 or 2)");
    }
  }
}

}  // namespace kinfit
