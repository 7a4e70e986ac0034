// One evaluation of the sample likelihood with the age-of-onset terms against
// one of the binary model, on the same 28,014-person sample with loops
// (bench/loops_28k.settings with ages at onset drawn: carriers of a rare
// dominant gene ill earlier), the sex effect and the one covariate, under
// proband ascertainment: the goal is at most 1.3 times the binary model's.
//
//   kinseg_onset_bench [--benchmark_repetitions=10]
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "engine/engine.hpp"
#include "tools/kinseg_sample.hpp"
#include "tools/settings.hpp"
#include "tools/simulate.hpp"

namespace {

kinseg::Engine& engine() {
  static std::unique_ptr<kinseg::Engine> e = [] {
    kinsim::Settings s = kinsim::read_settings(std::string(KINSEG_BENCH_DIR) + "/loops_28k.settings");
    kinsim::Settings o = kinsim::parse_settings("onset = 45 45 62 6\n", "onset");
    s.onset = true;
    s.onset_mean = o.onset_mean;
    s.onset_spread = o.onset_spread;
    const kinsim::Sample drawn = kinsim::draw_sample(s, *s.seed);
    const kinseg::Sample sample = kinsim::kinseg_sample(s, drawn);
    kinseg::EngineOptions opt;
    opt.threads = 2;
    return std::make_unique<kinseg::Engine>(sample, opt);
  }();
  return *e;
}

kinseg::Point point(bool onset) {
  kinseg::Point p;
  p.q = 0.1;
  p.w[0] = p.w[1] = 1.0;
  p.w[2] = -2.0;
  p.sex_effect = true;
  p.v[0] = p.v[1] = p.v[2] = 0.3;
  p.d = {0.6};
  p.onset = onset;
  p.m[0] = p.m[1] = 45;
  p.m[2] = 62;
  p.s[0] = p.s[1] = p.s[2] = 6;
  return p;
}

void evaluate(benchmark::State& state, bool onset) {
  kinseg::Engine& e = engine();
  const kinseg::Point p = point(onset);
  for (auto _ : state) benchmark::DoNotOptimize(e.evaluate(p));
}

void Binary(benchmark::State& state) { evaluate(state, false); }
void Onset(benchmark::State& state) { evaluate(state, true); }

}  // namespace

// Wall time, and the processor time of the whole process (both threads): on
// a machine shared with other work the second is the steadier measure.
BENCHMARK(Binary)->Unit(benchmark::kMillisecond);
BENCHMARK(Onset)->Unit(benchmark::kMillisecond);
BENCHMARK(Binary)->Name("Binary/process_cpu")->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Onset)->Name("Onset/process_cpu")->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
