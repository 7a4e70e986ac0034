// Writes a simulated pedigree file of about N persons, as a geneticist's CSV
// export might look: a header, string ids, the rows of each pedigree in
// shuffled order (children often before their parents), sex as M/F, a 0/1
// trait with NA, a real-valued covariate with missing values. Pedigrees of
// three generations (a founder couple, their children, the children's
// spouses and grandchildren); every 500th pedigree grows to six generations
// and a few hundred persons; every 50th has a marriage of cousins (a loop).
// The same N gives the same file on every machine.
//
//   make_pedigree_file N FILE
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Random {
  uint64_t s;
  uint64_t next() {
    uint64_t z = (s += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
  int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }
};

struct Person {
  int father = -1, mother = -1;
  bool male = false;
};

// Adds children to couples generation by generation.
void grow(std::vector<Person>& ped, Random& rng, int generations, int most_children) {
  std::vector<int> couples_f{0}, couples_m{1};
  for (int g = 1; g < generations; ++g) {
    std::vector<int> next_f, next_m;
    for (size_t c = 0; c < couples_f.size(); ++c) {
      const int kids = 1 + rng.below(most_children);
      for (int k = 0; k < kids; ++k) {
        Person child;
        child.father = couples_f[c];
        child.mother = couples_m[c];
        child.male = rng.below(2) == 0;
        ped.push_back(child);
        const int id = static_cast<int>(ped.size()) - 1;
        if (g + 1 < generations && rng.uniform() < 0.6) {
          Person spouse;
          spouse.male = !child.male;
          ped.push_back(spouse);
          const int sid = static_cast<int>(ped.size()) - 1;
          next_f.push_back(child.male ? id : sid);
          next_m.push_back(child.male ? sid : id);
        }
      }
    }
    couples_f.swap(next_f);
    couples_m.swap(next_m);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_pedigree_file N FILE\n");
    return 2;
  }
  const long target = std::atol(argv[1]);
  std::FILE* out = std::fopen(argv[2], "wb");
  if (!out) {
    std::perror(argv[2]);
    return 2;
  }
  Random rng{static_cast<uint64_t>(target) * 7919u + 17u};
  std::fputs("famid,iid,fatherid,motherid,sex,affected,age\n", out);
  long written = 0;
  std::vector<Person> ped;
  std::vector<int> order;
  for (long k = 1; written < target; ++k) {
    ped.assign(2, Person());
    ped[0].male = true;
    if (k % 500 == 0) grow(ped, rng, 6, 5);
    else grow(ped, rng, 3, 4);
    if (k % 50 == 0) {
      // Two grandchildren of different children of the founders, if there
      // are, marry and have a child: a loop.
      int a = -1, b = -1;
      for (int i = 2; i < static_cast<int>(ped.size()); ++i) {
        const int f = ped[i].father;
        if (f < 2) continue;
        const int gp = ped[f].father >= 0 ? f : ped[i].mother;
        if (a < 0) a = i;
        else if (ped[i].male != ped[a].male && ped[gp].father == 0 &&
                 ped[i].father != ped[a].father && ped[i].mother != ped[a].mother) b = i;
      }
      if (a >= 0 && b >= 0) {
        Person c;
        c.father = ped[a].male ? a : b;
        c.mother = ped[a].male ? b : a;
        ped.push_back(c);
      }
    }
    const int n = static_cast<int>(ped.size());
    order.resize(n);
    for (int i = 0; i < n; ++i) order[i] = i;
    for (int i = n - 1; i > 0; --i) std::swap(order[i], order[rng.below(i + 1)]);
    for (int i : order) {
      const Person& p = ped[i];
      const double u = rng.uniform();
      const char* trait = u < 0.05 ? "NA" : u < 0.25 ? "1" : "0";
      char age[32];
      if (rng.uniform() < 0.02) age[0] = '\0';
      else std::snprintf(age, sizeof age, "%.1f", 20.0 + 60.0 * rng.uniform());
      if (p.father < 0)
        std::fprintf(out, "F%06ld,F%06ld-%d,0,0,%s,%s,%s\n", k, k, i + 1, p.male ? "M" : "F", trait, age);
      else
        std::fprintf(out, "F%06ld,F%06ld-%d,F%06ld-%d,F%06ld-%d,%s,%s,%s\n", k, k, i + 1, k, p.father + 1, k,
                     p.mother + 1, p.male ? "M" : "F", trait, age);
    }
    written += n;
  }
  if (std::fclose(out) != 0) {
    std::perror(argv[2]);
    return 2;
  }
  std::fprintf(stderr, "%ld persons\n", written);
  return 0;
}
