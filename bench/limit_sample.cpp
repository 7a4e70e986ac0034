#include "bench/limit_sample.hpp"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "fit/prepare_run.hpp"
#include "prep/kinsort.hpp"
#include "prep/state.hpp"
#include "tools/simulate.hpp"

namespace kinbench {

namespace {

// The sample: nuclear families, so that the member lists hold one entry per
// person. A couple has 1 + Poisson(3.33) children; the pedigrees kept are
// larger than those drawn (the more affected members, the likelier a
// proband), and with this mean they hold 4096 persons on average. The first
// seed from kFirstSeed on whose sample has exactly 4096 persons is taken.
constexpr uint64_t kFirstSeed = 6;

}  // namespace

kinsim::Settings limit_sample_settings() {
  kinsim::Settings s;
  s.families = kPedigrees;
  s.generations = 1;
  s.children = kinsim::Settings::kPoisson;
  s.children_min = 1;
  s.children_mean = 4.33;
  s.ascertainment = kinsim::Settings::kSingle;
  s.pi = 0.1;
  s.unknown = 0.05;
  const struct {
    const char* name;
    kinsim::Covariate::Kind kind;
    double p;
    int lo, hi;
    double d;
  } covs[8] = {{"smoker", kinsim::Covariate::kBinary, 0.3, 0, 1, 0.6},
               {"treated", kinsim::Covariate::kBinary, 0.5, 0, 1, -0.3},
               {"exposure", kinsim::Covariate::kRange, 0, 0, 3, 0.2},
               {"score", kinsim::Covariate::kRange, 0, -2, 2, 0.15},
               {"rare", kinsim::Covariate::kBinary, 0.1, 0, 1, 0.8},
               {"visits", kinsim::Covariate::kRange, 0, 0, 5, -0.1},
               {"urban", kinsim::Covariate::kBinary, 0.7, 0, 1, 0.25},
               {"stage", kinsim::Covariate::kRange, 0, 1, 4, 0.1}};
  for (int j = 0; j < 8; ++j) {
    kinsim::Covariate c;
    c.name = covs[j].name;
    c.kind = covs[j].kind;
    c.p = covs[j].p;
    c.lo = covs[j].lo;
    c.hi = covs[j].hi;
    s.covariates.push_back(c);
    s.param(kinsim::kD1 + j).value = covs[j].d;
  }
  s.param(kinsim::kQ).value = 0.7;
  s.param(kinsim::kW1).value = -2.5;
  s.param(kinsim::kW1 + 1).value = -0.5;
  s.param(kinsim::kW1 + 2).value = 1.0;
  s.param(kinsim::kV1).value = 0.3;
  s.param(kinsim::kRo1).value = -0.2;
  s.param(kinsim::kRo2).value = 0.4;
  return s;
}

// Draws the sample and prepares it in the current directory.
uint64_t prepare_limit_sample() {
  const kinsim::Settings s = limit_sample_settings();
  uint64_t seed = kFirstSeed;
  while (kinsim::draw_sample(s, seed).persons.size() != kPersons)
    if (++seed == kFirstSeed + 10000) {
      std::cerr << "no sample of " << kPersons << " persons in 10000 seeds\n";
      std::exit(1);
    }
  kinsim::simulate(s, seed);
  std::ostringstream out;
  std::istringstream in;
  kin::Console con{out, in};
  auto k = std::make_unique<kinsort::KinsortState>();
  if (kinsort::run_kinsort(*k, con) != 0) {
    std::cerr << "kinsort failed:\n" << out.str();
    std::exit(1);
  }
  return seed;
}

Prepared::Prepared() {
  kinfit::prepare_run(*s, con, par_err);
  s->MAX.IPHASE = 1;
  for (int F = 1; F <= s->BUF1(1); ++F) {
    if (s->LUK(F) == 0 || s->NG(F) == 0.0) continue;
    for (int p = s->BUF1(F + 1) + 1; p <= s->BUF1(F + 2); ++p) known += s->TRAIT(p) != 3;
  }
}

Prepared& prepared() {
  static Prepared p;
  return p;
}

ScratchDirectory::ScratchDirectory() {
  char dir[] = "/tmp/kinseg-bench.XXXXXX";
  if (!mkdtemp(dir)) {
    std::perror("mkdtemp");
    return;
  }
  old_ = std::filesystem::current_path();
  dir_ = dir;
  std::filesystem::current_path(dir_);
}

ScratchDirectory::~ScratchDirectory() {
  if (!ok()) return;
  std::error_code ignored;
  std::filesystem::current_path(old_, ignored);
  std::filesystem::remove_all(dir_, ignored);
}

}  // namespace kinbench
