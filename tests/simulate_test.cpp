// The sample simulator: its generator, its settings, the files it writes (read
// back as kinsort and kinfit read them), the pedigree shapes and ascertainment
// rules, the limits it enforces, and the model it draws from, checked against
// the model's probabilities on large draws.
#include "tools/simulate.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <tuple>
#include <utility>
#include <vector>

#include "common/free_input.hpp"
#include "fit/blocks.hpp"
#include "fit/controls.hpp"
#include "fit/setup.hpp"
#include "tests/test_util.hpp"
#include "tools/cli.hpp"
#include "tools/random.hpp"

namespace {

using kinsim::Person;
using kinsim::Sample;
using kinsim::Settings;
using kintest::read_file;
using kintest::TempDir;

Settings parse(const std::string& text) { return kinsim::parse_settings(text, "test.settings"); }

std::string error_of(const std::function<void()>& f) {
  try {
    f();
  } catch (const kinsim::Error& e) {
    return e.what();
  }
  return "";
}

double sigma(double x) { return 1.0 / (1.0 + std::exp(-x)); }

// An observed count against its expectation under independent Bernoulli
// draws: within five standard deviations (a chance of about 6e-7 to fail for a
// correct generator; the seeds are fixed, so the outcome never varies).
void expect_count(double observed, double expected, double variance, const std::string& what) {
  EXPECT_LE(std::fabs(observed - expected), 5.0 * std::sqrt(variance) + 1e-9)
      << what << ": observed " << observed << ", expected " << expected;
}

// The data file read back: its header names and its rows of integers.
struct DataFile {
  std::vector<std::string> header;
  std::vector<std::vector<int>> rows;
};

DataFile read_data(const std::string& name) {
  const std::string text = read_file(name);
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(text.back(), '\n');
  EXPECT_EQ(text.find("\n\n"), std::string::npos);
  EXPECT_EQ(text.find("  "), std::string::npos);
  EXPECT_EQ(text.find(" \n"), std::string::npos);
  DataFile d;
  std::istringstream in(text);
  std::string line;
  std::getline(in, line);
  std::istringstream h(line);
  for (std::string w; h >> w;) d.header.push_back(w);
  while (std::getline(in, line)) {
    std::istringstream r(line);
    std::vector<int> row;
    for (int v; r >> v;) row.push_back(v);
    EXPECT_TRUE(r.eof()) << "not an integer in: " << line;
    EXPECT_EQ(row.size(), d.header.size()) << line;
    d.rows.push_back(row);
  }
  return d;
}

enum Col { kPed, kId, kFa, kMo, kSex, kProb, kTrait, kCov1 };

// The rows of each pedigree, in order.
std::vector<std::vector<std::vector<int>>> pedigrees(const DataFile& d) {
  std::vector<std::vector<std::vector<int>>> peds;
  for (const auto& r : d.rows) {
    if (peds.empty() || peds.back()[0][kPed] != r[kPed]) peds.emplace_back();
    peds.back().push_back(r);
  }
  return peds;
}

// ---------------------------------------------------------------------------
// The generator

TEST(SimGenerator, FollowsThePublishedAlgorithms) {
  // xoshiro256** seeded by splitmix64, values from an independent implementation.
  kinsim::Rng a(0);
  EXPECT_EQ(a.next(), 0x99ec5f36cb75f2b4ULL);
  EXPECT_EQ(a.next(), 0xbf6e1f784956452aULL);
  EXPECT_EQ(a.next(), 0x1a5f849d4933e6e0ULL);
  EXPECT_EQ(a.next(), 0x6aa594f1262d2d2cULL);
  kinsim::Rng b(20240611);
  EXPECT_EQ(b.next(), 0x38a5a8bd217cdba8ULL);
  EXPECT_EQ(b.next(), 0x46e131b551146970ULL);
  kinsim::Rng c(0);
  EXPECT_EQ(c.uniform(), static_cast<double>(0x99ec5f36cb75f2b4ULL >> 11) * 0x1.0p-53);
}

TEST(SimGenerator, DrawsHaveTheirDistributions) {
  kinsim::Rng r(7);
  const int n = 200000;
  double sum = 0;
  int below3[3] = {0, 0, 0}, hits = 0;
  for (int i = 0; i < n; ++i) {
    const double u = r.uniform();
    ASSERT_GE(u, 0.0);
    ASSERT_LT(u, 1.0);
    sum += u;
    const uint64_t k = r.below(3);
    ASSERT_LT(k, 3u);
    ++below3[k];
    hits += r.chance(0.3);
    ASSERT_FALSE(r.chance(0.0));
    ASSERT_TRUE(r.chance(1.0));
  }
  expect_count(sum, n * 0.5, n / 12.0, "sum of uniforms");
  for (int k = 0; k < 3; ++k)
    expect_count(below3[k], n / 3.0, n * (1 / 3.0) * (2 / 3.0), "below(3)");
  expect_count(hits, n * 0.3, n * 0.3 * 0.7, "chance(0.3)");

  // Poisson: mean and variance both equal the mean parameter.
  const int m = 50000;
  double s1 = 0, s2 = 0;
  for (int i = 0; i < m; ++i) {
    const int k = r.poisson(2.5);
    ASSERT_GE(k, 0);
    s1 += k;
    s2 += double(k) * k;
  }
  expect_count(s1, m * 2.5, m * 2.5, "poisson(2.5) total");
  const double var = s2 / m - (s1 / m) * (s1 / m);
  EXPECT_NEAR(var, 2.5, 0.1);  // the sample variance's sd is about 0.02 here
  EXPECT_EQ(r.poisson(0.0), 0);
}

TEST(SimGenerator, ExponentialAgreesWithTheLibraryOne) {
  for (double x = -745.0; x <= 709.7; x += 0.37) {
    const double want = std::exp(x);
    if (want < 1e-300) continue;  // subnormal results carry fewer digits
    EXPECT_NEAR(kinsim::exp_det(x) / want, 1.0, 1e-14) << x;
  }
  EXPECT_EQ(kinsim::exp_det(0.0), 1.0);
  EXPECT_EQ(kinsim::exp_det(-800.0), 0.0);
  EXPECT_TRUE(std::isinf(kinsim::exp_det(710.0)));
  EXPECT_EQ(kinsim::logistic(0.0), 0.5);
  EXPECT_EQ(kinsim::logistic(800.0), 1.0);
  EXPECT_EQ(kinsim::logistic(-800.0), 0.0);
  EXPECT_NEAR(kinsim::logistic(1.5), sigma(1.5), 1e-15);
}

// ---------------------------------------------------------------------------
// Settings

TEST(SimSettings, ReadsEveryKindOfSetting) {
  const Settings s = parse(
      "# a comment line\r\n"
      "seed = 18446744073709551615   # the largest seed\n"
      "families = 12\n generations = 3\n"
      "children = poisson 2.5 1\n"
      "marry=0.25\ncousins = 0.2\nlimits = none\n"
      "ascertainment = single 0.4\n"
      "unknown = 0.1\nmax_draws = 5000\n"
      "data_file = fam.dat\ntruth_file = true_values.txt\n"
      "cov2 = dose range -1 3\ncov1 = smoker binary 0.3\n"
      "Q = 0.25\nW1 = -2\nW3 = 1.5E-1\nRo2 = 0.7\nD2 = -0.5\n"
      "fit.W2 = fixed\nstart.Q = 0.3\nstep.Q = 0.01\nlow.W1 = -5\nhigh.W1 = 5\n"
      "V1 = 0.2\nlink.V2 = V1\n"
      "npar = 20\niprint = 1\nepsx = 1e-6\nmaxit = 50\nalpha = 0.25\nepsf = 0.001\n");
  EXPECT_EQ(*s.seed, 18446744073709551615ULL);
  EXPECT_EQ(s.families, 12);
  EXPECT_EQ(s.generations, 3);
  EXPECT_EQ(s.children, Settings::kPoisson);
  EXPECT_EQ(s.children_mean, 2.5);
  EXPECT_EQ(s.children_min, 1);
  EXPECT_EQ(s.marry, 0.25);
  EXPECT_EQ(s.cousins, 0.2);
  EXPECT_EQ(s.limits, Settings::kNoLimits);
  EXPECT_EQ(s.ascertainment, Settings::kSingle);
  EXPECT_EQ(s.pi, 0.4);
  EXPECT_EQ(s.unknown, 0.1);
  EXPECT_EQ(s.max_draws, 5000);
  EXPECT_EQ(s.data_file, "fam.dat");
  EXPECT_EQ(s.truth_file, "true_values.txt");
  ASSERT_EQ(s.ncov(), 2);
  EXPECT_EQ(s.covariates[0].name, "smoker");
  EXPECT_EQ(s.covariates[0].kind, kinsim::Covariate::kBinary);
  EXPECT_EQ(s.covariates[0].p, 0.3);
  EXPECT_EQ(s.covariates[1].name, "dose");
  EXPECT_EQ(s.covariates[1].lo, -1);
  EXPECT_EQ(s.covariates[1].hi, 3);
  EXPECT_EQ(s.param(kinsim::kQ).value, 0.25);
  EXPECT_EQ(s.param(kinsim::kW1 + 2).value, 0.15);
  EXPECT_EQ(s.param(kinsim::kTr1).value, 1.0);  // defaults stay Mendelian
  EXPECT_EQ(s.param(kinsim::kTr1 + 1).value, 0.5);
  EXPECT_EQ(s.param(kinsim::kD1 + 1).value, -0.5);
  EXPECT_EQ(s.param(kinsim::kRo2).value, 0.7);
  EXPECT_EQ(*s.param(kinsim::kW1 + 1).use, kinsim::Use::kFixed);
  EXPECT_EQ(*s.param(kinsim::kQ).start, 0.3);
  EXPECT_EQ(*s.param(kinsim::kQ).step, 0.01);
  EXPECT_EQ(*s.param(kinsim::kW1).low, -5.0);
  EXPECT_EQ(*s.param(kinsim::kW1).high, 5.0);
  EXPECT_EQ(*s.param(kinsim::kV1 + 1).link, kinsim::kV1);
  EXPECT_EQ(s.iprint, 1);
  EXPECT_EQ(s.epsx, 1e-6);
  EXPECT_EQ(s.maxit, 50);
  EXPECT_EQ(s.alpha, 0.25);
  EXPECT_EQ(s.epsf, 0.001);
  EXPECT_NO_THROW(kinsim::validate(s));
}

TEST(SimSettings, TheShippedExampleRuns) {
  const Settings s = kinsim::read_settings(KINSIM_EXAMPLE);
  TempDir dir;
  const Sample sample = kinsim::simulate(s, *s.seed);
  EXPECT_EQ(sample.kept, s.families);
  EXPECT_TRUE(kintest::exists(s.data_file));
}

TEST(SimSettings, RefusesMalformedText) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"families 12\n", "test.settings:1: expected \"name = value\""},
      {"\n\nfamilies = 12\nfamilies = 13\n",
       "test.settings:4: \"families\" is set again (first on line 3)"},
      {"colour = blue\n", "test.settings:1: unknown setting \"colour\""},
      {"fit.Q = maybe\n", "\"fit.Q = maybe\": expected \"est\", \"fixed\" or \"off\""},
      {"size.Q = 1\n", "unknown setting \"size.Q\""},
      {"q = 0.5\n", "unknown setting \"q\""},
      {"families = 1.5\n", "\"families = 1.5\": expected an integer"},
      {"marry = half\n", "\"marry = half\": expected a number"},
      {"Q = nan\n", "\"Q = nan\": expected a number"},
      {"W1 = 1e999\n", "\"W1 = 1e999\": expected a number"},
      {"seed = -1\n", "\"seed = -1\": expected a whole number"},
      {"seed = 18446744073709551616\n", "expected a whole number"},
      {"children = range 2\n", "expected \"range MIN MAX\" or \"poisson MEAN MIN\""},
      {"ascertainment = single\n", "expected \"none\", \"first\" or \"single PI\""},
      {"limits = kinsort\n", "\"limits = kinsort\": expected \"programs\" or \"none\""},
      {"cov1 = x normal 0 1\n", "expected \"NAME binary P\" or \"NAME range LO HI\""},
      {"cov2 = x binary 0.5\n", "cov1 is missing while cov2 is set"},
      {"cov9 = x binary 0.5\n", "unknown setting \"cov9\""},
      {"link.V2 = V9\n", "\"link.V2 = V9\": expected the name of a parameter"},
      {"seed =\n", "no value for \"seed\""},
  };
  for (const auto& c : cases) {
    const std::string& text = c.first;  // a lambda may not capture a structured binding in C++17
    EXPECT_NE(error_of([&] { parse(text); }).find(c.second), std::string::npos)
        << text << " gave: " << error_of([&] { parse(text); });
  }
}

