#include <algorithm>
#include <string>
#include <utility>

#include "common/edit_output.hpp"
#include "common/free_output.hpp"
#include "common/text_file.hpp"
#include "prep/inform.hpp"

namespace kinsort {

namespace {

[[noreturn]] void exceeded(kin::Console& con, const std::string& what, int limit) {
  kin::stop_with_pause(con, kin::free_line({" ERROR: " + what + " is more than declared (limit " +
                                            std::to_string(limit) + ")"}));
}

// Sibship scan of the pedigree whose persons are rows s+1 .. s+n: every
// person with a father starts a nuclear family unless already taken as a
// child; all later persons with the same father and mother join it.
// Returns the number of families.
int sibships(KinsortState& st, kin::Console& con, int p, int s, int n) {
  const DataBlock& d = st.DATA;
  PedigreeWork& w = st.work;
  for (int j = 1; j <= n; ++j) w.taken(j) = 0;
  int nf = 0;
  int len = 0;
  auto append = [&](int32_t id) {
    if (len == kMaxMembers) {
      exceeded(con, "length of the member lists of pedigree " + std::to_string(p), kMaxMembers);
    }
    w.list(++len) = id;
  };
  w.bounds(2) = 0;
  for (int j = 1; j <= n; ++j) {
    if (w.taken(j) != 0) continue;
    w.taken(j) = 1;
    const int32_t fa = d(s + j, kFa), mo = d(s + j, kMo);
    if (fa == 0) continue;  // a founder
    if (nf == kMaxWays) {
      exceeded(con, "number of nuclear families of pedigree " + std::to_string(p), kMaxWays);
    }
    ++nf;
    append(fa);
    append(mo);
    append(d(s + j, kId));
    for (int k = j + 1; k <= n; ++k) {
      if (w.taken(k) == 0 && d(s + k, kFa) == fa && d(s + k, kMo) == mo) {
        w.taken(k) = 1;
        append(d(s + k, kId));
      }
    }
    w.bounds(nf + 2) = len;
  }
  w.bounds(1) = nf;
  return nf;
}

bool before(const MemberEntry& a, const MemberEntry& b) {
  return a.id < b.id || (a.id == b.id && a.family < b.family);
}

// Fills the member index of the pedigree's nf families.
void index_members(PedigreeWork& w, int nf) {
  for (int f = 1; f <= nf; ++f) {
    for (int k = w.bounds(f + 1) + 1; k <= w.bounds(f + 2); ++k) w.index(k) = {w.list(k), f};
  }
  MemberEntry* first = w.index.a;
  std::sort(first, first + w.bounds(nf + 2), before);
}

// True when x is a member (father, mother or child) of some family of the
// pedigree other than f that is not placed yet.
bool shared(const PedigreeWork& w, int nf, int f, int32_t x) {
  const MemberEntry* first = w.index.a;
  const MemberEntry* last = first + w.bounds(nf + 2);
  for (const MemberEntry* e = std::lower_bound(first, last, MemberEntry{x, 0}, before);
       e != last && e->id == x; ++e) {
    if (e->family != f && w.placed(e->family) == 0) return true;
  }
  return false;
}

}  // namespace

bool I_WAY(KinsortState& st, kin::Console& con) {
  kin::OutFile err("def.err", con);
  PedigreeWork& w = st.work;
  const int nped = st.BUF1(1);
  st.BUF3(1) = nped;
  st.BUF3(2) = 0;
  st.BUF4(2) = 0;
  int way = 1;

  for (int p = 1; p <= nped; ++p) {
    const int s = st.BUF1(p + 1);
    const int n = st.BUF1(p + 2) - s;
    const int nf = sibships(st, con, p, s, n);
    st.BUF3(p + 2) = st.BUF3(p + 1) + nf;

    // Peeling: a family is placed once it shares at most one member (its
    // link person) with the families not placed yet.
    for (int f = 1; f <= nf; ++f) w.placed(f) = 0;
    index_members(w, nf);
    int prev = nf;
    for (;;) {
      for (int f = 1; f <= nf; ++f) {
        if (w.placed(f) != 0) continue;
        const int first = w.bounds(f + 1) + 1;
        const int last = w.bounds(f + 2);
        int count = 0;
        int32_t link = 0;
        int link_at = 0;
        for (int k = first; k <= last && count <= 1; ++k) {
          if (shared(w, nf, f, w.list(k))) {
            ++count;
            link = w.list(k);
            link_at = k;
          }
        }
        if (count > 1) continue;  // left for a later pass

        // A link child moves to the first child's place.
        if (link != 0 && link != w.list(first) && link != w.list(first + 1) &&
            link != w.list(first + 2)) {
          std::swap(w.list(first + 2), w.list(link_at));
        }
        const int m = last - first + 1;
        if (way > kMaxWays) exceeded(con, "number of nuclear families", kMaxWays);
        const int end = st.BUF4(way + 1);
        if (m > kMaxMembers - end) exceeded(con, "length of the member lists", kMaxMembers);
        for (int k = 1; k <= m; ++k) st.BUF6(end + k) = w.list(first + k - 1);
        st.BUF5(way) = link;
        st.BUF4(way + 2) = end + m;
        ++way;
        w.placed(f) = 1;
      }
      int left = 0;
      for (int f = 1; f <= nf; ++f) left += w.placed(f) == 0 ? 1 : 0;
      if (left == 0) break;
      if (left >= prev) {
        err.write(kin::edit("(' PEDIGREE ',I3,' conteins LOOP',/,'  THE CORRECTION OF INITIAL DATA IS REQUIRED')",
                            {p}));
        err.write(kin::free_line({left, prev}));
        err.close();
        return true;
      }
      prev = left;
    }
  }
  st.BUF3(1) = nped;
  st.BUF4(1) = st.BUF3(nped + 2);
  err.close();
  return false;
}

}  // namespace kinsort
