// Timing of kinseg's likelihood engine (not part of the tests):
// - EngineVsKinfit: one thread, on the sample at the programs' limits (604
//   pedigrees, 4096 persons, proband ascertainment), against kinfit's sample
//   likelihood at the same point: each iteration times GENMMP and then the
//   engine; the counter is the median of engine / kinfit. Goal: at most 1.05.
// - TwoThreads: 28,014 persons with cousin marriages (bench/loops_28k.settings),
//   one thread then two threads; the counter is the median speed-up. Goal: at
//   least 1.7.
// - Linear: 25,010 persons (large_25k) then 999,933 (large_1m), one thread
//   each; the counter is the median ratio of the times. Goal: at most 45.
// - Loop230: the 230-person pedigree of loop_230.settings without its loop
//   (the cousin wife made a founder) then with it; the counter is the median
//   ratio. Goal: at most 3.5.
// - Genotypes: every person's genotype probabilities on the 28,014 persons,
//   one thread (for the record).
// Each pair is timed side by side within every iteration so that the machine's
// other work weighs on both alike. The samples are drawn in memory by the
// simulator from the settings files in bench/; before timing, the engine's
// total on the sample at the limits is checked against kinfit's, bit for bit.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/limit_sample.hpp"
#include "engine/engine.hpp"
#include "fit/likelihood.hpp"
#include "tools/kinseg_sample.hpp"
#include "tools/simulate.hpp"