TEST(SimSettings, RefusesSettingsThatMakeNoSampleOrNoFit) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"families = 0\n", "families = 0: at least 1"},
      {"generations = 6\n", "generations = 6: expected 1 to 5"},
      {"children = range 3 2\n", "expected 0 <= MIN <= MAX <= 50"},
      {"children = range 0 51\n", "expected 0 <= MIN <= MAX <= 50"},
      {"children = poisson 1 2\n", "expected 0 <= MIN <= MEAN <= MIN + 50"},
      {"marry = 1.5\n", "marry = 1.5: expected a probability"},
      {"generations = 3\ncousins = -0.1\n", "cousins = -0.1: expected a probability 0..1"},
      {"generations = 2\ncousins = 0.1\n",
       "cousins = 0.1: first cousins are the second generation and marry only when there is a "
       "third; set generations to 3 or more"},
      {"families = 5000001\nlimits = none\n",
       "families = 5000001: a sample holds at most 10000000 persons, so 5000000 pedigrees at most"},
      {"unknown = 1\n", "unknown = 1: expected a probability 0 <= p < 1"},
      {"isolate = 1\n", "isolate = 1: expected 0 (no isolate) or 2 to 10000 founders"},
      {"isolate = 4\nspouses = 0.5 1.5 0\n", "spouses = 1.5: expected probabilities 0..1"},
      {"isolate = 4\ngenerations = 21\n", "generations = 21: an isolate grows over 1 to 20 generations"},
      {"ascertainment = single 0\n", "expected 0 < PI <= 1"},
      {"families = 10\nmax_draws = 9\n", "max_draws = 9: expected at least families = 10"},
      {"data_file = sample\n", "data_file = sample: expected a name"},
      {"data_file = a_name_longer_than.20\n", "expected a name of at most 20"},
      {"data_file = PAR.INP\n", "belongs to another file of the run"},
      {"truth_file = SAMPLE.DAT\n", "belongs to another file of the run"},
      {"cov1 = sex binary 0.5\n", "name \"sex\" is a column of its own"},
      {"cov1 = a binary 0.5\ncov2 = a binary 0.1\n", "is also the name of cov1"},
      {"cov1 = a,b binary 0.5\n", "expected at most 20 letters"},
      {"cov1 = a binary 1.5\n", "expected a probability 0..1"},
      {"cov1 = a range 3 1\n", "expected -99999 <= LO <= HI <= 999999"},
      {"Q = 1.2\n", "Q = 1.2: expected an allele frequency"},
      {"Tr2 = -0.1\n", "Tr2 = -0.1: expected a transmission probability"},
      {"W1 = 1\nW3 = 0.5\n", "W1 = 1 is above W3 = 0.5"},
      {"D1 = 0.5\n", "D1 = 0.5: there is no covariate 1"},
      {"cov1 = a binary 0.5\nfit.D2 = est\n", "fit.D2: there is no covariate 2"},
      {"npar = 21\n", "npar = 21: expected 1 to 20"},
      {"npar = 4\nstart.Ro1 = 1\n",
       "Ro1: fitting controls are set, but its slot 19 lies beyond npar = 4"},
      {"high.W2 = 0\n", "high.W2 = 0: kinfit reads an upper bound of 0 as 1"},
      {"low.W2 = 3\nhigh.W2 = 2\n", "W2: the bounds 3 .. 2 leave no room"},
      {"W2 = 12\nW3 = 12\n", "W2: the start value 12 lies outside its bounds -10 .. 10"},
      {"fit.V2 = est\n", "V2 or V3 is in the fitted model while V1 is off"},
      {"fit.Tr1 = fixed\n", "Tr1, Tr2 and Tr3 must all be in the fitted model or all off"},
      {"start.W1 = 1\n", "the start value of W1 (1) is above that of W3 (0)"},
      {"fit.Q = fixed\nstart.Q = 1.5\n", "the start value of Q (1.5) is not an allele frequency"},
      {"Q = 1\nfit.Q = fixed\n", "Q fixed at 1 leaves no third genotype"},
      {"Tr2 = 0.4\nstart.Tr2 = 2\nfit.Tr2 = fixed\n",
       "the start value of Tr2 (2) is not a probability"},
      {"link.V2 = V1\nfit.V2 = off\n", "link.V2: V2 is off"},
      {"link.V2 = V1\n", "link.V2 = V1: V1 is off"},
      {"V1 = 1\nlink.V2 = V3\nlink.V3 = V1\n", "link.V2 = V3: V3 is linked itself"},
      {"npar = 5\nV1 = 1\nlink.V1 = V2\n", "link.V1 = V2: its slot lies beyond npar = 5"},
  };
  for (const auto& c : cases) {
    const std::string& text = c.first;
    const std::string& message = c.second;
    const std::string got = error_of([&] { kinsim::validate(parse(text)); });
    EXPECT_NE(got.find(message), std::string::npos) << text << " gave: " << got;
  }
}

