// Never worse than kinfit: samples that kinfit can hold, simulated with their
// control files, are fitted by kinsort and kinfit (one pattern search from
// par.inp's start) and by kinseg with the same model, from the same start
// (turned into kinseg's orientation) and its own grid. kinseg's maximum ln L
// is at least kinfit's final ln L - 1e-6: the engine's family contributions
// equal kinfit's bit for bit, and every point kinfit can reach lies in
// kinseg's model.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "analysis/fit.hpp"
#include "engine/engine.hpp"
#include "fit/blocks.hpp"
#include "fit/kinfit.hpp"
#include "prep/kinsort.hpp"
#include "prep/state.hpp"
#include "tests/fit_samples.hpp"
#include "tests/test_util.hpp"
#include "tools/simulate.hpp"

namespace {

struct Comparison {
  const char* what;
  const char* model;  // kinseg's model for kinfit's
  kinseg::ModelOptions options;
  kinsim::Settings settings;
  uint64_t seed;
};

kinsim::Settings base() {
  kinsim::Settings s;
  s.families = 150;
  s.generations = 2;
  s.children = kinsim::Settings::kRange;
  s.children_min = 1;
  s.children_max = 4;
  s.marry = 0.6;
  s.ascertainment = kinsim::Settings::kSingle;
  s.pi = 0.05;
  s.unknown = 0.03;
  s.param(kinsim::kQ).value = 0.7;
  s.param(kinsim::kW1).value = -2.5;
  s.param(kinsim::kW1 + 1).value = 0.0;
  s.param(kinsim::kW1 + 2).value = 0.5;
  // kinfit starts away from the truth.
  s.param(kinsim::kQ).start = 0.5;
  s.param(kinsim::kW1).start = -1.0;
  s.param(kinsim::kW1 + 1).start = -0.5;
  s.param(kinsim::kW1 + 2).start = 0.0;
  return s;
}

TEST(FitAgainstKinfit, NeverBelowKinfitsMaximum) {
  // Mendelian with three free baselines Q, W1, W2, W3: kinseg's unordered type.
  const kinsim::Settings codominant = base();

  // kinfit's W2 = W3 (with W1 <= W3) is kinseg's dominant model turned round;
  // sex increments linked the same way, and a covariate.
  kinsim::Settings dominant = base();
  dominant.param(kinsim::kW1 + 1).value = 0.5;
  dominant.param(kinsim::kW1 + 1).link = kinsim::kW1 + 2;
  for (int g = 0; g < 3; ++g) dominant.param(kinsim::kV1 + g).use = kinsim::Use::kEstimated;
  dominant.param(kinsim::kV1 + 2).value = 0.4;
  dominant.param(kinsim::kV1 + 1).value = 0.4;
  dominant.param(kinsim::kV1 + 1).link = kinsim::kV1 + 2;
  dominant.covariates.push_back({"smoker", kinsim::Covariate::kBinary, 0.3, 0, 1});
  dominant.param(kinsim::kD1).value = 0.8;
  kinseg::ModelOptions sex_and_smoker;
  sex_and_smoker.sex_effect = true;
  sex_and_smoker.covariates = {{"smoker", 1.0}};

  // General transmission with the regressive terms.
  kinsim::Settings general = base();
  general.generations = 3;
  general.children_max = 3;
  general.families = 100;
  for (int t = 0; t < 3; ++t) general.param(kinsim::kTr1 + t).use = kinsim::Use::kEstimated;
  general.param(kinsim::kTr1 + 1).value = 0.4;
  general.param(kinsim::kRo1).use = kinsim::Use::kEstimated;
  general.param(kinsim::kRo2).value = 0.5;
  general.param(kinsim::kRo2).use = kinsim::Use::kEstimated;
  kinseg::ModelOptions regressive;
  regressive.regressive = true;

  const Comparison cases[] = {
      {"codominant", "mendelian:unordered", {}, codominant, 11},
      {"dominant with sex and a covariate", "mendelian:dominant", sex_and_smoker, dominant, 13},
      {"general with regressive terms", "general:unordered", regressive, general, 14},
  };
  for (const Comparison& c : cases) {
    SCOPED_TRACE(c.what);
    kintest::TempDir dir;
    kinsim::simulate(c.settings, c.seed);
    {
      auto k = std::make_unique<kinsort::KinsortState>();
      kintest::TestConsole tc;
      ASSERT_EQ(kinsort::run_kinsort(*k, tc.con), 0) << tc.text();
    }
    double kinfit_lnl = 0;
    {
      auto s = std::make_unique<kinfit::KinfitState>();
      kintest::TestConsole tc;
      ASSERT_EQ(kinfit::run_kinfit(*s, tc.con), 0) << tc.text();
      kinfit_lnl = s->OPTPAR1.FMAX;
    }

    const kinseg::Sample sample = kintest::read_data_file(c.settings.data_file, c.settings);
    kinseg::EngineOptions eo;
    eo.ascertainment = kinseg::Ascertainment::kProband;  // kinsim's par.inp: MODE 1
    kinseg::Engine engine(sample, eo);
    kinseg::ModelOptions mo = c.options;
    const kinseg::Model shape(c.model, mo);
    const auto start = kintest::kinseg_values(c.settings, true);
    for (const auto& name : shape.free_names()) mo.start.push_back({name, start.at(name)});
    const kinseg::Model model(c.model, mo);
    kinseg::FitOptions fo;
    fo.profile = false;
    const kinseg::FitResult r =
        fit(model, [&](const kinseg::Point& p) { return engine.evaluate(p); }, kinseg::summarize(sample), fo);
    ASSERT_TRUE(r.lnl);
    EXPECT_EQ(r.starts[0].origin, "--start");
    EXPECT_GE(*r.lnl, kinfit_lnl - 1e-6) << "kinfit " << kinfit_lnl;
    // From kinfit's own start alone, kinseg's search gets there too.
    ASSERT_TRUE(r.starts[0].lnl);
    EXPECT_GE(*r.starts[0].lnl, kinfit_lnl - 1e-6) << "kinfit " << kinfit_lnl;
  }
}

}  // namespace