namespace {

using Clock = std::chrono::steady_clock;

// ---------------------------------------------------------------------------
// Samples.

// kinfit's prepared sample as a kinseg sample with the same nuclear families.
struct FromKinfit {
  kinseg::Sample sample;
  std::vector<kinseg::PedigreeStructure> structures;
  kinseg::Point point;
};

FromKinfit from_kinfit(kinfit::KinfitState& s) {
  FromKinfit out;
  kinseg::Sample& k = out.sample;
  const int ncov = s.HIPOT.NCOV;
  for (int j = 1; j <= ncov; ++j) k.covariate_names.push_back("c" + std::to_string(j));
  k.start.push_back(0);
  for (int F = 1; F <= s.BUF1(1); ++F) {
    const int o = s.BUF1(F + 1), n = s.BUF1(F + 2) - o;
    const int first = k.persons();
    k.pedigree_ids.push_back(std::to_string(F));
    kinseg::PedigreeStructure ps;
    ps.size = n;
    for (int m = 1; m <= n; ++m) {
      const int p = o + m;
      k.ids.push_back(std::to_string(m));
      k.father.push_back(-1);
      k.mother.push_back(-1);
      k.sex.push_back(static_cast<int8_t>(s.SEX(p)));
      k.trait.push_back(static_cast<int8_t>(s.TRAIT(p)));
      k.proband.push_back(static_cast<int8_t>(s.PROB(p)));
      for (int j = 1; j <= ncov; ++j) k.covariates.push_back(s.COV(j, p));
      k.line.push_back(0);
    }
    for (int w = s.BUF3(F + 1) + 1; w <= s.BUF3(F + 2); ++w) {
      kinseg::NuclearFamily nf;
      const int b = s.BUF14(w + 1), e = s.BUF14(w + 2);
      nf.father = s.BUF16(b + 1) - 1;
      nf.mother = s.BUF16(b + 2) - 1;
      for (int i = b + 3; i <= e; ++i) {
        const int c = s.BUF16(i) - 1;
        nf.children.push_back(c);
        k.father[first + c] = first + nf.father;
        k.mother[first + c] = first + nf.mother;
      }
      nf.link = s.BUF15(w) - 1;
      ps.families.push_back(nf);
    }
    k.start.push_back(k.persons());
    out.structures.push_back(ps);
  }
  kinseg::Point& pt = out.point;
  pt.q = s.X(1);
  pt.sex_effect = s.IUSE(5) != 0;
  pt.free_transmission = s.IUSE(8) != 0;
  for (int g = 1; g <= 3; ++g) {
    pt.w[g - 1] = s.X(1 + g);
    pt.v[g - 1] = s.X(4 + g);
    pt.tau[g - 1] = s.X(7 + g);
  }
  for (int j = 1; j <= ncov; ++j) pt.d.push_back(s.X(10 + j));
  pt.ro[0] = s.X(19);
  pt.ro[1] = s.X(20);
  return out;
}

kinsim::Settings settings_of(const std::string& name) {
  return kinsim::read_settings(std::string(KINSEG_BENCH_DIR) + "/" + name + ".settings");
}

kinseg::Sample draw(const std::string& name) {
  const kinsim::Settings s = settings_of(name);
  return kinsim::kinseg_sample(s, kinsim::draw_sample(s, *s.seed));
}

// The point the samples were drawn at.
kinseg::Point truth(const std::string& name) { return kinsim::truth_point(settings_of(name)); }

kinseg::EngineOptions threads(int n) {
  kinseg::EngineOptions o;
  o.ascertainment = kinseg::Ascertainment::kProband;
  o.threads = n;
  return o;
}

// ---------------------------------------------------------------------------
// The subjects, built on first use.

struct Limits {
  FromKinfit k = from_kinfit(*kinbench::prepared().s);
  kinseg::Engine engine{k.sample, k.structures, threads(1)};
};
Limits& limits() {
  static Limits l;
  return l;
}

struct Sized {
  kinseg::Sample sample;
  kinseg::Point point;
  kinseg::Engine engine;
  Sized(const std::string& name, int nthreads)
      : sample(draw(name)), point(truth(name)), engine(sample, threads(nthreads)) {}
};
Sized& sized(const std::string& name, int nthreads) {
  static std::map<std::pair<std::string, int>, std::unique_ptr<Sized>> all;
  auto& s = all[{name, nthreads}];
  if (!s) s = std::make_unique<Sized>(name, nthreads);
  return *s;
}

struct LoopPedigree {
  kinseg::Sample with_loop = draw("loop_230");
  kinseg::Sample without = open_loop(with_loop);
  kinseg::Point point = truth("loop_230");
  kinseg::Engine loop{with_loop, threads(1)};
  kinseg::Engine tree{without, threads(1)};
  // The cousin wife, person 66, made a founder: her parents keep their other
  // children, nobody else changes.
  static kinseg::Sample open_loop(kinseg::Sample s) {
    const int p = static_cast<int>(std::find(s.ids.begin(), s.ids.end(), "66") - s.ids.begin());
    s.father[p] = s.mother[p] = -1;
    return s;
  }
};
LoopPedigree& loop230() {
  static LoopPedigree l;
  return l;
}

// ---------------------------------------------------------------------------
// Timing.

double seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

// Times `first` and then `second` in every iteration; the counter `ratio` is
// the median over the iterations of time(second) / time(first).
template <class A, class B>
void side_by_side(benchmark::State& state, A first, B second) {
  std::vector<double> ratios;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    benchmark::DoNotOptimize(first());
    const auto t1 = Clock::now();
    benchmark::DoNotOptimize(second());
    const auto t2 = Clock::now();
    ratios.push_back(seconds(t1, t2) / seconds(t0, t1));
  }
  std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
  state.counters["ratio"] = ratios.empty() ? 0.0 : ratios[ratios.size() / 2];
}

double genmmp() {
  double flh = 0.0;
  kinfit::GENMMP(*kinbench::prepared().s, flh);
  return flh;
}

void KinfitEvaluation(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(genmmp());
}
void EngineEvaluation(benchmark::State& state) {
  Limits& l = limits();
  for (auto _ : state) benchmark::DoNotOptimize(l.engine.evaluate(l.k.point));
}
// ratio: engine / kinfit.
void EngineVsKinfit(benchmark::State& state) {
  Limits& l = limits();
  side_by_side(state, genmmp, [&] { return l.engine.evaluate(l.k.point); });
}

// ratio: one thread / two threads, the speed-up.
void TwoThreads(benchmark::State& state) {
  Sized& two = sized("loops_28k", 2);
  Sized& one = sized("loops_28k", 1);
  side_by_side(state, [&] { return two.engine.evaluate(two.point); },
               [&] { return one.engine.evaluate(one.point); });
  state.counters["persons"] = one.sample.persons();
}