// The par.inp lines that follow from the model values when no fitting control
// is given: a term that is in the model is estimated from its value, the rest
// is off.
TEST(SimSettings, ParameterLinesFollowTheModel) {
  Settings s = parse(
      "cov1 = a binary 0.5\nQ = 0.3\nW1 = -2\nV2 = 0.5\nTr2 = 0.6\nD1 = 0.4\nRo2 = 1\n"
      "fit.W2 = fixed\nstart.W2 = -1\nfit.Ro1 = est\nlink.V3 = V2\n");
  const auto lines = kinsim::par_lines(s);
  ASSERT_EQ(lines.size(), 20u);
  struct Want {
    int slot, link, iuse, iest;
    double x, step, gl, gr;
  };
  for (const Want& w : std::vector<Want>{
           {1, 1, 1, 1, 0.3, 0.05, 0, 1},      // Q
           {2, 2, 1, 1, -2, 0.5, -10, 10},     // W1
           {3, 3, 1, 0, -1, 0.5, -10, 10},     // W2 fixed at its start value
           {5, 5, 1, 1, 0, 0.5, -10, 10},      // V1: a V term is in the model
           {6, 6, 1, 1, 0.5, 0.5, -10, 10},    // V2
           {7, 6, 1, 0, 0.5, 0.5, -10, 10},    // V3 takes V2's value
           {8, 8, 1, 1, 1, 0.05, 0, 1},        // Tr1: transmission is not Mendelian
           {9, 9, 1, 1, 0.6, 0.05, 0, 1},      // Tr2
           {11, 11, 1, 1, 0.4, 0.5, -10, 10},  // D1
           {12, 12, 0, 0, 0, 0.5, -10, 10},    // D2: no covariate 2
           {19, 19, 1, 1, 0, 0.5, -10, 10},    // Ro1 estimated from 0 on request
           {20, 20, 1, 1, 1, 0.5, -10, 10},    // Ro2
       }) {
    const kinsim::ParLine& l = lines[static_cast<size_t>(w.slot - 1)];
    EXPECT_EQ(l.link, w.link) << w.slot;
    EXPECT_EQ(l.iuse, w.iuse) << w.slot;
    EXPECT_EQ(l.iest, w.iest) << w.slot;
    EXPECT_EQ(l.x, w.x) << w.slot;
    EXPECT_EQ(l.step, w.step) << w.slot;
    EXPECT_EQ(l.gl, w.gl) << w.slot;
    EXPECT_EQ(l.gr, w.gr) << w.slot;
  }
  s.npar = 4;
  s.param(kinsim::kW1 + 1).use.reset();
  s.param(kinsim::kW1 + 1).start.reset();
  s.param(kinsim::kRo1).use.reset();
  s.param(kinsim::kV1 + 2).link.reset();
  EXPECT_EQ(kinsim::par_lines(s).size(), 4u);
  EXPECT_NO_THROW(kinsim::validate(s));
}

TEST(SimSettings, RealsAreWrittenShortAndExact) {
  const std::vector<std::pair<double, std::string>> cases = {
      {0.0, "0.0"},       {-0.0, "0.0"},        {1.0, "1.0"},
      {-10.0, "-10.0"},   {0.5, "0.5"},         {1.0e-4, "1.0E-4"},
      {1.0e-5, "1.0E-5"}, {-2.5e-7, "-2.5E-7"}, {1.0e20, "1.0E20"},
      {0.1, "0.1"},       {500.0, "500.0"},     {0.30000000000000004, "0.30000000000000004"},
  };
  for (const auto& [x, text] : cases) {
    EXPECT_EQ(kinsim::format_real(x), text);
    double back = -1;
    kintest::TestConsole tc;
    kin::FreeInput in("r", kinsim::format_real(x) + "\n", tc.con);
    in.read({kin::as_real(back)});
    EXPECT_EQ(back, x) << text;
  }
}

// ---------------------------------------------------------------------------
// Files

const char* kSmall =
    "families = 3\ngenerations = 2\nchildren = range 1 3\nmarry = 0.5\n"
    "cov1 = c binary 0.5\nQ = 0.5\nW1 = -1\nW3 = 1\nD1 = 0.5\nRo1 = 0.5\n";

TEST(SimFiles, SameSeedSameFilesOtherSeedOtherFiles) {
  const Settings s = parse(std::string(kSmall) + "ascertainment = single 0.5\nunknown = 0.1\n");
  const char* names[] = {"sample.dat", "task.inp", "maxpar.inp", "par.inp", "truth.txt"};
  auto run = [&](uint64_t seed) {
    TempDir dir;
    kinsim::simulate(s, seed);
    std::vector<std::string> files;
    for (const char* n : names) files.push_back(read_file(n));
    return files;
  };
  const auto a = run(99), b = run(99), c = run(100);
  EXPECT_EQ(a, b);
  EXPECT_NE(a[0], c[0]);
  EXPECT_NE(a[4], c[4]);
}

