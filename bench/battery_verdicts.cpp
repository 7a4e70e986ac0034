// How often the battery's verdict is right: samples drawn by kinsim under a
// known truth, each analysed as kinseg test does (default starts, no profile
// intervals), and the verdicts counted. Four truths, each on pedigrees of two
// generations drawn without ascertainment and analysed without correction:
//   dominant      a dominant allele of frequency 0.15 moving the logit from -3 to 1
//   none          no major gene: every genotype's logit -1
//   aggregation   the same types, not transmitted (Tr1 = Tr2 = Tr3 = Q), with
//                 familial aggregation through the parents' traits (Ro2 = 2)
//   untransmitted the same types, not transmitted, and nothing else
//
//   battery_verdicts [RUNS] [FAMILIES] [FIRST_SEED]   (defaults 100, 100, 1)
//
// Prints, per truth, the verdicts, how often each criterion held, the
// Mendelian type best by AIC, and the error rate of the verdict the truth
// calls for; then the time taken. A plain program, not part of the tests.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "analysis/battery.hpp"
#include "analysis/engine_likelihood.hpp"
#include "engine/engine.hpp"
#include "pedigree/read_sample.hpp"
#include "tools/settings.hpp"
#include "tools/simulate.hpp"

namespace {

struct Truth {
  const char* name;
  const char* values;
  const char* expected;  // what a right verdict says
};

const Truth kTruths[] = {
    {"dominant", "Q = 0.85\nW1 = -3\nW2 = 1\nW3 = 1\n", "major gene, Mendelian, dominant best by AIC"},
    {"none", "Q = 0.85\nW1 = -1\nW2 = -1\nW3 = -1\n", "sporadic not rejected"},
    {"aggregation", "Q = 0.85\nW1 = -3\nW2 = 1\nW3 = 1\nTr1 = 0.85\nTr2 = 0.85\nTr3 = 0.85\nRo2 = 2\n",
     "Mendelian rejected against general"},
    {"untransmitted", "Q = 0.85\nW1 = -3\nW2 = 1\nW3 = 1\nTr1 = 0.85\nTr2 = 0.85\nTr3 = 0.85\n",
     "sporadic not rejected"},
};

// The verdict's kind, from the start of its summary.
std::string kind(const kinseg::Verdict& v) {
  const std::string& s = v.summary;
  if (v.major_gene) return "major gene, Mendelian";
  if (s.rfind("no evidence", 0) == 0) return "no evidence for a major gene";
  if (s.rfind("familial aggregation not explained by Mendelian", 0) == 0) return "not Mendelian";
  if (s.rfind("familial aggregation not explained by a transmitted", 0) == 0) return "no transmitted type";
  if (s.rfind("a major type is supported", 0) == 0) return "transmission not supported";
  return "no verdict";
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 100;
  const int families = argc > 2 ? std::atoi(argv[2]) : 100;
  const uint64_t first_seed = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1;
  const std::string design = "families = " + std::to_string(families) +
                             "\ngenerations = 2\nchildren = range 2 4\nmarry = 0.5\nascertainment = none\n";
  const auto begin = std::chrono::steady_clock::now();
  long persons = 0;
  for (const Truth& t : kTruths) {
    std::map<std::string, int> verdicts, types;
    int holds[3] = {0, 0, 0}, right = 0;
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i) {
      const kinsim::Settings settings = kinsim::parse_settings(design + t.values, t.name);
      kinsim::validate(settings);
      // The drawn sample's data file, read as a user's file is.
      const uint64_t seed = first_seed + static_cast<uint64_t>(i);
      const kinsim::Files files = kinsim::render(settings, kinsim::draw_sample(settings, seed), seed);
      const kinseg::Sample sample = kinseg::read_sample_text(files.data, settings.data_file, {}).sample;
      persons += sample.persons();
      kinseg::EngineOptions eo;
      eo.ascertainment = kinseg::Ascertainment::kNone;
      eo.threads = 1;
      kinseg::Engine engine(sample, eo);
      kinseg::BatteryOptions o;
      const kinseg::BatteryResult r =
          kinseg::run_battery(sample, kinseg::engine_sample_likelihood(engine), o);
      ++verdicts[kind(r.verdict)];
      ++types[r.best_mendelian_type];
      for (int c = 0; c < 3; ++c) holds[c] += r.criteria[c].holds;
      const std::string name = t.name;
      if (name == "dominant") right += r.verdict.major_gene && r.best_mendelian_type == "dominant";
      else if (name == "aggregation") right += !r.criteria[2].holds;
      else right += !r.criteria[0].holds;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("\n%s (%d samples of %d pedigrees, seeds %llu..%llu; %.0f s)\n", t.name, runs, families,
                static_cast<unsigned long long>(first_seed), static_cast<unsigned long long>(first_seed + runs - 1),
                seconds);
    for (const auto& [k, n] : verdicts) std::printf("  verdict %-30s %4d\n", k.c_str(), n);
    const char* criteria[3] = {"1 sporadic rejected", "2 no transmission rejected", "3 Mendelian not rejected"};
    for (int c = 0; c < 3; ++c) std::printf("  criterion %-28s %4d\n", criteria[c], holds[c]);
    for (const auto& [k, n] : types) std::printf("  best Mendelian type %-19s %4d\n", k.c_str(), n);
    std::printf("  right (%s): %d of %d; error rate %.3f\n", t.expected, right, runs,
                1.0 - static_cast<double>(right) / runs);
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  std::printf("\n%ld persons analysed in %.0f s\n", persons, seconds);
  return 0;
}
