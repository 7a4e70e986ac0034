// Drawing the pedigrees of a sample (see simulate.hpp for the model).
#include <deque>
#include <string>

#include "tools/random.hpp"
#include "tools/simulate.hpp"

namespace kinsim {

namespace {

// The model values, by genotype g = 1..3 at index g-1.
struct Model {
  double q;
  std::array<double, 3> w, wv, tr;  // baseline for sex 1, for sex 2; transmission of Q
  std::array<double, kMaxCovs> d;
  double ro1, ro2;
};

Model model_of(const Settings& s) {
  Model m{};
  m.q = s.param(kQ).value;
  for (int g = 0; g < 3; ++g) {
    m.w[g] = s.param(kW1 + g).value;
    m.wv[g] = m.w[g] + s.param(kV1 + g).value;
    m.tr[g] = s.param(kTr1 + g).value;
  }
  for (int j = 0; j < kMaxCovs; ++j) m.d[static_cast<size_t>(j)] = s.param(kD1 + j).value;
  m.ro1 = s.param(kRo1).value;
  m.ro2 = s.param(kRo2).value;
  return m;
}

class PedigreeDrawer {
 public:
  PedigreeDrawer(const Settings& s, Rng& rng, long max_size)
      : s_(s), m_(model_of(s)), rng_(rng), max_size_(max_size) {}

  // One pedigree, numbered from 1 in row order; ped is left 0.
  std::vector<Person> draw() {
    ped_.clear();
    kin_.clear();
    pending_.clear();
    cousin_marriages_ = 0;
    const int fa = add_founder(1);
    const int mo = add_founder(2);
    add_children(fa, mo, 1);
    while (!pending_.empty()) {
      const Pending p = pending_.front();
      pending_.pop_front();
      Kin& k = kin(p.id);
      if (!k.waiting) continue;  // married a cousin who came before in the queue
      k.waiting = false;
      // Drawn only when cousins may marry, so that samples without them keep
      // their draws.
      if (s_.cousins > 0.0) {
        if (const int cousin = draw_cousin(p.id, p.generation)) {
          kin(cousin).waiting = false;
          ++cousin_marriages_;
          if (at(p.id).sex == 1)
            add_children(p.id, cousin, p.generation + 1);
          else
            add_children(cousin, p.id, p.generation + 1);
          continue;
        }
      }
      const int spouse = add_founder(3 - at(p.id).sex);
      if (at(p.id).sex == 1)
        add_children(p.id, spouse, p.generation + 1);
      else
        add_children(spouse, p.id, p.generation + 1);
    }
    return ped_;
  }

  // An isolate: `isolate` founders, half of them men, pair at random into
  // couples; in each later generation every person still unmarried marries
  // with probability `marry`: a first cousin with probability spouses[0] when
  // one is free, else a second cousin with spouses[1] when one is free, else a
  // spouse from outside (a founder married in) with spouses[2], else any free
  // person of the generation and of the other sex who is not a sibling. Every
  // couple has children, who form the next generation.
  std::vector<Person> draw_isolate() {
    ped_.clear();
    kin_.clear();
    cousin_marriages_ = 0;
    std::vector<int> gen, next, men, women;
    for (int i = 0; i < s_.isolate; ++i) (i % 2 == 0 ? men : women).push_back(add_founder(1 + i % 2));
    std::vector<std::pair<int, int>> couples;
    // The founders: each man takes a woman drawn among those left.
    for (int m : men) {
      if (women.empty()) break;
      const size_t w = static_cast<size_t>(rng_.below(women.size()));
      couples.emplace_back(m, women[w]);
      women.erase(women.begin() + static_cast<long>(w));
    }
    for (int g = 1; g <= s_.generations; ++g) {
      gen.clear();
      for (const auto& c : couples) {
        const int n = children_count();
        for (int i = 0; i < n; ++i) gen.push_back(add_child(c.first, c.second));
      }
      couples.clear();
      if (g == s_.generations) break;
      married_.assign(ped_.size() + 1, 0);
      for (int id : gen) {
        if (married_[static_cast<size_t>(id)] || !rng_.chance(s_.marry)) continue;
        int spouse = isolate_spouse(id, gen);
        if (spouse == 0) spouse = add_founder(3 - at(id).sex);
        married_.resize(ped_.size() + 1, 0);
        married_[static_cast<size_t>(id)] = married_[static_cast<size_t>(spouse)] = 1;
        couples.emplace_back(at(id).sex == 1 ? id : spouse, at(id).sex == 1 ? spouse : id);
      }
    }
    return ped_;
  }

  // Marriages of first cousins in the pedigree drawn last (of first and
  // second cousins in an isolate).
  int cousin_marriages() const { return cousin_marriages_; }

 private:
  struct Pending {
    int id;          // a child who marries
    int generation;  // the child's generation (1 = children of the founder couple)
  };

