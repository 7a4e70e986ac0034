// The cost of pedigrees with loops (not part of the tests): for each kinsim
// settings file named on the command line, the sample is drawn in memory and
// evaluated by elimination (the engine's way) and, where its loops can be
// broken, by loop breaking (the former way), one thread each, at the truth of
// the settings. Printed per sample: persons, pedigrees with loops, loops, the
// widest elimination, the memory of the tables, the predicted and the
// measured time per evaluation (median of repeated evaluations), the time of
// every person's genotype probabilities, the breakers' time, and the largest
// relative difference of a family's ln L between the two ways.
//
//   loops_cost bench/isolate_1000.settings bench/loops_28k.settings
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "engine/engine.hpp"
#include "tools/kinseg_sample.hpp"
#include "tools/settings.hpp"
#include "tools/simulate.hpp"

namespace {

using Clock = std::chrono::steady_clock;

// Median seconds of fn over repeated runs, at least 5 and about 2 s in all.
template <class Fn>
double median_seconds(Fn&& fn) {
  std::vector<double> t;
  const auto begin = Clock::now();
  while (t.size() < 5 || (t.size() < 200 && std::chrono::duration<double>(Clock::now() - begin).count() < 2.0)) {
    const auto t0 = Clock::now();
    fn();
    t.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
  }
  std::nth_element(t.begin(), t.begin() + t.size() / 2, t.end());
  return t[t.size() / 2];
}

void measure(const std::string& path) {
  const kinsim::Settings settings = kinsim::read_settings(path);
  const uint64_t seed = settings.seed.value_or(1);
  const kinseg::Sample sample = kinsim::kinseg_sample(settings, kinsim::draw_sample(settings, seed));
  const kinseg::Point pt = kinsim::truth_point(settings);
  kinseg::EngineOptions o;
  o.threads = 1;
  o.ascertainment = kinseg::Ascertainment::kProband;
  o.max_width = kinseg::kMaxWidth;
  o.loops = kinseg::LoopMethod::kElimination;
  auto t0 = Clock::now();
  kinseg::Engine engine(sample, o);
  const double setup = std::chrono::duration<double>(Clock::now() - t0).count();
  int looped = 0, loops = 0, width = 0;
  double bytes = 0.0, predicted = 0.0;
  for (int f = 0; f < engine.families(); ++f) {
    const kinseg::EliminationCost& c = engine.cost(f);
    if (c.loops == 0) continue;
    ++looped;
    loops += c.loops;
    width = std::max(width, c.width);
    bytes += c.bytes;
    predicted += c.seconds;
  }
  const double total = engine.evaluate(pt);
  const std::vector<kinseg::FamilyLikelihood> by_elimination = engine.results();
  const double seconds = median_seconds([&] { engine.evaluate(pt); });
  const double genotypes = median_seconds([&] { engine.genotype_probabilities(pt); });
  std::printf("%s: %d persons, %d pedigrees with loops, %d loops, width %d, %.3g MB, set-up %.3g s\n",
              path.c_str(), sample.persons(), looped, loops, width, bytes / 1048576.0, setup);
  std::printf("  elimination: ln L %.10g, %.4g s per evaluation (predicted for the loops %.3g s), "
              "genotype probabilities %.4g s\n",
              total, seconds, predicted, genotypes);
  o.loops = kinseg::LoopMethod::kFastest;
  kinseg::Engine fastest(sample, o);
  fastest.evaluate(pt);
  int broken = 0;
  for (int f = 0; f < fastest.families(); ++f) broken += fastest.loop_breakers(f) > 0;
  std::printf("  the engine's choice (loop breaking in %d pedigrees): %.4g s per evaluation, genotype "
              "probabilities %.4g s\n",
              broken, median_seconds([&] { fastest.evaluate(pt); }),
              median_seconds([&] { fastest.genotype_probabilities(pt); }));

  o.loops = kinseg::LoopMethod::kBreakers;
  try {
    kinseg::Engine breakers(sample, o);
    int most = 0;
    for (int f = 0; f < breakers.families(); ++f) most = std::max(most, breakers.loop_breakers(f));
    if (most > 12) {
      std::printf("  loop breakers: up to %d in one pedigree, not timed (3^%d peelings)\n", most, most);
      return;
    }
    breakers.evaluate(pt);
    double worst = 0.0;
    for (int f = 0; f < breakers.families(); ++f)
      for (int lane = 0; lane < 2; ++lane) {
        const double a = lane ? breakers.results()[f].lnl_cond : breakers.results()[f].lnl_all;
        const double b = lane ? by_elimination[f].lnl_cond : by_elimination[f].lnl_all;
        worst = std::max(worst, std::fabs(a - b) / std::max(1.0, std::fabs(b)));
      }
    const double s2 = median_seconds([&] { breakers.evaluate(pt); });
    std::printf("  loop breakers: up to %d in one pedigree, %.4g s per evaluation; largest relative difference "
                "of a family's ln L %.3g\n",
                most, s2, worst);
  } catch (const kinseg::EngineRefusal& e) {
    std::printf("  loop breakers: refused (%s)\n", e.what());
  }
}

}  // namespace

int main(int argc, char** argv) {
  try {
    for (int i = 1; i < argc; ++i) measure(argv[i]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "loops_cost: %s\n", e.what());
    return 1;
  }
  return 0;
}
