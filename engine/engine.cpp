#include "engine/engine.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <thread>

#include "engine/conditioning.hpp"
#include "engine/family_evaluation.hpp"
#include "engine/model_quantities.hpp"
#include "engine/penetrance_run.hpp"
#include "engine/structure_check.hpp"
#include "engine/thread_pool.hpp"

namespace kinseg {

namespace {

// A task of an evaluation: consecutive families whose persons are
// consecutive too, [p0, p1). The task computes their penetrances into work
// space of its thread, where they stay in the cache until its families are
// peeled.
struct Chunk {
  int family_begin = 0, family_end = 0;
  int p0 = 0, p1 = 0;
};

// Work space of one thread.
struct ThreadSpace {
  FamilyWorkspace family;
  std::vector<double> pen;  // the penetrances of a chunk's persons
};

// Persons per task: few enough that the penetrances a task computes are still
// in the cache when its families read them, and that the work spreads evenly
// over the threads; enough that handing a task over costs nothing.
int chunk_persons(long persons, int threads) {
  return static_cast<int>(std::clamp<long>(persons / (8L * threads), 256, 2048));
}

}  // namespace

struct Engine::Impl {
  int ncov = 0;
  std::vector<ScanNote> notes;

  // Person records, indexed by person number.
  std::vector<int32_t> trait, sex, prob, parents;
  std::vector<double> cov;
  std::vector<double> age;  // ages of onset or last observation; empty without them
  // When the sample has few distinct ages (whole years, say): those ages in
  // increasing order, each person's place among them, and the point's table of
  // the three genotypes' age-of-onset distributions at each.
  std::vector<double> age_values;
  std::vector<int32_t> age_class;
  std::vector<kin::LogisticAge> age_table;

  // Analysed families and their nuclear families in flat arrays.
  std::vector<int> pedigree;          // per family
  std::vector<EngineFamily> family;   // pointers into the arrays below
  std::vector<EliminationCost> costs; // per family
  std::vector<int32_t> way_begin, way_list, way_link, breakers;
  std::vector<int> way_offset, breaker_offset;  // per family, where its entries begin
  int max_members = 0, max_ways = 0, max_entries = 0;
  // The plans of the pedigrees with loops and their tables, one per family
  // (null for a family peeled).
  std::vector<std::unique_ptr<EliminationPlan>> plans;
  std::vector<std::unique_ptr<EliminationSpace>> tables;

  std::vector<Chunk> chunks;

  std::unique_ptr<ThreadPool> pool;
  std::vector<ThreadSpace> space;  // one per thread

  // The current point.
  std::vector<double> d;
  ModelQuantities q;
  kin::PersonRecords<double> persons;

  std::vector<FamilyLikelihood> results;
  GenotypeProbabilities* genotypes = nullptr;  // set while they are computed

