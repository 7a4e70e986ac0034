#include "engine/structure_check.hpp"

#include <stdexcept>
#include <vector>

namespace kinseg {

void check_structure(const PedigreeStructure& ps, int size, const std::string& pedigree_id) {
  auto fail = [&](const std::string& what) {
    throw std::logic_error("pedigree " + pedigree_id + ": its nuclear families cannot be peeled: " + what);
  };
  if (ps.size != size) fail("the structure is not the pedigree's");
  const int members = ps.members();
  const int nfam = static_cast<int>(ps.families.size());
  std::vector<int> last(members, -1);  // the last family listing each member
  std::vector<int> seen(members, -1);  // the family that last listed it, to find repeats
  for (int i = 0; i < nfam; ++i) {
    const NuclearFamily& f = ps.families[i];
    if (f.children.empty()) fail("a nuclear family without children");
    auto note = [&](int m, bool child) {
      if (m < 0 || m >= (child ? size : members)) fail("a member number out of range");
      if (seen[m] == i) fail("a member listed twice in one nuclear family");
      seen[m] = last[m] = i;
    };
    note(f.father, false);
    note(f.mother, false);
    for (int c : f.children) note(c, true);
    if (f.link < -1 || f.link >= members || (f.link >= 0 && seen[f.link] != i))
      fail("a link outside its nuclear family");
    if (f.link >= 0 && f.link != f.father && f.link != f.mother && f.link != f.children[0])
      fail("a link child that is not the first child");
  }
  for (int i = 0; i < nfam; ++i) {
    const NuclearFamily& f = ps.families[i];
    auto shared_later = [&](int m) { return m != f.link && last[m] > i; };
    bool bad = shared_later(f.father) || shared_later(f.mother);
    for (int c : f.children) bad = bad || shared_later(c);
    if (bad) fail("a nuclear family shares a member other than its link with later ones (a loop left unbroken)");
  }
  for (size_t b = 0; b < ps.breakers.size(); ++b) {
    const int m = ps.breakers[b];
    if (m < 0 || m >= size) fail("a loop breaker out of range");
    if (last[m] < 0 || last[size + static_cast<int>(b)] < 0)
      fail("a loop breaker or its copy in no nuclear family");
  }
}

}  // namespace kinseg
