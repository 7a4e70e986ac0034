#include "tests/support/drawn_pedigrees.hpp"

namespace kintest {

using kinseg::kAffected;
using kinseg::kFemale;
using kinseg::kMale;
using kinseg::kUnaffected;
using kinseg::kUnknownSex;
using kinseg::kUnknownTrait;

kinseg::Sample nuclear_family() {
  PedigreeBuilder b("1");
  b.add("1", "", "", kMale, kUnaffected)
      .add("2", "", "", kFemale, kAffected)
      .add("3", "1", "2", kMale, kAffected, true)
      .add("4", "1", "2", kFemale, kUnaffected)
      .add("5", "1", "2", kUnknownSex, kUnknownTrait);
  return b.sample();
}

kinseg::Sample three_generations() {
  PedigreeBuilder b("3gen");
  b.add("g1", "", "", kMale, kAffected)
      .add("g2", "", "", kFemale, kUnaffected)
      .add("a", "g1", "g2", kMale, kAffected)
      .add("b", "g1", "g2", kFemale, kUnaffected)
      .add("c", "g1", "g2", kMale, kUnknownTrait)
      .add("sa", "", "", kFemale, kUnaffected)
      .add("sb", "", "", kMale, kUnaffected)
      .add("a1", "a", "sa", kMale, kAffected, true)
      .add("a2", "a", "sa", kFemale, kUnaffected)
      .add("b1", "sb", "b", kFemale, kAffected)
      .add("b2", "sb", "b", kMale, kUnaffected)
      .add("b3", "sb", "b", kFemale, kUnaffected, true);
  return b.sample();
}

kinseg::Sample half_sibs() {
  PedigreeBuilder b("half");
  b.add("x", "", "", kMale, kAffected)
      .add("w1", "", "", kFemale, kUnaffected)
      .add("w2", "", "", kFemale, kUnaffected)
      .add("k1", "x", "w1", kMale, kAffected, true)
      .add("k2", "x", "w1", kFemale, kUnaffected)
      .add("k3", "x", "w2", kFemale, kAffected)
      .add("k4", "x", "w2", kMale, kUnaffected)
      .add("k5", "x", "w2", kMale, kUnknownTrait);
  return b.sample();
}

kinseg::Sample first_cousins() {
  PedigreeBuilder b("cousins");
  b.add("G1", "", "", kMale, kUnaffected)
      .add("G2", "", "", kFemale, kUnaffected)
      .add("A", "G1", "G2", kMale, kUnaffected)
      .add("B", "G1", "G2", kFemale, kUnaffected)
      .add("SA", "", "", kFemale, kUnaffected)
      .add("SB", "", "", kMale, kUnaffected)
      .add("C1", "A", "SA", kMale, kUnaffected)
      .add("C2", "SB", "B", kFemale, kUnaffected)
      .add("C3", "SB", "B", kMale, kAffected)
      .add("D1", "C1", "C2", kMale, kAffected, true)
      .add("D2", "C1", "C2", kFemale, kAffected)
      .add("D3", "C1", "C2", kFemale, kUnaffected);
  return b.sample();
}

kinseg::Sample uncle_niece() {
  PedigreeBuilder b("uncle");
  b.add("P1", "", "", kMale, kUnaffected)
      .add("P2", "", "", kFemale, kUnaffected)
      .add("U", "P1", "P2", kMale, kUnaffected)
      .add("S", "P1", "P2", kFemale, kUnaffected)
      .add("T", "P1", "P2", kMale, kAffected)
      .add("SS", "", "", kMale, kUnaffected)
      .add("N", "SS", "S", kFemale, kUnaffected)
      .add("N2", "SS", "S", kMale, kUnaffected)
      .add("K1", "U", "N", kMale, kAffected, true)
      .add("K2", "U", "N", kFemale, kUnaffected);
  return b.sample();
}

kinseg::Sample three_husbands() {
  PedigreeBuilder b("three");
  b.add("h1", "", "", kMale, kUnaffected)
      .add("w", "", "", kFemale, kAffected)
      .add("h2", "", "", kMale, kUnaffected)
      .add("h3", "", "", kMale, kUnaffected)
      .add("c1", "h1", "w", kMale, kAffected, true)
      .add("c2", "h2", "w", kFemale, kUnaffected)
      .add("c3", "h3", "w", kFemale, kAffected)
      .add("c4", "h3", "w", kMale, kUnaffected);
  return b.sample();
}

kinseg::Sample large_pedigree() {
  // A fixed pseudo-random draw (a linear congruential generator, so that the
  // pedigree is the same everywhere): each child of generations 1 to 5 marries
  // with probability 3/4, one marriage in eight with an unmarried person of
  // the same generation from another sibship (a loop) and the others with a
  // founder from outside; a couple has 2 to 5 children, the first born as the
  // couple forms so that nobody is left without a family when the count is
  // reached. Persons are added until there are 230.
  const int target = 230;
  uint64_t state = 12345;
  auto next = [&](int n) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<int>((state >> 33) % static_cast<uint64_t>(n));
  };
  PedigreeBuilder b("big");
  struct Info {
    std::string id;
    int sex, gen, sibship;
    bool married;
  };
  std::vector<Info> people;
  auto add = [&](int fa, int mo, int sex, int gen, int sibship) {
    const std::string id = std::to_string(1000 + b.count());
    const int trait = next(10) < 3 ? kAffected : next(10) == 0 ? kUnknownTrait : kUnaffected;
    b.add(id, fa < 0 ? "" : people[static_cast<size_t>(fa)].id, mo < 0 ? "" : people[static_cast<size_t>(mo)].id,
          sex, trait, trait == kAffected && next(6) == 0);
    people.push_back(Info{id, sex, gen, sibship, false});
    return static_cast<int>(people.size()) - 1;
  };
  auto child = [&](int fa, int mo, int sibship) {
    return add(fa, mo, next(2) ? kMale : kFemale, people[static_cast<size_t>(fa)].gen + 1, sibship);
  };
  struct Couple {
    int fa, mo, sibship;
    std::vector<int> kids;
  };
  const int f0 = add(-1, -1, kMale, 0, -1), m0 = add(-1, -1, kFemale, 0, -1);
  people[static_cast<size_t>(f0)].married = people[static_cast<size_t>(m0)].married = true;
  std::vector<Couple> couples{{f0, m0, 0, {}}};
  couples[0].kids.push_back(child(f0, m0, 0));
  for (size_t c = 0; c < couples.size() && b.count() < target; ++c) {
    const int fa = couples[c].fa, mo = couples[c].mo, sib = couples[c].sibship;
    const int gen = people[static_cast<size_t>(fa)].gen + 1;
    const int n = 2 + next(4);
    while (static_cast<int>(couples[c].kids.size()) < n && b.count() < target)
      couples[c].kids.push_back(child(fa, mo, sib));
    if (gen > 5) continue;
    const std::vector<int> kids = couples[c].kids;
    for (int kid : kids) {
      if (people[static_cast<size_t>(kid)].married || next(4) == 0 || b.count() + 2 > target) continue;
      const int sex = people[static_cast<size_t>(kid)].sex;
      int spouse = -1;
      if (gen >= 2 && next(8) == 0)
        for (size_t p = 0; p < people.size(); ++p) {
          const Info& q = people[p];
          if (q.gen == gen && !q.married && q.sex != sex && q.sibship != sib && q.sibship >= 0)
            spouse = static_cast<int>(p);
        }
      if (spouse < 0) spouse = add(-1, -1, sex == kMale ? kFemale : kMale, gen, -1);
      people[static_cast<size_t>(kid)].married = people[static_cast<size_t>(spouse)].married = true;
      Couple couple{sex == kMale ? kid : spouse, sex == kMale ? spouse : kid, static_cast<int>(couples.size()), {}};
      couple.kids.push_back(child(couple.fa, couple.mo, couple.sibship));
      couples.push_back(couple);
    }
  }
  return b.sample();
}

std::vector<NamedPedigree> all_drawn_pedigrees() {
  return {{"nuclear family", nuclear_family()}, {"three generations", three_generations()},
          {"half-sibs", half_sibs()},           {"first cousins", first_cousins()},
          {"uncle and niece", uncle_niece()},   {"three husbands", three_husbands()},
          {"230 persons", large_pedigree()}};
}

}  // namespace kintest