  // What a person's relatives are found by: the children of the person's
  // couple, who stand in consecutive rows (nobody has two spouses), and whether
  // the person is still to marry.
  struct Kin {
    int first_child = 0, children = 0;
    int generation = 0;    // 0 for founders and spouses married in
    bool waiting = false;  // in the queue of children who marry, not yet married
  };

  Person& at(int id) { return ped_[static_cast<size_t>(id - 1)]; }
  Kin& kin(int id) { return kin_[static_cast<size_t>(id - 1)]; }

  // The first cousins of `id` of the other sex and of the same generation who
  // are still to marry, in row order through the father's side, then the
  // mother's (a double first cousin once); then, with probability `cousins`
  // when there is one, one of them, each equally likely. 0: none is married.
  int draw_cousin(int id, int generation) {
    const Person& a = at(id);
    cousins_.clear();
    for (int parent : {a.fa, a.mo}) {
      const Person& pp = at(parent);
      if (pp.fa == 0) continue;  // married in: no siblings in the pedigree
      const Kin& grandparents = kin(pp.fa);
      for (int u = grandparents.first_child; u < grandparents.first_child + grandparents.children;
           ++u) {
        if (u == parent) continue;  // the parent's siblings, the aunts and uncles
        const Kin& aunt = kin(u);
        for (int c = aunt.first_child; c < aunt.first_child + aunt.children; ++c) {
          const Person& b = at(c);
          if (!kin(c).waiting || b.sex == a.sex || kin(c).generation != generation) continue;
          if (b.fa == a.fa && b.mo == a.mo) continue;  // a sibling through both parents
          bool seen = false;
          for (int x : cousins_) seen = seen || x == c;
          if (!seen) cousins_.push_back(c);
        }
      }
    }
    if (cousins_.empty() || !rng_.chance(s_.cousins)) return 0;
    return cousins_[static_cast<size_t>(rng_.below(static_cast<uint64_t>(cousins_.size())))];
  }

  // The ancestors of `id` `up` generations above it (its parents for 1).
  void ancestors(int id, int up, std::vector<int>& out) {
    out.clear();
    out.push_back(id);
    for (int u = 0; u < up; ++u) {
      std::vector<int> above;
      for (int x : out)
        if (at(x).fa != 0) {
          above.push_back(at(x).fa);
          above.push_back(at(x).mo);
        }
      out.swap(above);
    }
  }
  static bool share(const std::vector<int>& a, const std::vector<int>& b) {
    for (int x : a)
      for (int y : b)
        if (x == y) return true;
    return false;
  }

  // The spouse of `id` among the free persons of its generation, 0 for one
  // from outside (see draw_isolate).
  int isolate_spouse(int id, const std::vector<int>& gen) {
    std::vector<int> first, second, any;
    std::vector<int> p1, p2, p3, q1, q2, q3;
    ancestors(id, 1, p1);
    ancestors(id, 2, p2);
    ancestors(id, 3, p3);
    for (int c : gen) {
      if (c == id || married_[static_cast<size_t>(c)] || at(c).sex == at(id).sex) continue;
      ancestors(c, 1, q1);
      if (share(p1, q1)) continue;  // a sibling or a half-sibling
      ancestors(c, 2, q2);
      ancestors(c, 3, q3);
      (share(p2, q2) ? first : share(p3, q3) ? second : any).push_back(c);
    }
    auto pick = [&](const std::vector<int>& v) { return v[static_cast<size_t>(rng_.below(v.size()))]; };
    if (!first.empty() && rng_.chance(s_.spouses[0])) {
      ++cousin_marriages_;
      return pick(first);
    }
    if (!second.empty() && rng_.chance(s_.spouses[1])) {
      ++cousin_marriages_;
      return pick(second);
    }
    if (rng_.chance(s_.spouses[2])) return 0;
    for (int c : first) any.push_back(c);
    for (int c : second) any.push_back(c);
    return any.empty() ? 0 : pick(any);
  }

  int genotype_from_copies(int copies) const { return 3 - copies; }

  int add_founder(int sex) {
    Person p;
    p.sex = sex;
    p.genotype = genotype_from_copies(int(rng_.chance(m_.q)) + int(rng_.chance(m_.q)));
    return add(p);
  }

  int children_count() {
    if (s_.children == Settings::kRange)
      return s_.children_min + static_cast<int>(rng_.below(
                                   static_cast<uint64_t>(s_.children_max - s_.children_min + 1)));
    return s_.children_min + rng_.poisson(s_.children_mean - s_.children_min);
  }

  void add_children(int fa, int mo, int generation) {
    const int n = children_count();
    const int first = static_cast<int>(ped_.size()) + 1;
    for (int parent : {fa, mo}) {
      kin(parent).first_child = first;
      kin(parent).children = n;
    }
    for (int c = 0; c < n; ++c) {
      const int id = add_child(fa, mo);
      kin(id).generation = generation;
      if (generation < s_.generations && rng_.chance(s_.marry)) {
        pending_.push_back({id, generation});
        kin(id).waiting = true;
      }
    }
  }

