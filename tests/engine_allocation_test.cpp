// An evaluation allocates nothing, on any thread: every allocation of the
// test program is counted (operator new replaced), and evaluations after the
// first, at other points, with loops and several threads, must add none.
// Under the sanitizers, whose allocator must stay in place, the test is
// skipped.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>

#include "engine/engine.hpp"
#include "tests/support/kinfit_families.hpp"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KINSEG_COUNT_ALLOCATIONS 0
#else
#define KINSEG_COUNT_ALLOCATIONS 1
#endif

namespace {
std::atomic<long> allocations{0};
}  // namespace

#if KINSEG_COUNT_ALLOCATIONS
void* operator new(std::size_t n) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(n > 0 ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#endif

namespace {

using kintest::Row;

TEST(EngineAllocation, EvaluationsAllocateNothing) {
  if (!KINSEG_COUNT_ALLOCATIONS) GTEST_SKIP() << "the sanitizers' allocator is not replaced";
  std::mt19937 rng(5);
  std::vector<kintest::Family> fams;
  for (int F = 0; F < 60; ++F) fams.push_back(kintest::random_family(rng, 2, 40, 2));
  kinseg::Sample s = kintest::sample_of(fams, 2);
  auto founder = [](int sex) {
    Row r;
    r.sex = sex;
    r.trait = 1;
    return r;
  };
  auto child = [](int fa, int mo, int sex, int trait, int prob) {
    Row r;
    r.fa = fa;
    r.mo = mo;
    r.sex = sex;
    r.trait = trait;
    r.prob = prob;
    return r;
  };
  kintest::add_pedigree(s, "cousins",
                        {founder(1), founder(2), child(1, 2, 1, 1, 2), child(1, 2, 2, 3, 2), founder(2), founder(1),
                         child(3, 5, 1, 2, 2), child(6, 4, 2, 1, 2), child(7, 8, 1, 2, 1), child(7, 8, 2, 1, 2)});
  kinseg::EngineOptions opt;
  opt.threads = 3;
  kinseg::Engine engine(s, opt);
  std::vector<kinseg::Point> points;
  for (int i = 0; i < 4; ++i) points.push_back(kintest::point_of(kintest::random_params(rng, 2), 2));
  engine.evaluate(points[0]);
  const long before = allocations.load();
  for (const kinseg::Point& p : points) engine.evaluate(p);
  EXPECT_EQ(allocations.load() - before, 0);
  EXPECT_TRUE(std::isfinite(engine.evaluate(points[1])));
}

}  // namespace