// The same seed gives this very sample on every machine and with every
// standard library: the draws use no library distribution or routine whose
// results may differ.
TEST(SimFiles, AFixedSeedGivesAFixedSample) {
  TempDir dir;
  kinsim::simulate(parse(kSmall), 42);
  EXPECT_EQ(read_file("sample.dat"),
            "ped id fa mo sex prob trait c\n"
            "1 1 0 0 1 2 1 0\n"
            "1 2 0 0 2 2 1 0\n"
            "1 3 1 2 2 2 2 0\n"
            "1 4 1 2 1 2 2 0\n"
            "1 5 0 0 2 2 1 0\n"
            "1 6 4 5 1 2 2 1\n"
            "2 1 0 0 1 2 1 0\n"
            "2 2 0 0 2 2 2 1\n"
            "2 3 1 2 2 2 1 0\n"
            "2 4 0 0 1 2 1 0\n"
            "2 5 4 3 1 2 2 1\n"
            "2 6 4 3 2 2 1 0\n"
            "3 1 0 0 1 2 2 0\n"
            "3 2 0 0 2 2 1 0\n"
            "3 3 1 2 2 2 1 0\n"
            "3 4 0 0 1 2 1 1\n"
            "3 5 4 3 2 2 2 1\n");
}

TEST(SimFiles, KinsortAndKinfitReadTheControlFiles) {
  const Settings s = parse(
      "families = 25\ngenerations = 2\nchildren = range 1 3\nmarry = 0.5\n"
      "cov1 = c binary 0.5\nQ = 0.5\nW1 = -1\nW3 = 1\nD1 = 0.5\nRo1 = 0.5\n"
      "ascertainment = first\ncov2 = years range 0 3\nD2 = 0.2\n"
      "data_file = my.sample.dat\nfit.W2 = fixed\nstart.Q = 0.4\nlow.Q = 0.1\n"
      "high.Q = 0.9\nmaxit = 77\nepsx = 1e-3\n");
  TempDir dir;
  const Sample sample = kinsim::simulate(s, 5);

  // task.inp as kinsort reads it: one value per line.
  kintest::TestConsole tc;
  kin::FreeInput task("task.inp", tc.con);
  std::string data, trait, c1, c2;
  int32_t ncov = -1;
  task.read({kin::as_text(data, 20)});
  task.read({kin::as_text(trait, 20)});
  task.read({kin::as_int(ncov)});
  task.read({kin::as_text(c1, 20)});
  task.read({kin::as_text(c2, 20)});
  EXPECT_TRUE(task.at_end());
  EXPECT_EQ(data, "my.sample.dat       ");
  EXPECT_EQ(trait, "trait               ");
  EXPECT_EQ(ncov, 2);
  EXPECT_EQ(c1, "c                   ");
  EXPECT_EQ(c2, "years               ");
  const DataFile d = read_data("my.sample.dat");
  EXPECT_EQ(d.header, (std::vector<std::string>{"ped", "id", "fa", "mo", "sex", "prob", "trait",
                                                "c", "years"}));
  EXPECT_EQ(static_cast<long>(d.rows.size()), static_cast<long>(sample.persons.size()));

  // maxpar.inp and par.inp as kinfit reads them, and the start point passes
  // kinfit's checks.
  auto st = std::make_unique<kinfit::KinfitState>();
  kinfit::read_maxpar(*st, tc.con);
  EXPECT_EQ(st->IPRINT, 0);
  EXPECT_EQ(st->EPSX, 1e-3);
  EXPECT_EQ(st->MAXIT, 77);
  EXPECT_EQ(st->ALPHA, 0.5);
  EXPECT_EQ(st->EPSF, 1e-5);
  EXPECT_EQ(st->NPAR(), 20);
  {
    kin::FreeInput par("par.inp", tc.con);
    kinfit::read_par(*st, tc.con, par);
    EXPECT_TRUE(par.at_end());
  }
  EXPECT_EQ(st->NFAMP, 25);
  EXPECT_EQ(st->ASCERT.MODE, 1);
  for (int f = 1; f <= 25; ++f) EXPECT_EQ(st->LUK(f), 1);
  EXPECT_EQ(st->X(1), 0.4);
  EXPECT_EQ(st->GL(1), 0.1);
  EXPECT_EQ(st->GR(1), 0.9);
  EXPECT_EQ(st->IEST(3), 0);
  EXPECT_EQ(st->X(12), 0.2);
  EXPECT_EQ(st->IUSE(13), 0);
  for (int i = 1; i <= 20; ++i) EXPECT_EQ(st->LINK(i), i);
  kinfit::apply_defaults(*st);
  kin::StringUnit err;
  st->PAR_ERR = &err;
  double fstat = 0;
  kinfit::STAP0(*st, fstat);
  EXPECT_EQ(fstat, 1.0);
  EXPECT_EQ(err.text, "");
  EXPECT_EQ(tc.text(), "");

  // The truth file holds the values drawn with, as settings lines.
  const Settings truth = parse(read_file("truth.txt"));
  EXPECT_EQ(*truth.seed, 5u);
  EXPECT_EQ(truth.families, 25);
  EXPECT_EQ(truth.param(kinsim::kQ).value, 0.5);
  EXPECT_EQ(truth.param(kinsim::kD1 + 1).value, 0.2);
}

TEST(SimFiles, FamilyFlagsComeInLinesOfTwenty) {
  for (const auto& [families, lines] : std::vector<std::pair<int, std::string>>{
           {1, "1\n"},
           {20, "11111111111111111111\n"},
           {21, "11111111111111111111\n1\n"},
           {45, "11111111111111111111\n11111111111111111111\n11111\n"}}) {
    Settings s;
    s.families = families;
    s.children_max = 1;
    const Sample sample = kinsim::draw_sample(s, 1);
    const std::string par = kinsim::render(s, sample, 1).par;
    EXPECT_EQ(par.substr(0, par.find("1 1 1 0.5")), std::to_string(families) + " 0\n" + lines);
  }
}

// ---------------------------------------------------------------------------
// Pedigree shapes and ascertainment, read back from the data file