// The loop breakers of an engine's families: the most in one pedigree, and
// the number of peelings an evaluation makes (3^b per pedigree).
void breaker_counters(benchmark::State& state, const kinseg::Engine& e, const std::string& suffix) {
  int most = 0;
  double peelings = 0.0;
  for (int f = 0; f < e.families(); ++f) {
    most = std::max(most, e.loop_breakers(f));
    peelings += std::pow(3.0, e.loop_breakers(f));
  }
  state.counters["breakers_max" + suffix] = most;
  state.counters["peelings" + suffix] = peelings;
  state.counters["families" + suffix] = e.families();
}

// ratio: 10^6 persons / 25,000 persons.
void Linear(benchmark::State& state) {
  Sized& small = sized("large_25k", 1);
  Sized& large = sized("large_1m", 1);
  side_by_side(state, [&] { return small.engine.evaluate(small.point); },
               [&] { return large.engine.evaluate(large.point); });
  state.counters["persons"] = large.sample.persons();
  state.counters["persons_small"] = small.sample.persons();
  breaker_counters(state, large.engine, "");
  breaker_counters(state, small.engine, "_small");
}

// ratio: with the loop / without it.
void Loop230(benchmark::State& state) {
  LoopPedigree& l = loop230();
  side_by_side(state, [&] { return l.tree.evaluate(l.point); },
               [&] { return l.loop.evaluate(l.point); });
  state.counters["breakers"] = l.loop.loop_breakers(0);
}

// Every person's genotype probabilities on the 28,014 persons, one thread (a
// figure for the record; no goal).
void Genotypes(benchmark::State& state) {
  Sized& one = sized("loops_28k", 1);
  for (auto _ : state) benchmark::DoNotOptimize(one.engine.genotype_probabilities(one.point).all.data());
  state.counters["persons"] = one.sample.persons();
}

double least(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

BENCHMARK(KinfitEvaluation)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", least);
BENCHMARK(EngineEvaluation)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", least);
BENCHMARK(EngineVsKinfit)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", least);
BENCHMARK(TwoThreads)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", least);
BENCHMARK(Linear)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", least);
BENCHMARK(Loop230)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", least);
BENCHMARK(Genotypes)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", least);

// Collects the ratio counters of the side-by-side benchmarks: of every
// repetition when they are shown, else the median the aggregates give.
class Reporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, std::vector<double>> ratios;
  std::map<std::string, double> medians;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      if (r.error_occurred || !r.counters.count("ratio")) continue;
      const std::string name = r.run_name.function_name;
      if (r.run_type == Run::RT_Iteration) ratios[name].push_back(r.counters.at("ratio"));
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") medians[name] = r.counters.at("ratio");
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  const kinbench::ScratchDirectory scratch;
  if (!scratch.ok()) return 1;
  kinbench::prepare_limit_sample();
  const double kinfit_total = genmmp();
  const double engine_total = limits().engine.evaluate(limits().k.point);
  std::printf("Sample at the limits: kinfit %.17g, engine %.17g: %s\n", kinfit_total, engine_total,
              std::memcmp(&kinfit_total, &engine_total, sizeof(double)) == 0 ? "identical" : "DIFFERENT");

  Reporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const std::map<std::string, std::string> goals = {{"EngineVsKinfit", "engine / kinfit, at most 1.05"},
                                                    {"TwoThreads", "speed-up of two threads, at least 1.7"},
                                                    {"Linear", "10^6 / 25,000 persons, at most 45"},
                                                    {"Loop230", "with / without the loop, at most 3.5"}};
  for (const auto& [name, goal] : goals) {
    std::vector<double>& r = reporter.ratios[name];
    if (!r.empty()) {
      std::sort(r.begin(), r.end());
      std::printf("%-15s %.3f, median of %zu (least %.3f, most %.3f): %s\n", name.c_str(), r[r.size() / 2],
                  r.size(), r.front(), r.back(), goal.c_str());
    } else if (reporter.medians.count(name)) {
      std::printf("%-15s %.3f, median of the repetitions: %s\n", name.c_str(), reporter.medians[name], goal.c_str());
    }
  }

  kinbench::prepared().par_err.reset();
  benchmark::Shutdown();
  return 0;
}
