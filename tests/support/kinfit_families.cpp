#include "tests/support/kinfit_families.hpp"

#include <algorithm>
#include <functional>
#include <stdexcept>

#include "fit/setup.hpp"
#include "fit/work_table.hpp"
#include "fit/wwdat.hpp"
#include "tests/support/brute_force.hpp"
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
// The same families as a kinseg sample.

kinseg::Sample sample_of(const std::vector<Family>& fams, int ncov) {
  kinseg::Sample s = empty_sample(ncov);
  for (size_t F = 0; F < fams.size(); ++F) {
    const Family& fam = fams[F];
    std::vector<Row> rows(fam.members.size());
    for (size_t m = 0; m < fam.members.size(); ++m) {
      const Member& mem = fam.members[m];
      rows[m].sex = mem.sex;
      rows[m].trait = mem.trait;
      rows[m].prob = mem.prob;
      for (int j = 0; j < ncov; ++j)
        rows[m].cov.push_back(j < static_cast<int>(mem.cov.size()) ? mem.cov[static_cast<size_t>(j)] : 0);
    }
    for (const Way& w : fam.ways)
      for (size_t i = 2; i < w.members.size(); ++i) {
        rows[static_cast<size_t>(w.members[i] - 1)].fa = w.members[0];
        rows[static_cast<size_t>(w.members[i] - 1)].mo = w.members[1];
      }
    add_pedigree(s, std::to_string(F + 1), rows);
  }
  return s;
}

std::vector<kinseg::PedigreeStructure> structures_of(const std::vector<Family>& fams) {
  std::vector<kinseg::PedigreeStructure> out;
  for (const Family& fam : fams) {
    kinseg::PedigreeStructure ps;
    ps.size = static_cast<int>(fam.members.size());
    std::vector<bool> in(fam.members.size(), false);
    for (const Way& w : fam.ways) {
      kinseg::NuclearFamily nf;
      nf.father = w.members[0] - 1;
      nf.mother = w.members[1] - 1;
      for (size_t i = 2; i < w.members.size(); ++i) nf.children.push_back(w.members[i] - 1);
      nf.link = w.link - 1;
      for (int m : w.members) in[static_cast<size_t>(m - 1)] = true;
      ps.families.push_back(nf);
    }
    for (int m = 0; m < ps.size; ++m)
      if (!in[static_cast<size_t>(m)]) ps.unattached.push_back(m);
    out.push_back(ps);
  }
  return out;
}

kinseg::Point point_of(const Params& p, int ncov) {
  kinseg::Point pt;
  pt.q = p.q;
  pt.sex_effect = p.sex_effects;
  pt.free_transmission = p.free_transmission;
  for (int g = 0; g < 3; ++g) {
    pt.w[g] = p.w[g];
    pt.v[g] = p.v[g];
    pt.tau[g] = p.tr[g];
  }
  pt.d.assign(p.d, p.d + ncov);
  pt.ro[0] = p.ro[0];
  pt.ro[1] = p.ro[1];
  return pt;
}

double brute_force_contribution(const Family& fam, const Params& p, int mode) {
  int widest = 0;  // covariates a member lacks are 0
  for (const Member& m : fam.members) widest = std::max(widest, static_cast<int>(m.cov.size()));
  const kinseg::Sample s = sample_of({fam}, widest);
  return brute_force(s, 0, point_of(p, widest),
                     mode == 1 ? kinseg::Ascertainment::kProband : kinseg::Ascertainment::kNone)
      .contribution();
}

}  // namespace kintest