TEST(SimPedigrees, AreTreesOfNuclearFamiliesInGenerationOrder) {
  const Settings s = parse(
      "families = 60\ngenerations = 3\nchildren = poisson 2.2 1\nmarry = 0.6\nunknown = 0.2\n"
      "cov1 = a binary 0.3\ncov2 = b range -2 4\nD1 = 0.3\nD2 = 0.1\nQ = 0.3\nW1 = -1\nRo2 = "
      "0.5\n");
  TempDir dir;
  kinsim::simulate(s, 11);
  const DataFile d = read_data("sample.dat");
  const auto peds = pedigrees(d);
  ASSERT_EQ(peds.size(), 60u);
  int deepest = 0, married_in = 0;
  for (size_t k = 0; k < peds.size(); ++k) {
    const auto& ped = peds[k];
    ASSERT_EQ(ped[0][kPed], static_cast<int>(k) + 1);
    std::map<std::pair<int, int>, int> couples;  // (fa, mo) -> children
    std::map<int, int> couples_of;               // person -> couples as a parent
    std::vector<int> depth(ped.size() + 1, 0);
    for (size_t i = 0; i < ped.size(); ++i) {
      const auto& r = ped[i];
      const int id = static_cast<int>(i) + 1;
      ASSERT_EQ(r[kId], id);
      EXPECT_TRUE(r[kSex] == 1 || r[kSex] == 2);
      EXPECT_EQ(r[kProb], 2);
      EXPECT_TRUE(r[kTrait] >= 1 && r[kTrait] <= 3);
      EXPECT_TRUE(r[kCov1] == 0 || r[kCov1] == 1);
      EXPECT_TRUE(r[kCov1 + 1] >= -2 && r[kCov1 + 1] <= 4);
      EXPECT_EQ(r[kFa] == 0, r[kMo] == 0);
      if (r[kFa] == 0) continue;
      // Parents stand before their children, the father of sex 1, the mother of sex 2.
      ASSERT_TRUE(r[kFa] >= 1 && r[kFa] < id && r[kMo] >= 1 && r[kMo] < id);
      EXPECT_EQ(ped[static_cast<size_t>(r[kFa] - 1)][kSex], 1);
      EXPECT_EQ(ped[static_cast<size_t>(r[kMo] - 1)][kSex], 2);
      if (couples[{r[kFa], r[kMo]}]++ == 0) {
        ++couples_of[r[kFa]];
        ++couples_of[r[kMo]];
      }
      depth[static_cast<size_t>(id)] =
          1 + std::max(depth[static_cast<size_t>(r[kFa])], depth[static_cast<size_t>(r[kMo])]);
      deepest = std::max(deepest, depth[static_cast<size_t>(id)]);
    }
    // The founder couple comes first; every other couple joins a child of the
    // pedigree with a founder married in, and nobody is a parent twice: so the
    // pedigree is a tree of nuclear families, without loops or inbreeding.
    EXPECT_EQ(ped[0][kFa], 0);
    EXPECT_EQ(ped[1][kFa], 0);
    EXPECT_EQ((couples.begin()->first), std::make_pair(1, 2));
    for (const auto& [person, n] : couples_of)
      EXPECT_EQ(n, 1) << "pedigree " << k + 1 << " person " << person;
    for (const auto& [couple, n] : couples) {
      if (couple == std::make_pair(1, 2)) continue;
      const bool fa_founder = ped[static_cast<size_t>(couple.first - 1)][kFa] == 0;
      const bool mo_founder = ped[static_cast<size_t>(couple.second - 1)][kFa] == 0;
      EXPECT_NE(fa_founder, mo_founder);
      ++married_in;
    }
    for (size_t i = 2; i < ped.size(); ++i)
      if (ped[i][kFa] == 0) {
        EXPECT_EQ(couples_of.count(static_cast<int>(i) + 1), 1u);
      }
  }
  EXPECT_EQ(deepest, 3);
  EXPECT_GT(married_in, 0);
}

TEST(SimPedigrees, AscertainmentKeepsAndMarksFamiliesByItsRule) {
  struct Case {
    std::string setting;
    int mode;
  };
  for (const Case& c : std::vector<Case>{{"none", 0}, {"first", 1}, {"single 0.4", 1}}) {
    const Settings s = parse(
        "families = 80\ngenerations = 2\nchildren = range 1 4\nmarry = 0.5\nunknown = 0.15\n"
        "Q = 0.3\nW1 = -3\nW2 = -2\nW3 = -0.5\nascertainment = " +
        c.setting + "\n");
    TempDir dir;
    const Sample sample = kinsim::simulate(s, 3);
    const auto peds = pedigrees(read_data("sample.dat"));
    ASSERT_EQ(peds.size(), 80u) << c.setting;
    for (const auto& ped : peds) {
      int probands = 0;
      const std::vector<int>* first_affected = nullptr;
      for (const auto& r : ped) {
        EXPECT_TRUE(r[kProb] == 1 || r[kProb] == 2);
        probands += r[kProb] == 1;
        if (r[kTrait] == 2 && !first_affected) first_affected = &r;
        if (r[kProb] == 1) {
          EXPECT_EQ(r[kTrait], 2) << c.setting;  // probands are recorded affected
        }
      }
      if (c.setting == "none") {
        EXPECT_EQ(probands, 0);
      } else if (c.setting == "first") {
        ASSERT_EQ(probands, 1);
        ASSERT_NE(first_affected, nullptr);
        EXPECT_EQ((*first_affected)[kProb], 1);
      } else {
        EXPECT_GE(probands, 1);
      }
    }
    if (c.setting == "none")
      EXPECT_EQ(sample.drawn, 80);
    else
      EXPECT_GT(sample.drawn, 80);  // affected members are rare enough that families are dropped
    EXPECT_EQ(read_file("par.inp").substr(0, 5), "80 " + std::to_string(c.mode) + "\n");
  }
}

// ---------------------------------------------------------------------------
// Marriages of first cousins

// What the data file says about the couples of one pedigree.
struct Couples {
  int cousins = 0;      // spouses who share a grandparent: a consanguineous loop
  int other_kin = 0;    // both spouses with parents in the pedigree, yet not first cousins
  int married_out = 0;  // a child of the pedigree with a spouse married in
  // First cousins of the other sex and of the same generation who both married
  // a spouse from outside.
  int cousins_both_married_out = 0;
};

Couples couples_of(const std::vector<std::vector<int>>& ped) {
  auto row = [&](int id) -> const std::vector<int>& { return ped[static_cast<size_t>(id - 1)]; };
  std::vector<int> depth(ped.size() + 1, 0), spouse(ped.size() + 1, 0);
  std::set<std::pair<int, int>> couples;
  for (size_t i = 0; i < ped.size(); ++i) {
    const auto& r = ped[i];
    const int id = static_cast<int>(i) + 1;
    EXPECT_EQ(r[kId], id);
    EXPECT_EQ(r[kFa] == 0, r[kMo] == 0);
    if (r[kFa] == 0) continue;
    // Parents stand before their children; nobody has two spouses.
    EXPECT_TRUE(r[kFa] >= 1 && r[kFa] < id && r[kMo] >= 1 && r[kMo] < id) << id;
    EXPECT_EQ(row(r[kFa])[kSex], 1);
    EXPECT_EQ(row(r[kMo])[kSex], 2);
    for (auto [a, b] : {std::pair{r[kFa], r[kMo]}, std::pair{r[kMo], r[kFa]}}) {
      EXPECT_TRUE(spouse[static_cast<size_t>(a)] == 0 || spouse[static_cast<size_t>(a)] == b) << a;
      spouse[static_cast<size_t>(a)] = b;
    }
    couples.emplace(r[kFa], r[kMo]);
    depth[static_cast<size_t>(id)] =
        1 + std::max(depth[static_cast<size_t>(r[kFa])], depth[static_cast<size_t>(r[kMo])]);
  }
  auto grandparents = [&](int id) {
    std::set<int> g;
    for (int parent : {row(id)[kFa], row(id)[kMo]})
      if (parent != 0)
        for (int gp : {row(parent)[kFa], row(parent)[kMo]})
          if (gp != 0) g.insert(gp);
    return g;
  };
  auto first_cousins = [&](int a, int b) {
    if (row(a)[kFa] == row(b)[kFa]) return false;  // siblings
    const std::set<int> ga = grandparents(a), gb = grandparents(b);
    for (int g : ga)
      if (gb.count(g)) return true;
    return false;
  };
  Couples c;
  std::vector<int> out;  // children of the pedigree married to a spouse from outside
  for (const auto& [fa, mo] : couples) {
    const bool fa_child = row(fa)[kFa] != 0, mo_child = row(mo)[kFa] != 0;
    if (fa_child && mo_child) {
      if (first_cousins(fa, mo) && depth[static_cast<size_t>(fa)] == depth[static_cast<size_t>(mo)])
        ++c.cousins;
      else
        ++c.other_kin;
    } else if (fa_child || mo_child) {
      ++c.married_out;
      out.push_back(fa_child ? fa : mo);
    }
  }
  for (size_t i = 0; i < out.size(); ++i)
    for (size_t j = i + 1; j < out.size(); ++j)
      if (row(out[i])[kSex] != row(out[j])[kSex] &&
          depth[static_cast<size_t>(out[i])] == depth[static_cast<size_t>(out[j])] &&
          first_cousins(out[i], out[j]))
        ++c.cousins_both_married_out;
  return c;
}