  void build(const Sample& s, const std::vector<PedigreeStructure>* given, const EngineOptions& o);
  void copy_persons(const Sample& s, const FamilySelection& sel);
  // Adds pedigree k as an analysed family; a refusal line when it cannot be.
  std::string add_pedigree(const Sample& s, int k, const PedigreeStructure* given, const EngineOptions& o,
                           bool& over_limit);
  void add_ways(const std::vector<NuclearFamily>& fams, const std::vector<int>& breaker_list, EngineFamily& f);
  void point_families();
  void plan_tasks(int threads);
  void set_point(const Point& point);
  // The penetrances of the chunk's persons, in the thread's work space, and
  // the records the genotype tables read with them.
  kin::PassRecords penetrances(const Chunk& c, ThreadSpace& t) const {
    kin::penetrances_of_run(persons, q.penetrance, c.p0, c.p1, t.pen.data());
    kin::PassRecords r;
    r.trait = trait.data();
    r.prob = prob.data();
    r.pen = t.pen.data();
    r.pen_first = c.p0;
    return r;
  }
  static void evaluate_chunk(void* self, int task, int thread);
  static void genotypes_of_chunk(void* self, int task, int thread);
};

PedigreeWay pedigree_way(const Sample& s, int k, LoopMethod method) {
  PedigreeWay w;
  w.families = nuclear_families(s, k);
  w.cost.loops = independent_loops(w.families, s.size(k));
  // Every breaker removes one loop: a pedigree needs as many as it has loops.
  if (w.cost.loops == 0 || method == LoopMethod::kBreakers ||
      (method == LoopMethod::kFastest && w.cost.loops <= kFastBreakers)) {
    try {
      w.structure = pedigree_structure(s, k);
      w.peeled = true;
      w.cost.breakers = static_cast<int>(w.structure.breakers.size());
      w.cost.seconds = breaking_seconds(w.cost.breakers, s.size(k));
      return w;
    } catch (const std::logic_error& e) {
      // A loop that no duplication breaks: summed out instead, unless
      // breaking was asked for.
      if (method == LoopMethod::kBreakers) {
        w.refusal = std::string("its loops cannot be broken (") + e.what() + ")";
        return w;
      }
    }
  }
  w.plan = std::make_unique<EliminationPlan>(elimination_plan(w.families, s.size(k)));
  w.cost = elimination_cost(*w.plan, w.cost.loops);
  return w;
}

EliminationCost pedigree_cost(const Sample& s, int k) { return pedigree_way(s, k, LoopMethod::kFastest).cost; }

std::string too_wide_text(const std::string& pedigree_id, const EliminationCost& cost, int max_width) {
  return "pedigree " + pedigree_id + ": " + elimination_cost_text(cost) + ": wider than the limit of " +
         std::to_string(max_width) +
         " persons; split the pedigree into smaller ones (cut it at distant ancestors or marriages that join "
         "large branches) or raise --max-width";
}

void Engine::Impl::build(const Sample& s, const std::vector<PedigreeStructure>* given, const EngineOptions& o) {
  if (o.threads < 0) throw std::invalid_argument("the number of threads cannot be negative");
  if (o.max_width < 1 || o.max_width > kMaxWidth)
    throw std::invalid_argument("the width limit must lie in 1.." + std::to_string(kMaxWidth));
  if (given && static_cast<int>(given->size()) != s.pedigrees())
    throw std::invalid_argument("one pedigree structure per pedigree is needed");
  ncov = s.ncov();
  if (s.covariates.size() != static_cast<size_t>(s.persons()) * ncov)
    throw std::invalid_argument("the sample's covariates do not match its persons");
  FamilySelection sel = select_families(s, o.ascertainment);
  notes = std::move(sel.notes);
  copy_persons(s, sel);

  // The pedigrees that cannot be evaluated are collected and refused together.
  std::string refusals;
  int over_limit = 0;
  for (int k : sel.analysed) {
    bool over = false;
    refusals += add_pedigree(s, k, given ? &(*given)[k] : nullptr, o, over);
    over_limit += over;
  }
  if (!refusals.empty()) {
    refusals.pop_back();
    throw EngineRefusal(refusals, over_limit);
  }
  point_families();
  results.assign(family.size(), FamilyLikelihood{});
  plan_tasks(o.threads > 0 ? o.threads : std::max(1, static_cast<int>(std::thread::hardware_concurrency())));
}

// The records the penetrances and the genotype tables read, by person.
void Engine::Impl::copy_persons(const Sample& s, const FamilySelection& sel) {
  const int n = s.persons();
  trait.assign(s.trait.begin(), s.trait.end());
  prob.assign(sel.proband.begin(), sel.proband.end());
  sex.resize(n);
  parents.resize(n);
  for (int p = 0; p < n; ++p) {
    sex[p] = s.sex[p] == kFemale ? 2 : 1;
    if (s.father[p] < 0 || s.mother[p] < 0) {
      parents[p] = -1;
    } else {
      parents[p] = kin::parents_code(s.trait[s.father[p]], s.trait[s.mother[p]]);
    }
  }
  cov = s.covariates;
  if (s.has_onset()) {
    if (static_cast<int>(s.onset.size()) != n) throw std::invalid_argument("the sample's ages do not match its persons");
    for (int p = 0; p < n; ++p)
      if (s.trait[p] != kUnknownTrait && !std::isfinite(s.onset[p]))
        throw std::invalid_argument("person " + s.ids[p] + " has a known trait but no age");
    age = s.onset;
    for (double a : age)
      if (std::isfinite(a)) age_values.push_back(a);
    std::sort(age_values.begin(), age_values.end());
    age_values.erase(std::unique(age_values.begin(), age_values.end()), age_values.end());
    // Tabled only when it saves most of the work: a table as long as the
    // sample would move the persons' exponentials out of the threads.
    if (4 * age_values.size() <= age.size()) {
      age_class.assign(age.size(), 0);
      for (size_t p = 0; p < age.size(); ++p)
        if (std::isfinite(age[p]))
          age_class[p] = static_cast<int32_t>(std::lower_bound(age_values.begin(), age_values.end(), age[p]) -
                                              age_values.begin());
      age_table.resize(3 * age_values.size());
    } else {
      age_values.clear();
    }
  }
  persons.trait = trait.data();
  persons.sex = sex.data();
  persons.cov = cov.data();
  persons.cov_stride = ncov;
  persons.parents = parents.data();
  persons.age = age.empty() ? nullptr : age.data();
  persons.age_class = age_class.empty() ? nullptr : age_class.data();
}

std::string Engine::Impl::add_pedigree(const Sample& s, int k, const PedigreeStructure* given,
                                       const EngineOptions& o, bool& over_limit) {
  EngineFamily f;
  f.mode = o.ascertainment == Ascertainment::kProband ? 1 : 0;
  f.conditioning = kin::conditioning_pass(f.mode, kin::any_always_conditioned(prob.data(), s.first(k), s.end(k)));
  f.peeling.persons = s.size(k);
  f.peeling.base = s.first(k) - 1;
  PedigreeWay way;
  if (given) {
    way.structure = *given;
    way.peeled = true;
  } else {
    way = pedigree_way(s, k, o.loops);
    if (!way.refusal.empty()) return "pedigree " + s.pedigree_ids[k] + ": " + way.refusal + "\n";
  }
  const EliminationCost cost = way.cost;
  std::unique_ptr<EliminationPlan> plan = std::move(way.plan);
  if (way.peeled) {
    const PedigreeStructure& ps = way.structure;
    check_structure(ps, s.size(k), s.pedigree_ids[k]);
    f.peeling.members = ps.members();
    f.nbreakers = static_cast<int>(ps.breakers.size());
    add_ways(ps.families, ps.breakers, f);
  } else {
    // The genotypes summed out in the plan's order; the nuclear families,
    // without links, only fill the genotype work table.
    if (plan->width > o.max_width) {
      over_limit = true;
      return too_wide_text(s.pedigree_ids[k], cost, o.max_width) + "\n";
    }
    f.peeling.members = s.size(k);
    add_ways(way.families, {}, f);
  }
  pedigree.push_back(k);
  family.push_back(f);
  costs.push_back(cost);
  if (plan) {
    tables.push_back(std::make_unique<EliminationSpace>());
    tables.back()->reserve(*plan);
  } else {
    tables.push_back(nullptr);
  }
  plans.push_back(std::move(plan));
  return "";
}

// Appends the family's nuclear families (and its breakers) to the flat arrays.
void Engine::Impl::add_ways(const std::vector<NuclearFamily>& fams, const std::vector<int>& breaker_list,
                            EngineFamily& f) {
  f.peeling.ways.count = static_cast<int>(fams.size());
  way_offset.push_back(static_cast<int>(way_begin.size()));
  for (const NuclearFamily& nf : fams) {
    way_begin.push_back(static_cast<int32_t>(way_list.size()));
    way_link.push_back(nf.link + 1);
    way_list.push_back(nf.father + 1);
    way_list.push_back(nf.mother + 1);
    for (int c : nf.children) way_list.push_back(c + 1);
  }
  way_begin.push_back(static_cast<int32_t>(way_list.size()));
  breaker_offset.push_back(static_cast<int>(breakers.size()));
  for (int b : breaker_list) breakers.push_back(b + 1);
  max_members = std::max(max_members, f.peeling.members);
  max_ways = std::max(max_ways, f.peeling.ways.count);
  max_entries = std::max(max_entries, static_cast<int>(way_list.size()) - way_begin[way_offset.back()]);
}

// The arrays are complete: point the families into them. way_link has one
// entry per way, way_begin one more per family.
void Engine::Impl::point_families() {
  int links = 0;
  for (size_t i = 0; i < family.size(); ++i) {
    kin::Ways& w = family[i].peeling.ways;
    w.begin = way_begin.data() + way_offset[i];
    w.list = way_list.data();
    w.link = way_link.data() + links;
    links += w.count;
    family[i].breakers = breakers.data() + breaker_offset[i];
    family[i].plan = plans[i].get();
    family[i].elimination = tables[i].get();
  }
}

// The tasks of an evaluation, the threads and their work space.
void Engine::Impl::plan_tasks(int threads) {
  long analysed_persons = 0;
  for (const EngineFamily& f : family) analysed_persons += f.peeling.persons;
  const int target = chunk_persons(analysed_persons, threads);
  int widest = 0;
  for (size_t i = 0; i < family.size();) {
    Chunk c;
    c.family_begin = static_cast<int>(i);
    c.p0 = c.p1 = family[i].peeling.base + 1;
    while (i < family.size() && c.p1 - c.p0 < target && family[i].peeling.base + 1 == c.p1) {
      c.p1 += family[i].peeling.persons;
      ++i;
    }
    c.family_end = static_cast<int>(i);
    widest = std::max(widest, c.p1 - c.p0);
    chunks.push_back(c);
  }

  pool = std::make_unique<ThreadPool>(threads);
  space.resize(threads);
  for (ThreadSpace& t : space) {
    t.family.reserve(max_members, max_ways, max_entries);
    t.pen.assign(3 * static_cast<size_t>(widest), 0.0);
  }
  d.reserve(ncov);
}

void Engine::Impl::set_point(const Point& point) {
  check_point(point, ncov);
  if (point.onset && age.empty()) throw std::invalid_argument("an age-of-onset model needs the sample's ages");
  derive_quantities(point, d, q);
  q.penetrance.age_table = nullptr;
  if (point.onset && !age_table.empty()) {
    for (size_t c = 0; c < age_values.size(); ++c)
      for (int g = 0; g < 3; ++g)
        age_table[3 * c + g] = kin::logistic_age(age_values[c], q.penetrance.m[g], q.penetrance.s[g]);
    q.penetrance.age_table = age_table.data();
  }
}

void Engine::Impl::evaluate_chunk(void* self, int task, int thread) {
  Impl& e = *static_cast<Impl*>(self);
  const Chunk& c = e.chunks[task];
  ThreadSpace& t = e.space[thread];
  const kin::PassRecords r = e.penetrances(c, t);
  for (int i = c.family_begin; i < c.family_end; ++i)
    e.results[i] = evaluate_family(e.family[i], r, e.q, t.family);
}

void Engine::Impl::genotypes_of_chunk(void* self, int task, int thread) {
  Impl& e = *static_cast<Impl*>(self);
  const Chunk& c = e.chunks[task];
  GenotypeProbabilities& out = *e.genotypes;
  ThreadSpace& t = e.space[thread];
  const kin::PassRecords r = e.penetrances(c, t);
  for (int i = c.family_begin; i < c.family_end; ++i) {
    const EngineFamily& f = e.family[i];
    e.results[i] = evaluate_family(f, r, e.q, t.family);
    if (e.results[i].refused) continue;
    const size_t first = static_cast<size_t>(f.peeling.base + 1);
    const size_t count = static_cast<size_t>(f.peeling.persons);
    if (!family_genotype_probabilities(f, r, e.q, t.family, &out.all[3 * first],
                                       &out.conditioning[3 * first])) {
      std::fill(&out.all[3 * first], &out.all[3 * first] + 3 * count, 0.0);
      std::fill(&out.conditioning[3 * first], &out.conditioning[3 * first] + 3 * count, 0.0);
      continue;
    }
    for (size_t p = first; p < first + count; ++p) {
      out.known[p] = 1;
      for (int g = 0; g < 3; ++g)
        out.penetrance[3 * p + g] = e.trait[p] != kUnknownTrait ? t.pen[3 * (p - c.p0) + g] : 1.0;
    }
  }
}

Engine::Engine(const Sample& sample, const EngineOptions& options) : impl_(std::make_unique<Impl>()) {
  impl_->build(sample, nullptr, options);
}

Engine::Engine(const Sample& sample, const std::vector<PedigreeStructure>& structures,
               const EngineOptions& options)
    : impl_(std::make_unique<Impl>()) {
  impl_->build(sample, &structures, options);
}

Engine::~Engine() = default;

const std::vector<ScanNote>& Engine::notes() const { return impl_->notes; }
int Engine::families() const { return static_cast<int>(impl_->family.size()); }
int Engine::pedigree(int family) const { return impl_->pedigree[family]; }
int Engine::loop_breakers(int family) const { return impl_->family[family].nbreakers; }
const EliminationCost& Engine::cost(int family) const { return impl_->costs[family]; }
int Engine::threads() const { return impl_->pool->threads(); }
std::vector<int8_t> Engine::proband_codes() const { return {impl_->prob.begin(), impl_->prob.end()}; }
const std::vector<FamilyLikelihood>& Engine::results() const { return impl_->results; }

double Engine::evaluate(const Point& point) {
  Impl& e = *impl_;
  e.set_point(point);
  e.pool->run(static_cast<int>(e.chunks.size()), &Impl::evaluate_chunk, &e);
  double total = 0.0;
  for (const FamilyLikelihood& r : e.results) total = total + r.contribution;
  return total;
}

GenotypeProbabilities Engine::genotype_probabilities(const Point& point) {
  Impl& e = *impl_;
  e.set_point(point);
  GenotypeProbabilities out;
  const size_t n = e.trait.size();
  out.all.assign(3 * n, 0.0);
  out.conditioning.assign(3 * n, 0.0);
  out.penetrance.assign(3 * n, 0.0);
  out.known.assign(n, 0);
  e.genotypes = &out;
  e.pool->run(static_cast<int>(e.chunks.size()), &Impl::genotypes_of_chunk, &e);
  e.genotypes = nullptr;
  return out;
}

}  // namespace kinseg
