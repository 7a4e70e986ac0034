// Timing of pedigree drawings (layout and SVG) for the report, on kinsim's
// pedigrees with marriages of first cousins: the 230-person benchmark
// pedigree with one loop, and a larger one with several (not part of the tests).
#include <benchmark/benchmark.h>

#include <string>

#include "pedigree/sample.hpp"
#include "report/pedigree_layout.hpp"
#include "report/pedigree_svg.hpp"
#include "tools/kinseg_sample.hpp"
#include "tools/settings.hpp"
#include "tools/simulate.hpp"

namespace {

// The largest pedigree of the sample alone.
kinseg::Sample largest(const kinseg::Sample& all) {
  int best = 0;
  for (int k = 1; k < all.pedigrees(); ++k)
    if (all.size(k) > all.size(best)) best = k;
  kinseg::Sample s;
  const int base = all.first(best);
  s.pedigree_ids = {all.pedigree_ids[static_cast<size_t>(best)]};
  s.start = {0, all.size(best)};
  for (int p = base; p < all.end(best); ++p) {
    s.ids.push_back(all.ids[static_cast<size_t>(p)]);
    s.father.push_back(all.father[static_cast<size_t>(p)] < 0 ? -1 : all.father[static_cast<size_t>(p)] - base);
    s.mother.push_back(all.mother[static_cast<size_t>(p)] < 0 ? -1 : all.mother[static_cast<size_t>(p)] - base);
    s.sex.push_back(all.sex[static_cast<size_t>(p)]);
    s.trait.push_back(all.trait[static_cast<size_t>(p)]);
    s.proband.push_back(all.proband[static_cast<size_t>(p)]);
    s.line.push_back(all.line[static_cast<size_t>(p)]);
  }
  return s;
}

kinseg::Sample loop_230() {
  const kinsim::Settings s = kinsim::read_settings(KINSEG_BENCH_DIR "/loop_230.settings");
  return kinsim::kinseg_sample(s, kinsim::draw_sample(s, *s.seed));
}

// The largest of a few pedigrees of `generations` generations below the
// founders (kinsim draws at most 5), first cousins marrying.
kinseg::Sample big(int generations, uint64_t seed) {
  const kinsim::Settings s = kinsim::parse_settings(
      "families = 4\ngenerations = " + std::to_string(generations) +
          "\nchildren = poisson 4 1\nmarry = 0.8\ncousins = 0.1\nlimits = none\nascertainment = single 0.3\n",
      "settings");
  return largest(kinsim::kinseg_sample(s, kinsim::draw_sample(s, seed)));
}

void Draw(benchmark::State& state, const kinseg::Sample& sample) {
  std::vector<double> carrier(static_cast<size_t>(sample.size(0)), 0.5);
  size_t bytes = 0;
  for (auto _ : state) {
    const std::string svg = kinseg::report::draw_pedigree(sample, 0, carrier);
    bytes = svg.size();
    benchmark::DoNotOptimize(svg.data());
  }
  state.counters["persons"] = sample.size(0);
  state.counters["svg_kB"] = static_cast<double>(bytes) / 1000.0;
}

}  // namespace

int main(int argc, char** argv) {
  const kinseg::Sample p230 = loop_230();
  const kinseg::Sample five = big(5, 11);
  benchmark::RegisterBenchmark("DrawLoop230", Draw, p230)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("DrawLargest", Draw, five)->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