// A pedigree small enough to follow by hand. The founders' daughters 3 and 4
// marry out; 3 has the daughters 6 and 7, and 4 the sons 9 and 10, all of whom
// marry. 6 comes first and takes her cousin 9 (of 9 and 10, each equally
// likely); their children 11 and 12 have the great-grandparents 1 and 2 through
// both parents. 7 then draws no cousin marriage and marries out (13), and 10,
// whose only unmarried cousin was 7, marries out too (16).
TEST(SimCousins, AFixedSeedGivesThisLoop) {
  TempDir dir;
  const Sample sample = kinsim::simulate(
      parse("families = 1\ngenerations = 3\nchildren = range 2 2\nmarry = 1\ncousins = 0.5\n"), 1);
  EXPECT_EQ(sample.cousin_marriages, 1);
  EXPECT_EQ(read_file("sample.dat"),
            "ped id fa mo sex prob trait\n"
            "1 1 0 0 1 2 1\n"
            "1 2 0 0 2 2 2\n"
            "1 3 1 2 2 2 1\n"
            "1 4 1 2 2 2 1\n"
            "1 5 0 0 1 2 2\n"
            "1 6 5 3 2 2 2\n"
            "1 7 5 3 2 2 1\n"
            "1 8 0 0 1 2 2\n"
            "1 9 8 4 1 2 2\n"
            "1 10 8 4 1 2 1\n"
            "1 11 9 6 1 2 1\n"
            "1 12 9 6 2 2 2\n"
            "1 13 0 0 1 2 1\n"
            "1 14 13 7 2 2 1\n"
            "1 15 13 7 1 2 1\n"
            "1 16 0 0 2 2 1\n"
            "1 17 10 16 2 2 2\n"
            "1 18 10 16 2 2 2\n");
  EXPECT_NE(read_file("truth.txt").find("; 1 marriage of first cousins\n"), std::string::npos);
}

// Larger draws read back from the data file: rows stay in generation order
// with ids 1..n, the couples of kin are exactly the cousin marriages counted,
// the same seed gives the same files, and with cousins = 1 no two unmarried
// cousins of the other sex are left to marry out.
TEST(SimCousins, MarriagesOfFirstCousinsCloseLoops) {
  const std::string design =
      "families = 100\ngenerations = 4\nchildren = poisson 3 1\nmarry = 0.6\nunknown = 0.1\n"
      "cov1 = a binary 0.3\nD1 = 0.5\nRo2 = 0.5\nlimits = none\nQ = 0.4\nW1 = -1\n";
  for (const char* p : {"0.3", "1"}) {
    const Settings s = parse(design + "cousins = " + p + "\n");
    TempDir dir;
    const Sample sample = kinsim::simulate(s, 21);
    const std::string data = read_file("sample.dat"), truth = read_file("truth.txt");
    const auto peds = pedigrees(read_data("sample.dat"));
    ASSERT_EQ(peds.size(), 100u);
    Couples all;
    for (size_t k = 0; k < peds.size(); ++k) {
      EXPECT_EQ(peds[k][0][kPed], static_cast<int>(k) + 1);
      const Couples c = couples_of(peds[k]);
      all.cousins += c.cousins;
      all.other_kin += c.other_kin;
      all.married_out += c.married_out;
      all.cousins_both_married_out += c.cousins_both_married_out;
    }
    EXPECT_EQ(all.cousins, sample.cousin_marriages) << p;
    EXPECT_GT(all.cousins, 20) << p;
    EXPECT_EQ(all.other_kin, 0) << p;
    EXPECT_GT(all.married_out, 100) << p;
    if (std::string(p) == "1")
      EXPECT_EQ(all.cousins_both_married_out, 0);
    else
      EXPECT_GT(all.cousins_both_married_out, 0);
    EXPECT_NE(truth.find("; " + std::to_string(sample.cousin_marriages) +
                         " marriages of first cousins\n"),
              std::string::npos);

    kinsim::simulate(s, 21);
    EXPECT_EQ(read_file("sample.dat"), data);
    EXPECT_EQ(read_file("truth.txt"), truth);
    kinsim::simulate(s, 22);
    EXPECT_NE(read_file("sample.dat"), data);
  }
}

// An isolate: one pedigree grown from its founders in generation order, each
// couple a man and a woman who are not siblings; spouses chosen among
// relatives make marriages of cousins, and without them (spouses 0 0 1) every
// later marriage takes a spouse from outside. The same seed, the same isolate.
TEST(SimIsolates, SpousesAmongRelativesMakeCousinMarriages) {
  const std::string design =
      "families = 1\nisolate = 10\ngenerations = 8\nchildren = poisson 2.6 1\nmarry = 0.65\nlimits = none\n"
      "Q = 0.8\nW1 = -3\nW2 = -1\nW3 = -1\n";
  for (const char* spouses : {"0.5 0.5 1", "0 0 1"}) {
    const Settings s = parse(design + "spouses = " + spouses + "\n");
    const Sample a = kinsim::draw_sample(s, 3);
    const Sample b = kinsim::draw_sample(s, 3);
    ASSERT_EQ(a.persons.size(), b.persons.size());
    ASSERT_GT(a.persons.size(), 200u) << spouses;
    int founders = 0, inner = 0;
    for (size_t i = 0; i < a.persons.size(); ++i) {
      const kinsim::Person& p = a.persons[i];
      EXPECT_EQ(p.ped, 1);
      EXPECT_EQ(p.id, static_cast<int>(i) + 1);
      EXPECT_EQ(p.genotype, b.persons[i].genotype);
      if (p.fa == 0) {
        ++founders;
        continue;
      }
      ASSERT_LT(p.fa, p.id);
      ASSERT_LT(p.mo, p.id);
      const kinsim::Person& f = a.persons[static_cast<size_t>(p.fa - 1)];
      const kinsim::Person& m = a.persons[static_cast<size_t>(p.mo - 1)];
      EXPECT_EQ(f.sex, 1);
      EXPECT_EQ(m.sex, 2);
      if (f.fa != 0 && m.fa != 0) {
        ++inner;
        EXPECT_FALSE(f.fa == m.fa || f.mo == m.mo) << "siblings married, child " << p.id;
      }
    }
    EXPECT_GT(founders, 10);
    if (std::string(spouses) == "0 0 1") {
      EXPECT_EQ(a.cousin_marriages, 0);
      EXPECT_EQ(inner, 0);
    } else {
      EXPECT_GE(a.cousin_marriages, 20);
      EXPECT_GT(inner, 20);
    }
  }
}

