#include "pedigree/pedigree_checks.hpp"

#include <string>
#include <vector>

namespace kinseg {

namespace {

const char* sex_word(int8_t s) { return s == kMale ? "male" : s == kFemale ? "female" : "unknown"; }

}  // namespace

void check_parent_sexes(Sample& s, DataProblems& problems, bool warn) {
  const int n = s.persons();
  // The first child through whom each person is a father, a mother.
  std::vector<int> as_father(n, -1), as_mother(n, -1);
  for (int p = 0; p < n; ++p) {
    if (s.father[p] >= 0 && as_father[s.father[p]] < 0) as_father[s.father[p]] = p;
    if (s.mother[p] >= 0 && as_mother[s.mother[p]] < 0) as_mother[s.mother[p]] = p;
  }
  int k = 0;
  for (int p = 0; p < n; ++p) {
    while (p >= s.end(k)) ++k;
    const int f = as_father[p], m = as_mother[p];
    if (f < 0 && m < 0) continue;
    const std::string& ped = s.pedigree_ids[k];
    if (f >= 0 && m >= 0) {
      problems.error("father-and-mother", s.line[p], ped, {s.ids[p], s.ids[f], s.ids[m]},
                     "person " + s.ids[p] + " is the father of " + s.ids[f] + " and the mother of " +
                         s.ids[m]);
      continue;
    }
    const int8_t role = f >= 0 ? kMale : kFemale;
    const int child = f >= 0 ? f : m;
    const char* parent = f >= 0 ? "father" : "mother";
    if (s.sex[p] == kUnknownSex) {
      s.sex[p] = role;
      if (warn && s.line[p] > 0)
        problems.warning("sex-from-role", s.line[p], ped, {s.ids[p]},
                         "sex of " + s.ids[p] + " unknown; taken as " + sex_word(role) + ", the " +
                             parent + " of " + s.ids[child]);
    } else if (s.sex[p] != role) {
      problems.error("parent-sex", s.line[p], ped, {s.ids[p], s.ids[child]},
                     "person " + s.ids[p] + ", coded " + sex_word(s.sex[p]) + ", is the " + parent +
                         " of " + s.ids[child]);
    }
  }
}

int check_own_ancestors(const Sample& s, DataProblems& problems) {
  const int n = s.persons();
  // Depth-first search up the parent links, on an explicit stack: state 0 not
  // seen, 1 on the current path, 2 done. A link to a person on the path closes
  // a cycle.
  std::vector<int8_t> state(n, 0);
  std::vector<int> path, next;  // the path and, per entry, the next parent to follow (0 father, 1 mother)
  int cycles = 0;
  int k = 0;
  for (int start = 0; start < n; ++start) {
    while (start >= s.end(k)) ++k;  // parents stand in their child's pedigree
    if (state[start]) continue;
    state[start] = 1;
    path.assign(1, start);
    next.assign(1, 0);
    while (!path.empty()) {
      const int p = path.back();
      if (next.back() == 2) {
        state[p] = 2;
        path.pop_back();
        next.pop_back();
        continue;
      }
      const int q = next.back()++ == 0 ? s.father[p] : s.mother[p];
      if (q < 0 || state[q] == 2) continue;
      if (state[q] == 0) {
        state[q] = 1;
        path.push_back(q);
        next.push_back(0);
        continue;
      }
      // q is on the path, so q is its own ancestor: each person of the path
      // from q on is a child of the next, and the last one (p) of q.
      ++cycles;
      size_t at = path.size() - 1;
      while (path[at] != q) --at;
      std::vector<std::string> ids;
      for (size_t i = at; i < path.size(); ++i) ids.push_back(s.ids[path[i]]);
      std::string chain = ids[0] + " is a child of " + (ids.size() > 1 ? ids[1] : ids[0]);
      for (size_t i = 1; i < ids.size(); ++i)
        chain += ", " + ids[i] + " of " + (i + 1 < ids.size() ? ids[i + 1] : ids[0]);
      problems.error("own-ancestor", s.line[q], s.pedigree_ids[k], ids,
                     "person " + s.ids[q] + " is their own ancestor: " + chain);
    }
  }
  return cycles;
}

}  // namespace kinseg
