#include "report/pedigree_trim.hpp"

#include <cmath>
#include <map>
#include <string>

namespace kinseg::report {

TrimmedPedigree trim_pedigree(const Sample& sample, int k, const std::vector<double>& carrier) {
  const int n = sample.size(k), base = sample.first(k);
  auto parent = [&](const std::vector<int>& of, int m) {
    const int p = of[static_cast<size_t>(base + m)] - base;
    return of[static_cast<size_t>(base + m)] >= 0 && p >= 0 && p < n ? p : -1;
  };
  std::vector<int> father(static_cast<size_t>(n)), mother(static_cast<size_t>(n));
  std::vector<std::vector<int>> children(static_cast<size_t>(n));
  for (int m = 0; m < n; ++m) {
    father[m] = parent(sample.father, m);
    mother[m] = parent(sample.mother, m);
    if (father[m] >= 0 && mother[m] >= 0) {
      children[static_cast<size_t>(father[m])].push_back(m);
      children[static_cast<size_t>(mother[m])].push_back(m);
    }
  }
  // informative[m]: m or a descendant of m has a known trait. Worked out
  // from each person upwards, so each ancestor is marked once per path end.
  std::vector<char> informative(static_cast<size_t>(n), 0);
  for (int m = 0; m < n; ++m) {
    if (sample.trait[static_cast<size_t>(base + m)] == kUnknownTrait) continue;
    std::vector<int> stack{m};
    while (!stack.empty()) {
      const int v = stack.back();
      stack.pop_back();
      if (informative[static_cast<size_t>(v)]) continue;
      informative[static_cast<size_t>(v)] = 1;
      for (int p : {father[v], mother[v]})
        if (p >= 0) stack.push_back(p);
    }
  }
  std::vector<char> keep = informative;
  // Persons tied to no one stay; so does the spouse of a person kept, where
  // the couple's children are to hang a stub.
  for (int m = 0; m < n; ++m)
    if (father[m] < 0 && children[static_cast<size_t>(m)].empty()) keep[static_cast<size_t>(m)] = 1;
  std::map<std::pair<int, int>, std::vector<int>> folded_children;  // couple -> its children folded
  for (int m = 0; m < n; ++m)
    if (father[m] >= 0 && !informative[static_cast<size_t>(m)] &&
        (informative[static_cast<size_t>(father[m])] || informative[static_cast<size_t>(mother[m])])) {
      keep[static_cast<size_t>(father[m])] = keep[static_cast<size_t>(mother[m])] = 1;
      folded_children[{father[m], mother[m]}].push_back(m);
    }

  TrimmedPedigree t;
  Sample& s = t.sample;
  s.file = sample.file;
  s.pedigree_ids = {sample.pedigree_ids[static_cast<size_t>(k)]};
  std::vector<int> index(static_cast<size_t>(n), -1);
  auto add = [&](const std::string& id, int father_of, int mother_of, int8_t sex, int8_t trait, int8_t proband) {
    s.ids.push_back(id);
    s.father.push_back(father_of);
    s.mother.push_back(mother_of);
    s.sex.push_back(sex);
    s.trait.push_back(trait);
    s.proband.push_back(proband);
    s.line.push_back(0);
  };
  for (int m = 0; m < n; ++m) {
    if (!keep[static_cast<size_t>(m)]) continue;
    index[static_cast<size_t>(m)] = s.persons();
    const size_t p = static_cast<size_t>(base + m);
    add(sample.ids[p], -1, -1, sample.sex[p], sample.trait[p], sample.proband[p]);
    s.line.back() = sample.line[p];
    t.original.push_back(m);
    t.folded.push_back(0);
    t.carrier.push_back(carrier.empty() ? std::nan("") : carrier[static_cast<size_t>(m)]);
  }
  for (int m = 0; m < n; ++m) {
    const int i = index[static_cast<size_t>(m)];
    if (i < 0 || father[m] < 0 || !keep[static_cast<size_t>(father[m])] || !keep[static_cast<size_t>(mother[m])])
      continue;
    s.father[static_cast<size_t>(i)] = index[static_cast<size_t>(father[m])];
    s.mother[static_cast<size_t>(i)] = index[static_cast<size_t>(mother[m])];
  }
  // One stub per couple: its folded children, their descendants, and the
  // spouses of those who married in and were folded too.
  std::vector<char> counted(static_cast<size_t>(n), 0);
  int stubs = 0;
  for (const auto& [couple, kids] : folded_children) {
    int count = 0;
    std::vector<int> stack(kids.begin(), kids.end());
    while (!stack.empty()) {
      const int v = stack.back();
      stack.pop_back();
      if (counted[static_cast<size_t>(v)] || keep[static_cast<size_t>(v)]) continue;
      counted[static_cast<size_t>(v)] = 1;
      ++count;
      for (int c : children[static_cast<size_t>(v)]) {
        stack.push_back(c);
        for (int p : {father[c], mother[c]})
          if (p != v && father[p] < 0) stack.push_back(p);
      }
    }
    if (count == 0) continue;
    add("folded:" + std::to_string(++stubs), index[static_cast<size_t>(couple.first)],
        index[static_cast<size_t>(couple.second)], kUnknownSex, kUnknownTrait, kOrdinary);
    t.original.push_back(-1);
    t.folded.push_back(count);
    t.carrier.push_back(std::nan(""));
    t.folded_persons += count;
  }
  s.start = {0, s.persons()};
  if (carrier.empty()) t.carrier.clear();
  return t;
}

}  // namespace kinseg::report