// Samples drawn without cousins keep their draws: this sample of four
// generations was written by kinsim before it knew cousin marriages, and
// "cousins = 0" is the same as leaving the setting out.
TEST(SimCousins, WithoutCousinsTheSampleIsUnchanged) {
  const std::string design =
      "families = 2\ngenerations = 4\nchildren = range 1 3\nmarry = 0.7\nunknown = 0.1\n";
  for (const std::string extra : {"", "cousins = 0\n"}) {
    TempDir dir;
    const Sample sample = kinsim::simulate(parse(design + extra), 4);
    EXPECT_EQ(sample.cousin_marriages, 0);
    EXPECT_EQ(read_file("truth.txt").find("cousins"), std::string::npos);
    EXPECT_EQ(read_file("sample.dat"),
              "ped id fa mo sex prob trait\n"
              "1 1 0 0 1 2 2\n"
              "1 2 0 0 2 2 2\n"
              "1 3 1 2 2 2 2\n"
              "1 4 1 2 1 2 1\n"
              "1 5 0 0 2 2 2\n"
              "1 6 4 5 2 2 2\n"
              "1 7 0 0 1 2 1\n"
              "1 8 7 6 1 2 2\n"
              "1 9 7 6 1 2 2\n"
              "1 10 7 6 1 2 1\n"
              "1 11 0 0 2 2 2\n"
              "1 12 8 11 1 2 2\n"
              "1 13 8 11 2 2 2\n"
              "1 14 0 0 2 2 1\n"
              "1 15 9 14 1 2 1\n"
              "1 16 9 14 1 2 2\n"
              "1 17 9 14 1 2 1\n"
              "1 18 0 0 2 2 2\n"
              "1 19 10 18 1 2 1\n"
              "1 20 10 18 2 2 2\n"
              "2 1 0 0 1 2 2\n"
              "2 2 0 0 2 2 1\n"
              "2 3 1 2 2 2 1\n")
        << extra;
  }
}

// ---------------------------------------------------------------------------
// Limits and refusals

TEST(SimLimits, RefusesWhatKinsortOrKinfitCannotHold) {
  Sample sample;
  sample.kept = 605;
  EXPECT_EQ(error_of([&] { kinsim::check_limits(sample); }),
            "the sample has 605 pedigrees; kinsort and kinfit hold 604 at most; lower families, "
            "children, marry or generations");
  sample.kept = 604;
  sample.persons.assign(4097, Person{});
  EXPECT_NE(error_of([&] { kinsim::check_limits(sample); }).find("the sample has 4097 persons"),
            std::string::npos);
  // A line of descent through k nuclear families: a founder couple, their
  // child, who has a child with a founder married in, and so on. It has 2k+1
  // persons but 3k member-list entries, since each child but the last is also
  // a parent.
  auto line_of_descent = [](int k) {
    Sample line;
    line.kept = 1;
    for (int id = 1; id <= 2 * k + 1; ++id) {
      Person p;
      p.ped = 1;
      p.id = id;
      if (id >= 3 && id % 2 == 1) {
        p.fa = id - 2;
        p.mo = id - 1;
      }
      line.persons.push_back(p);
    }
    return line;
  };
  EXPECT_EQ(error_of([&] { kinsim::check_limits(line_of_descent(1365)); }), "");  // 4095 entries
  EXPECT_NE(error_of([&] {
              kinsim::check_limits(line_of_descent(1366));
            }).find("the sample has 4098 entries in the member lists"),
            std::string::npos);
}

TEST(SimLimits, RefusedRunsWriteNothing) {
  TempDir dir;
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"families = 605\n", "families = 605: kinsort and kinfit hold 604 pedigrees at most"},
      {"families = 600\ngenerations = 3\nchildren = range 2 4\nmarry = 1\n",
       "the sample grows beyond 4096 persons after"},
      {"families = 5\nW1 = -20\nW2 = -9\nW3 = -9\nlow.W1 = -30\nascertainment = first\nmax_draws = "
       "100\n",
       "only 0 of 5 families passed the ascertainment in 100 draws"},
      {"generations = 5\nchildren = range 50 50\nmarry = 1\n",
       "a pedigree grows beyond 4096 persons"},
  };
  for (const auto& c : cases) {
    const std::string& text = c.first;
    const std::string& message = c.second;
    const std::string got = error_of([&] { kinsim::simulate(parse(text), 1); });
    EXPECT_NE(got.find(message), std::string::npos) << text << " gave: " << got;
    for (const char* n : {"sample.dat", "task.inp", "maxpar.inp", "par.inp", "truth.txt"})
      EXPECT_FALSE(kintest::exists(n)) << n;
  }
}

// Without the programs' limits the same draws give the same data and truth
// files, more pedigrees than kinfit holds are allowed, and no control files
// are written for programs that could not read the sample.
TEST(SimLimits, NoLimitsWritesTheDataAndTruthFilesOnly) {
  TempDir dir;
  const std::string design = "families = 30\ngenerations = 2\nseed = 6\n";
  kintest::write_file("within.txt", design);
  std::ostringstream out, err;
  ASSERT_EQ(kinsim::run({"within.txt"}, out, err), 0);
  const std::string data = read_file("sample.dat"), truth = read_file("truth.txt");
  for (const char* n : {"sample.dat", "task.inp", "maxpar.inp", "par.inp", "truth.txt"})
    std::remove(n);
  kintest::write_file("none.txt", design + "limits = none\n");
  std::ostringstream out2, err2;
  ASSERT_EQ(kinsim::run({"none.txt"}, out2, err2), 0);
  EXPECT_EQ(err2.str(), "");
  EXPECT_NE(out2.str().find("kinsim: wrote sample.dat, truth.txt\n"), std::string::npos);
  EXPECT_EQ(read_file("sample.dat"), data);
  EXPECT_EQ(read_file("truth.txt"), truth);
  for (const char* n : {"task.inp", "maxpar.inp", "par.inp"}) EXPECT_FALSE(kintest::exists(n)) << n;

  const Sample many =
      kinsim::simulate(parse("families = 700\nchildren = range 0 1\nlimits = none\n"), 3);
  EXPECT_EQ(many.kept, 700);
  EXPECT_EQ(pedigrees(read_data("sample.dat")).size(), 700u);
}

TEST(SimCommand, RunsFromASettingsFileAndASeed) {
  TempDir dir;
  kintest::write_file("s.txt", "families = 4\nseed = 8\n");
  std::ostringstream out, err;
  EXPECT_EQ(kinsim::run({"s.txt"}, out, err), 0);
  EXPECT_EQ(err.str(), "");
  EXPECT_NE(out.str().find("kinsim: 4 families kept of 4 drawn"), std::string::npos);
  EXPECT_NE(out.str().find("seed 8\n"), std::string::npos);
  const std::string first = read_file("sample.dat");
  EXPECT_EQ(kinsim::run({"s.txt", "9"}, out, err), 0);  // a seed on the command line wins
  EXPECT_NE(read_file("sample.dat"), first);
  EXPECT_NE(read_file("truth.txt").find("seed = 9\n"), std::string::npos);

  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  };
  kintest::write_file("noseed.txt", "families = 4\n");
  kintest::write_file("bad.txt", "families = -4\nseed = 1\n");
  for (const Case& c : std::vector<Case>{
           {{}, 1, "usage: kinsim SETTINGS [SEED]"},
           {{"s.txt", "1", "2"}, 1, "usage: kinsim SETTINGS [SEED]"},
           {{"missing.txt"}, 2, "kinsim: missing.txt: cannot open the settings file"},
           {{"."}, 2, "kinsim: .: cannot"},
           {{"s.txt", "x1"}, 1, "kinsim: seed x1: expected a whole number"},
           {{"noseed.txt"},
            1,
            "kinsim: no seed: give \"seed = N\" in noseed.txt or a seed after its name"},
           {{"bad.txt"}, 1, "kinsim: families = -4: at least 1 is needed"},
       }) {
    std::ostringstream o, e;
    EXPECT_EQ(kinsim::run(c.args, o, e), c.status);
    EXPECT_NE(e.str().find(c.message), std::string::npos) << e.str();
  }

  // --version and --help answer on standard output and write no file.
  TempDir quiet;
  for (const auto& [arg, text] : std::vector<std::pair<std::string, std::string>>{
           {"--version", "kinsim " KINSEG_VERSION "\n"}, {"--help", "usage: kinsim SETTINGS [SEED]\n"}}) {
    std::ostringstream o, e;
    EXPECT_EQ(kinsim::run({arg}, o, e), 0) << arg;
    EXPECT_EQ(o.str().substr(0, text.size()), text) << arg;
    EXPECT_EQ(e.str(), "") << arg;
    EXPECT_TRUE(std::filesystem::is_empty(".")) << arg;
  }
}