  // A child of the couple: its sex, its genotype from its parents', then its row.
  int add_child(int fa, int mo) {
    Person p;
    p.fa = fa;
    p.mo = mo;
    p.sex = 1 + static_cast<int>(rng_.below(2));
    const int gf = at(fa).genotype, gm = at(mo).genotype;
    p.genotype = genotype_from_copies(int(rng_.chance(m_.tr[static_cast<size_t>(gf - 1)])) +
                                      int(rng_.chance(m_.tr[static_cast<size_t>(gm - 1)])));
    return add(p);
  }

  // Covariates and trait of a new person (whose parents, if any, stand before
  // it), then the person's row.
  int add(Person p) {
    for (int j = 0; j < s_.ncov(); ++j) {
      const Covariate& c = s_.covariates[static_cast<size_t>(j)];
      p.cov[static_cast<size_t>(j)] =
          c.kind == Covariate::kBinary
              ? int(rng_.chance(c.p))
              : c.lo +
                    static_cast<int>(rng_.below(static_cast<uint64_t>(int64_t(c.hi) - c.lo + 1)));
    }
    int n_unaffected = 0, n_affected = 0;
    if (p.fa != 0) {
      for (int parent : {p.fa, p.mo}) {
        n_unaffected += at(parent).trait == 1;
        n_affected += at(parent).trait == 2;
      }
    }
    // Summed in the fitted model's order: covariates, baseline, regressive terms.
    double x = 0.0;
    for (int j = 0; j < s_.ncov(); ++j)
      x += p.cov[static_cast<size_t>(j)] * m_.d[static_cast<size_t>(j)];
    const size_t g = static_cast<size_t>(p.genotype - 1);
    x += p.sex == 1 ? m_.w[g] : m_.wv[g];
    x += n_unaffected * m_.ro1;
    x += n_affected * m_.ro2;
    p.trait = rng_.chance(logistic(x)) ? 2 : 1;
    if (s_.unknown > 0.0 && rng_.chance(s_.unknown)) p.trait = 3;
    if (static_cast<long>(ped_.size()) >= max_size_)
      throw Error("a pedigree grows beyond " + std::to_string(max_size_) +
                  " persons; lower children, marry or generations");
    p.id = static_cast<int>(ped_.size()) + 1;
    ped_.push_back(p);
    kin_.emplace_back();
    return p.id;
  }

  const Settings& s_;
  const Model m_;
  Rng& rng_;
  const long max_size_;
  std::vector<Person> ped_;
  std::vector<Kin> kin_;  // kin_[id - 1] for each row of ped_
  std::deque<Pending> pending_;
  std::vector<int> cousins_;
  std::vector<char> married_;  // in an isolate, by row number
  int cousin_marriages_ = 0;
};

// Marks the probands of a pedigree by the ascertainment setting; false when the
// pedigree does not enter the sample. Affected means recorded as affected.
bool ascertain(const Settings& s, std::vector<Person>& ped, Rng& rng) {
  switch (s.ascertainment) {
    case Settings::kNone:
      return true;
    case Settings::kFirst:
      for (Person& p : ped)
        if (p.trait == 2) {
          p.prob = 1;
          return true;
        }
      return false;
    case Settings::kSingle: {
      bool any = false;
      for (Person& p : ped)
        if (p.trait == 2 && rng.chance(s.pi)) {
          p.prob = 1;
          any = true;
        }
      return any;
    }
  }
  return false;
}

}  // namespace

Sample draw_sample(const Settings& s, uint64_t seed, long max_persons) {
  validate(s);
  Rng rng(seed);
  // Without the caller's limit, neither a pedigree nor the sample may grow
  // beyond what memory holds.
  const long cap = max_persons > 0 ? max_persons : kMaxSamplePersons;
  PedigreeDrawer drawer(s, rng, max_persons > 0 ? max_persons : kMaxPedigreePersons);
  Sample sample;
  sample.ncov = s.ncov();
  const long limit = s.draw_limit();
  while (sample.kept < s.families) {
    if (sample.drawn >= limit)
      throw Error("only " + std::to_string(sample.kept) + " of " + std::to_string(s.families) +
                  " families passed the ascertainment in " + std::to_string(limit) +
                  " draws; raise max_draws or make affected members more frequent");
    ++sample.drawn;
    std::vector<Person> ped = s.isolate > 0 ? drawer.draw_isolate() : drawer.draw();
    if (!ascertain(s, ped, rng)) continue;
    ++sample.kept;
    sample.cousin_marriages += drawer.cousin_marriages();
    for (Person& p : ped) {
      p.ped = sample.kept;
      sample.persons.push_back(p);
    }
    if (static_cast<long>(sample.persons.size()) > cap)
      throw Error("the sample grows beyond " + std::to_string(cap) + " persons after " +
                  std::to_string(sample.kept) + " of " + std::to_string(s.families) +
                  " families, more than " +
                  (max_persons > 0 ? "kinsort and kinfit hold" : "kinsim draws") +
                  "; lower families, children, marry or generations");
  }
  return sample;
}

}  // namespace kinsim
