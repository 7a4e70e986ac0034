#include "tests/sample_builder.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>

#include "fit/setup.hpp"
#include "fit/work_table.hpp"
#include "fit/wwdat.hpp"
#include "tests/test_util.hpp"

namespace kintest {

void load_sample(kinfit::KinfitState& s, const std::vector<Family>& fams, int ncov) {
  const int nped = static_cast<int>(fams.size());
  s.BUF1(1) = nped;
  s.BUF1(2) = 0;
  s.BUF3(1) = nped;
  s.BUF3(2) = 0;
  int nw = 0, len = 0, p = 0;
  int entries = 0, persons = 0;
  for (const Family& f : fams) {
    nw += static_cast<int>(f.ways.size());
    persons += static_cast<int>(f.members.size());
    for (const Way& way : f.ways) entries += static_cast<int>(way.members.size());
  }
  if (nped > kinfit::N_FAM || nw + 2 > kinfit::N_SIZE || entries > kinfit::N_SIZE ||
      persons > kinfit::N_SIZE)
    throw std::runtime_error("test sample beyond the limits of the tables");
  s.BUF14(1) = nw;
  s.BUF14(2) = 0;
  int w = 0;
  for (int F = 1; F <= nped; ++F) {
    const Family& fam = fams[static_cast<size_t>(F - 1)];
    int ni = 0;
    for (const Member& m : fam.members) {
      ++p;
      s.TRAIT(p) = m.trait;
      s.PROB(p) = m.prob;
      s.SEX(p) = m.sex;
      for (int j = 1; j <= ncov; ++j)
        s.COV(j, p) = j <= static_cast<int>(m.cov.size()) ? m.cov[static_cast<size_t>(j - 1)] : 0;
      if (m.prob != 0 && m.trait != 3) ++ni;
    }
    s.BUF1(F + 2) = p;
    for (const Way& way : fam.ways) {
      ++w;
      for (int m : way.members) s.BUF16(++len) = m;
      s.BUF14(w + 2) = len;
      s.BUF15(w) = way.link;
    }
    s.BUF3(F + 2) = w;
    s.LUK(F) = 1;
    s.NG(F) = ni == 0 ? 0.0 : 1.0 / ni;
  }
  s.HIPOT.NCOV = ncov;
  TestConsole tc;
  try {
    kinfit::check_sample(s, tc.con, "test sample", nped, nw + 2, len, p);
  } catch (const kin::RunStop&) {
    throw std::runtime_error("test sample refused: " + tc.text());
  }
  kinfit::set_parents_counts(s);
}

void set_params(kinfit::KinfitState& s, const Params& p) {
  s.NPAR() = 20;
  for (int i = 1; i <= 20; ++i) {
    s.LINK(i) = i;
    s.IUSE(i) = 1;
    s.IEST(i) = 0;
    s.GL(i) = -1000.0;
    s.GR(i) = 1000.0;
  }
  s.IUSE(5) = p.sex_effects ? 1 : 0;
  s.IUSE(8) = p.free_transmission ? 1 : 0;
  s.X(1) = p.q;
  for (int g = 1; g <= 3; ++g) {
    s.X(1 + g) = p.w[g - 1];
    s.X(4 + g) = p.v[g - 1];
    s.X(7 + g) = p.tr[g - 1];
  }
  for (int j = 1; j <= 8; ++j) s.X(10 + j) = p.d[j - 1];
  s.X(19) = p.ro[0];
  s.X(20) = p.ro[1];
}

void derive(kinfit::KinfitState& s) {
  double fstat = 0.0;
  kinfit::STAP0(s, fstat);
  if (fstat != 1.0) throw std::runtime_error("test parameters refused by the set-up");
}

std::unique_ptr<kinfit::KinfitState> make_state(const std::vector<Family>& fams, int ncov,
                                                const Params& p) {
  auto s = std::make_unique<kinfit::KinfitState>();
  load_sample(*s, fams, ncov);
  set_params(*s, p);
  derive(*s);
  return s;
}

// ---------------------------------------------------------------------------
// Random pedigrees.

namespace {

struct Growing {
  std::vector<Member> members;  // index = person id
  struct W {
    int fa, mo;
    std::vector<int> kids;
    int via = -1;      // person shared with the way it hangs on
    int parent = -1;   // that way (tree parent), -1 for the root
  };
  std::vector<W> ways;
  std::vector<int> child_of;  // way in which the person is a child, -1 founder
};

int pick(std::mt19937& rng, int lo, int hi) {
  return std::uniform_int_distribution<int>(lo, hi)(rng);
}
bool chance(std::mt19937& rng, double p) { return std::bernoulli_distribution(p)(rng); }

Member random_member(std::mt19937& rng, int ncov, int sex) {
  Member m;
  const int t = pick(rng, 0, 9);
  m.trait = t < 4 ? 1 : t < 8 ? 2 : 3;
  const int pr = pick(rng, 0, 5);
  m.prob = pr == 0 ? 0 : pr == 1 ? 1 : 2;
  m.sex = sex;
  for (int j = 0; j < ncov; ++j) m.cov.push_back(pick(rng, -3, 4));
  return m;
}

int add_person(Growing& g, std::mt19937& rng, int ncov, int sex) {
  g.members.push_back(random_member(rng, ncov, sex));
  g.child_of.push_back(-1);
  return static_cast<int>(g.members.size()) - 1;
}

// One connected group; returns the ways in peeling order with person ids.
void grow_group(Growing& g, std::mt19937& rng, int ncov, int budget,
                std::vector<std::pair<std::vector<int>, int>>& out) {
  const int first_way = static_cast<int>(g.ways.size());
  auto new_way = [&](int fa, int mo, int nkids, int first_kid, int via, int parent) {
    Growing::W w{fa, mo, {}, via, parent};
    const int wi = static_cast<int>(g.ways.size());
    if (first_kid >= 0) {
      w.kids.push_back(first_kid);
      g.child_of[static_cast<size_t>(first_kid)] = wi;
    }
    for (int c = 0; c < nkids; ++c) {
      const int k = add_person(g, rng, ncov, pick(rng, 1, 2));
      w.kids.push_back(k);
      g.child_of[static_cast<size_t>(k)] = wi;
    }
    g.ways.push_back(w);
    return wi;
  };
  int used = 0;
  {
    const int fa = add_person(g, rng, ncov, 1);
    const int mo = add_person(g, rng, ncov, 2);
    new_way(fa, mo, pick(rng, 1, std::min(3, budget - 2)), -1, -1, -1);
    used = 2 + static_cast<int>(g.ways.back().kids.size());
  }
  // Grow from the persons of the group, in order of appearance.
  for (int wi = first_way; wi < static_cast<int>(g.ways.size()); ++wi) {
    std::vector<int> persons = {g.ways[static_cast<size_t>(wi)].fa,
                                g.ways[static_cast<size_t>(wi)].mo};
    for (int k : g.ways[static_cast<size_t>(wi)].kids) persons.push_back(k);
    for (int p : persons) {
      const int room = budget - used;
      if (room < 3) break;
      const bool founder = g.child_of[static_cast<size_t>(p)] < 0;
      if (founder && chance(rng, 0.35)) {
        // Parents for p: p is the first child of the new way.
        const int nkids = pick(rng, 0, std::min(2, room - 2));
        const int fa = add_person(g, rng, ncov, 1);
        const int mo = add_person(g, rng, ncov, 2);
        new_way(fa, mo, nkids, p, p, wi);
        used += 2 + nkids;
      } else if (chance(rng, 0.3) && budget - used >= 2) {
        // A spouse for p, and children.
        const int nkids = pick(rng, 1, std::min(3, budget - used - 1));
        const int sp = add_person(g, rng, ncov, 3 - g.members[static_cast<size_t>(p)].sex);
        if (g.members[static_cast<size_t>(p)].sex == 1)
          new_way(p, sp, nkids, -1, p, wi);
        else
          new_way(sp, p, nkids, -1, p, wi);
        used += 1 + nkids;
      }
    }
  }
  // Peeling order: every way after the ways that hang on it (post-order from
  // the first way); the link person is the one it shares with its tree parent.
  std::function<void(int)> visit = [&](int wi) {
    for (int c = first_way; c < static_cast<int>(g.ways.size()); ++c)
      if (g.ways[static_cast<size_t>(c)].parent == wi) visit(c);
    const auto& w = g.ways[static_cast<size_t>(wi)];
    std::vector<int> list = {w.fa, w.mo};
    for (int k : w.kids) list.push_back(k);
    out.push_back({list, w.via < 0 ? -1 : w.via});
  };
  visit(first_way);
}

}  // namespace

Family random_family(std::mt19937& rng, int ncov, int max_in_ways, int max_unattached) {
  Growing g;
  std::vector<std::pair<std::vector<int>, int>> ways;  // person ids; link id or -1
  if (max_in_ways >= 3 && !chance(rng, 0.05)) {
    const bool two = max_in_ways >= 6 && chance(rng, 0.25);
    const int budget = two ? max_in_ways / 2 : max_in_ways;
    grow_group(g, rng, ncov, budget, ways);
    const int left = max_in_ways - static_cast<int>(g.members.size());
    if (two && left >= 3) grow_group(g, rng, ncov, left, ways);
  }
  const int unattached = pick(rng, 0, max_unattached);
  for (int u = 0; u < unattached; ++u) add_person(g, rng, ncov, pick(rng, 1, 2));
  if (g.members.empty()) add_person(g, rng, ncov, 1);

  // Shuffle the member numbers.
  const int n = static_cast<int>(g.members.size());
  std::vector<int> number(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) number[static_cast<size_t>(i)] = i + 1;
  std::shuffle(number.begin(), number.end(), rng);
  Family fam;
  fam.members.resize(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i)
    fam.members[static_cast<size_t>(number[static_cast<size_t>(i)] - 1)] =
        g.members[static_cast<size_t>(i)];
  for (const auto& [list, link] : ways) {
    Way w;
    for (int id : list) w.members.push_back(number[static_cast<size_t>(id)]);
    w.link = link < 0 ? 0 : number[static_cast<size_t>(link)];
    fam.ways.push_back(w);
  }
  return fam;
}

Params random_params(std::mt19937& rng, int ncov) {
  std::uniform_real_distribution<double> u(-1.5, 1.5);
  Params p;
  p.q = std::uniform_real_distribution<double>(0.05, 0.95)(rng);
  double w[3] = {u(rng), u(rng), u(rng)};
  std::sort(w, w + 3);
  for (int g = 0; g < 3; ++g) p.w[g] = w[g];
  p.sex_effects = chance(rng, 0.5);
  for (double& v : p.v) v = u(rng);
  p.free_transmission = chance(rng, 0.5);
  for (double& t : p.tr) t = std::uniform_real_distribution<double>(0.0, 1.0)(rng);
  for (int j = 0; j < ncov; ++j) p.d[j] = 0.3 * u(rng);
  p.ro[0] = u(rng);
  p.ro[1] = u(rng);
  return p;
}

// ---------------------------------------------------------------------------
// Brute force.

namespace {

double logistic_probability(const Member& m, const Params& p, int g, int nU, int nA) {
  double x = 0.0;
  for (size_t j = 0; j < m.cov.size(); ++j) x += m.cov[j] * p.d[j];
  x += p.w[g] + (m.sex == 2 && p.sex_effects ? p.v[g] : 0.0);
  x += nU * p.ro[0] + nA * p.ro[1];
  const double affected = 1.0 / (1.0 + std::exp(-x));
  return m.trait == 2 ? affected : 1.0 - affected;
}

// Likelihood of the family with only the traits that `counts` selects.
double likelihood(const Family& fam, const Params& p, const std::function<bool(const Member&)>& counts) {
  const int n = static_cast<int>(fam.members.size());
  const double freq[3] = {p.q * p.q, 2 * p.q * (1 - p.q), (1 - p.q) * (1 - p.q)};
  const double tau[3] = {p.free_transmission ? p.tr[0] : 1.0,
                         p.free_transmission ? p.tr[1] : 0.5,
                         p.free_transmission ? p.tr[2] : 0.0};
  // Probability that a parent of genotype g passes the Q allele is tau[g];
  // a child has genotype 0 (QQ), 1 (one Q) or 2 (none).
  auto transmission = [&](int gc, int gf, int gm) {
    const double a = tau[gf], b = tau[gm];
    return gc == 0 ? a * b : gc == 1 ? a * (1 - b) + (1 - a) * b : (1 - a) * (1 - b);
  };
  std::vector<int> father(static_cast<size_t>(n + 1), 0), mother(static_cast<size_t>(n + 1), 0);
  std::vector<bool> in_way(static_cast<size_t>(n + 1), false);
  for (const Way& w : fam.ways) {
    for (int m : w.members) in_way[static_cast<size_t>(m)] = true;
    for (size_t i = 2; i < w.members.size(); ++i) {
      father[static_cast<size_t>(w.members[i])] = w.members[0];
      mother[static_cast<size_t>(w.members[i])] = w.members[1];
    }
  }
  auto pen = [&](int m, int g) {
    const Member& mem = fam.members[static_cast<size_t>(m - 1)];
    if (mem.trait == 3 || !counts(mem)) return 1.0;
    int nU = 0, nA = 0;
    for (int par : {father[static_cast<size_t>(m)], mother[static_cast<size_t>(m)]}) {
      if (par == 0) continue;
      const int t = fam.members[static_cast<size_t>(par - 1)].trait;
      nU += t == 1;
      nA += t == 2;
    }
    return logistic_probability(mem, p, g, nU, nA);
  };

  std::vector<int> ids;
  for (int m = 1; m <= n; ++m)
    if (in_way[static_cast<size_t>(m)]) ids.push_back(m);
  std::vector<int> geno(static_cast<size_t>(n + 1), 0);
  double total = 0.0;
  const size_t k = ids.size();
  long combos = 1;
  for (size_t i = 0; i < k; ++i) combos *= 3;
  for (long c = 0; c < combos; ++c) {
    long r = c;
    for (int id : ids) {
      geno[static_cast<size_t>(id)] = static_cast<int>(r % 3);
      r /= 3;
    }
    double prod = 1.0;
    for (int id : ids) {
      const int g = geno[static_cast<size_t>(id)];
      const int fa = father[static_cast<size_t>(id)];
      if (fa == 0)
        prod *= freq[g] * pen(id, g);
      else
        prod *= transmission(g, geno[static_cast<size_t>(fa)],
                             geno[static_cast<size_t>(mother[static_cast<size_t>(id)])]) *
                pen(id, g);
    }
    total += prod;
  }
  for (int m = 1; m <= n; ++m)
    if (!in_way[static_cast<size_t>(m)]) {
      double sm = 0.0;
      for (int g = 0; g < 3; ++g) sm += freq[g] * pen(m, g);
      total *= sm;
    }
  return total;
}

}  // namespace

double brute_force_contribution(const Family& fam, const Params& p, int mode) {
  const double all = std::log(likelihood(fam, p, [](const Member&) { return true; }));
  bool has0 = false;
  for (const Member& m : fam.members) has0 = has0 || m.prob == 0;
  if (mode == 0 && !has0) return all;
  const auto conditioning = [mode](const Member& m) {
    return mode == 1 ? m.prob != 2 : m.prob == 0;
  };
  return all - std::log(likelihood(fam, p, conditioning));
}

}  // namespace kintest
