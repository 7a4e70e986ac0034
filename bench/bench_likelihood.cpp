// Timing of the sample likelihood on a sample at the programs' limits: 604
// pedigrees, 4096 persons, 8 covariates, ascertained through probands and
// analysed with the proband correction (MODE 1), so that every family is
// evaluated twice, once with all traits and once with the probands' alone.
//
// Measured in the same run:
// - Evaluation: one evaluation of the sample log-likelihood (GENMMP) as the
//   maximiser calls it;
// - ExpLoop: a bare loop computing as many exponentials as the evaluation's
//   penetrances need done naively, 3 per member of known trait and pass, so 6
//   per member under MODE 1, on the predictors of this sample at the start
//   point;
// - KinfitRun: a whole run of kinfit (control files, prepared file, initial
//   evaluation, search, final evaluation and result files);
// - Ratio: Evaluation / ExpLoop, the two timed one after the other in every
//   iteration.
// At the end the ratio is printed twice, from the times of the first two and
// from the third: the goal is at most 1.5. On a machine busy with other work,
// run with repetitions in random order (--benchmark_repetitions=20
// --benchmark_enable_random_interleaving=true): the first ratio is then taken
// from the least time of each, the second is the median of the repetitions.
//
// The sample is drawn by the simulator into a scratch directory and prepared
// by kinsort there (limit_sample.cpp); the pause of kinfit finds its input at
// an end.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "fit/blocks.hpp"
#include "fit/kinfit.hpp"
#include "fit/likelihood.hpp"
#include "fit/penetrance.hpp"
#include "bench/limit_sample.hpp"

namespace {

using kinbench::kPedigrees;
using kinbench::kPersons;
using kinbench::prepared;

void Evaluation(benchmark::State& state) {
  kinfit::KinfitState& s = *prepared().s;
  double flh = 0.0;
  for (auto _ : state) {
    kinfit::GENMMP(s, flh);
    benchmark::DoNotOptimize(flh);
  }
  state.counters["lnLH"] = flh;
  state.counters["known"] = prepared().known;
}

// The predictors of every member of known trait and genotype at the start
// point, as the penetrance computes them.
std::vector<double> predictors() {
  kinfit::KinfitState& s = *prepared().s;
  double flh = 0.0;
  kinfit::GENMMP(s, flh);  // sets the model quantities and the parents' counts
  std::vector<double> x;
  for (int F = 1; F <= s.BUF1(1); ++F) {
    if (s.LUK(F) == 0 || s.NG(F) == 0.0) continue;
    for (int p = s.BUF1(F + 1) + 1; p <= s.BUF1(F + 2); ++p) {
      if (s.TRAIT(p) == 3) continue;
      const int k = std::max(s.KIDOF(p), 0);
      for (int g = 1; g <= 3; ++g)
        x.push_back(kinfit::predictor(kinfit::baselines(s, p), g, kinfit::covariate_sum(s, p),
                                      (k % 3) * s.PRPAR.RO(1), (k / 3) * s.PRPAR.RO(2)));
    }
  }
  return x;
}

// The exponentials of both passes: each predictor twice.
double exponentials(const std::vector<double>& x) {
  double sum = 0.0;
  for (int pass = 0; pass < 2; ++pass) {
    benchmark::DoNotOptimize(x.data());
    for (double v : x) sum += std::exp(v);
  }
  return sum;
}

void ExpLoop(benchmark::State& state) {
  const std::vector<double> x = predictors();
  for (auto _ : state) benchmark::DoNotOptimize(exponentials(x));
  state.counters["exps"] = 2.0 * double(x.size());
}

// The two side by side: each iteration times one evaluation and then one
// exponential loop, and the ratio of the two is taken per iteration, so that
// the machine's other work, which comes and goes, weighs on both alike. The
// counter `ratio` is the median over the iterations.
void Ratio(benchmark::State& state) {
  const std::vector<double> x = predictors();
  kinfit::KinfitState& s = *prepared().s;
  std::vector<double> ratios;
  double flh = 0.0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    kinfit::GENMMP(s, flh);
    benchmark::DoNotOptimize(flh);
    const auto t1 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(exponentials(x));
    const auto t2 = std::chrono::steady_clock::now();
    ratios.push_back(std::chrono::duration<double>(t1 - t0).count() /
                     std::chrono::duration<double>(t2 - t1).count());
  }
  std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
  state.counters["ratio"] = ratios.empty() ? 0.0 : ratios[ratios.size() / 2];
}

void KinfitRun(benchmark::State& state) {
  int nfun = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto s = std::make_unique<kinfit::KinfitState>();
    std::ostringstream out;
    std::istringstream in;
    kin::Console con{out, in};
    state.ResumeTiming();
    if (kinfit::run_kinfit(*s, con) != 0) state.SkipWithError("kinfit failed");
    nfun = s->OPTPAR1.NFUN;
  }
  state.counters["evaluations"] = nfun;
}

// With repetitions, the least time of a repetition as well: the machine's
// other work only ever adds to a time.
double least(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

BENCHMARK(Evaluation)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", least);
BENCHMARK(ExpLoop)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", least);
BENCHMARK(KinfitRun)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", least);
BENCHMARK(Ratio)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", least);

// The console report, keeping the real time per iteration (in seconds) of
// each benchmark for the ratio: the least of the repetitions when there are
// several (--benchmark_repetitions), else the single run.
class Reporter : public benchmark::ConsoleReporter {
 public:
  Reporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}
  std::map<std::string, double> seconds;
  std::vector<double> ratios;  // the Ratio counter of every repetition shown
  double ratio_median = 0.0;   // its median over the repetitions, when only that is shown
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      if (r.error_occurred) continue;
      const bool single = r.run_type == Run::RT_Iteration && r.repetitions <= 1;
      const bool min = r.run_type == Run::RT_Aggregate && r.aggregate_name == "min";
      if (single || min)
        seconds[r.run_name.function_name] =
            r.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(r.time_unit);
      if (r.run_name.function_name == "Ratio") {
        if (r.run_type == Run::RT_Iteration) ratios.push_back(r.counters.at("ratio"));
        if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") ratio_median = r.counters.at("ratio");
      }
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
  const uint64_t seed = kinbench::prepare_limit_sample();
  std::cout << "Sample: " << kPedigrees << " pedigrees, " << kPersons << " persons, 8 covariates, MODE 1 (seed "
            << seed << "); " << prepared().known << " members of known trait\n";

  Reporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  if (reporter.seconds.count("Evaluation") && reporter.seconds.count("ExpLoop"))
    std::printf("Evaluation / ExpLoop, from their times above: %.2f (goal: at most 1.5)\n",
                reporter.seconds["Evaluation"] / reporter.seconds["ExpLoop"]);
  if (!reporter.ratios.empty()) {
    std::vector<double>& r = reporter.ratios;
    std::sort(r.begin(), r.end());
    std::printf("Evaluation / ExpLoop, timed side by side: %.2f (median of %zu; least %.2f, most %.2f)\n",
                r[r.size() / 2], r.size(), r.front(), r.back());
  } else if (reporter.ratio_median > 0.0) {
    std::printf("Evaluation / ExpLoop, timed side by side: %.2f (median of the repetitions)\n",
                reporter.ratio_median);
  }

  prepared().par_err.reset();
  benchmark::Shutdown();
  return 0;
}
