// Times kinseg's fit of mendelian:dominant with a sex effect and the
// covariates smoker and age on a pedigree file (bench/fit_28k.sh draws it):
// the searches from the default starts with the standard errors, then the
// profile intervals; and what the optimiser adds per evaluation over the
// engine: the time of the whole fit outside the likelihood's evaluations,
// divided by the evaluations, against the time of one evaluation. A plain
// program, no benchmark library; the figures go to BENCHMARKS.md.
//
//   bench_fit FILE [THREADS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "analysis/fit.hpp"
#include "analysis/sample_summary.hpp"
#include "engine/engine.hpp"
#include "pedigree/read_sample.hpp"

int main(int argc, char** argv) {
  using clock = std::chrono::steady_clock;
  auto seconds = [](clock::duration d) { return std::chrono::duration<double>(d).count(); };
  if (argc < 2) {
    std::cerr << "usage: bench_fit FILE [THREADS]\n";
    return 2;
  }
  kinseg::ReadOptions ro;
  ro.columns.covariates = {"smoker", "age"};
  const kinseg::DataRead read = kinseg::read_sample(argv[1], ro);
  if (read.problems.refused()) {
    std::cerr << "bench_fit: " << argv[1] << ": the data are refused\n";
    return 1;
  }
  const kinseg::Sample& sample = read.sample;
  const kinseg::SampleSummary summary = kinseg::summarize(sample);
  kinseg::EngineOptions eo;
  eo.ascertainment = kinseg::Ascertainment::kProband;
  eo.threads = argc > 2 ? std::atoi(argv[2]) : 0;
  kinseg::Engine engine(sample, eo);

  kinseg::ModelOptions mo;
  mo.sex_effect = true;
  for (const auto& c : summary.covariates) mo.covariates.push_back({c.name, c.largest_abs});
  const kinseg::Model model("mendelian:dominant", mo);

  clock::duration in_engine{};
  long evaluations = 0;
  auto lnl = [&](const kinseg::Point& p) {
    const auto t = clock::now();
    const double v = engine.evaluate(p);
    in_engine += clock::now() - t;
    ++evaluations;
    return v;
  };
  // Phases: the searches and standard errors end where the first profile begins.
  clock::time_point profiles_begin{};
  long evaluations_before_profiles = 0;
  kinseg::FitOptions fo;
  fo.on_progress = [&](const std::string& stage, int, int) {
    if (stage.rfind("profile ", 0) == 0 && profiles_begin == clock::time_point{}) {
      profiles_begin = clock::now();
      evaluations_before_profiles = evaluations;
    }
  };
  const auto begin = clock::now();
  const kinseg::FitResult r = kinseg::fit(model, lnl, summary, fo);
  const auto end = clock::now();

  // One evaluation alone, at the estimate, many times.
  const int repeats = 200;
  const auto b = clock::now();
  for (int i = 0; i < repeats; ++i) engine.evaluate(r.point);
  const double per_evaluation = seconds(clock::now() - b) / repeats;

  const double total = seconds(end - begin);
  const double fit_part = seconds(profiles_begin - begin);
  const double outside = total - seconds(in_engine);
  std::printf("persons %d, pedigrees %d, analysed families %d, threads %d\n", sample.persons(), sample.pedigrees(),
              engine.families(), engine.threads());
  std::printf("model %s, k %d, status %s, ln L %.6f\n", r.model.c_str(), r.k, kinseg::status_name(r.status).c_str(),
              r.lnl ? *r.lnl : 0.0);
  std::printf("fit (6 starts + standard errors): %.2f s, %ld evaluations\n", fit_part, evaluations_before_profiles);
  std::printf("profile intervals:                %.2f s, %ld evaluations\n", total - fit_part,
              evaluations - evaluations_before_profiles);
  std::printf("one evaluation alone:             %.3f ms\n", 1e3 * per_evaluation);
  std::printf("evaluation within the fit:        %.3f ms (engine time / evaluations)\n",
              1e3 * seconds(in_engine) / evaluations);
  std::printf("optimiser, outside the engine:    %.1f us per evaluation, %.2f%% of the engine's time\n",
              1e6 * outside / evaluations, 100 * outside / seconds(in_engine));
  return 0;
}