// ---------------------------------------------------------------------------
// The model, on large draws held in memory

// Founders: Hardy-Weinberg genotypes, and the affected fraction of each sex
// against the model's marginal value sum over g of P(g) * logistic(baseline).
TEST(SimModel, FoundersFollowHardyWeinbergAndTheirPenetrance) {
  Settings s = parse(
      "families = 20000\nchildren = range 0 0\nQ = 0.3\nW1 = -2\nW2 = -0.5\nW3 = 1\n"
      "V1 = 0.5\nV2 = 0.3\nV3 = -0.4\n");
  const Sample sample = kinsim::draw_sample(s, 2024);
  ASSERT_EQ(sample.persons.size(), 40000u);
  const double q = 0.3, pg[3] = {q * q, 2 * q * (1 - q), (1 - q) * (1 - q)};
  const double w[3] = {-2, -0.5, 1}, v[3] = {0.5, 0.3, -0.4};
  double count[3] = {0, 0, 0}, affected[2] = {0, 0}, n_sex[2] = {0, 0};
  for (const Person& p : sample.persons) {
    ASSERT_EQ(p.fa, 0);
    ++count[p.genotype - 1];
    ++n_sex[p.sex - 1];
    affected[p.sex - 1] += p.trait == 2;
  }
  EXPECT_EQ(n_sex[0], 20000);  // every founder couple is one of each sex
  const double n = 40000;
  for (int g = 0; g < 3; ++g)
    expect_count(count[g], n * pg[g], n * pg[g] * (1 - pg[g]), "genotype");
  for (int sex = 0; sex < 2; ++sex) {
    double pa = 0;
    for (int g = 0; g < 3; ++g) pa += pg[g] * sigma(w[g] + (sex == 1 ? v[g] : 0.0));
    expect_count(affected[sex], n_sex[sex] * pa, n_sex[sex] * pa * (1 - pa), "affected founders");
  }
}

// Children's genotypes against the transmission table of their parents'
// genotypes, with transmission probabilities that are not Mendelian.
TEST(SimModel, ChildrenInheritByTheTransmissionProbabilities) {
  const Settings s =
      parse("families = 4000\nchildren = range 1 5\nQ = 0.45\nTr1 = 0.9\nTr2 = 0.6\nTr3 = 0.2\n");
  const Sample sample = kinsim::draw_sample(s, 77);
  const double tr[3] = {0.9, 0.6, 0.2};
  double observed[3] = {0, 0, 0}, expected[3] = {0, 0, 0}, variance[3] = {0, 0, 0};
  size_t start = 0;
  for (size_t i = 0; i < sample.persons.size(); ++i) {
    const Person& p = sample.persons[i];
    if (p.id == 1) start = i;
    if (p.fa == 0) continue;
    const double tj = tr[sample.persons[start + p.fa - 1].genotype - 1];
    const double tk = tr[sample.persons[start + p.mo - 1].genotype - 1];
    const double pc[3] = {tj * tk, tj * (1 - tk) + (1 - tj) * tk, (1 - tj) * (1 - tk)};
    ++observed[p.genotype - 1];
    for (int g = 0; g < 3; ++g) {
      expected[g] += pc[g];
      variance[g] += pc[g] * (1 - pc[g]);
    }
  }
  EXPECT_GT(observed[0] + observed[1] + observed[2], 10000);
  for (int g = 0; g < 3; ++g) expect_count(observed[g], expected[g], variance[g], "child genotype");
}

// Every recorded trait against its probability under the model, computed from
// the person's genotype, sex and covariates and the recorded codes of the
// parents, within strata of sex, covariate, and parents unaffected / affected.
// A parent recorded as unknown counts in neither, so a generator that used the
// parents' drawn traits instead would fail the strata with an unknown parent.
TEST(SimModel, TraitsFollowThePenetranceWithRegressiveTerms) {
  const Settings s = parse(
      "families = 3000\ngenerations = 2\nchildren = range 1 4\nmarry = 0.5\nunknown = 0.2\n"
      "cov1 = a binary 0.4\ncov2 = b range 0 2\nD1 = 0.8\nD2 = -0.5\n"
      "Q = 0.4\nW1 = -1.5\nW2 = -0.5\nW3 = 0.5\nV1 = 0.4\nV2 = 0.6\nV3 = 0.2\nRo1 = -0.7\nRo2 = "
      "1.2\n");
  const Sample sample = kinsim::draw_sample(s, 31);
  const double w[3] = {-1.5, -0.5, 0.5}, v[3] = {0.4, 0.6, 0.2};
  struct Stratum {
    double n = 0, observed = 0, expected = 0, variance = 0;
  };
  std::map<std::tuple<int, int, int, int, int>, Stratum> strata;  // child, sex, cov1, nU, nA
  double unknown = 0;
  size_t start = 0;
  for (size_t i = 0; i < sample.persons.size(); ++i) {
    const Person& p = sample.persons[i];
    if (p.id == 1) start = i;
    if (p.trait == 3) {
      ++unknown;
      continue;
    }
    int nu = 0, na = 0;
    if (p.fa != 0)
      for (int parent : {p.fa, p.mo}) {
        const int t = sample.persons[start + static_cast<size_t>(parent) - 1].trait;
        nu += t == 1;
        na += t == 2;
      }
    const int g = p.genotype - 1;
    const double x =
        0.8 * p.cov[0] - 0.5 * p.cov[1] + w[g] + (p.sex == 2 ? v[g] : 0.0) - 0.7 * nu + 1.2 * na;
    const double pa = sigma(x);
    Stratum& st = strata[{p.fa != 0, p.sex, p.cov[0], nu, na}];
    ++st.n;
    st.observed += p.trait == 2;
    st.expected += pa;
    st.variance += pa * (1 - pa);
  }
  const double n = static_cast<double>(sample.persons.size());
  expect_count(unknown, n * 0.2, n * 0.2 * 0.8, "unknown traits");
  int checked = 0;
  for (const auto& [key, st] : strata) {
    if (st.n < 100) continue;
    ++checked;
    std::ostringstream what;
    what << "child " << std::get<0>(key) << " sex " << std::get<1>(key) << " cov1 "
         << std::get<2>(key) << " nU " << std::get<3>(key) << " nA " << std::get<4>(key);
    expect_count(st.observed, st.expected, st.variance, what.str());
  }
  // Founders and children with each combination of parents' codes, of both sexes and covariate
  // values.
  EXPECT_GE(checked, 20);
}

}  // namespace
