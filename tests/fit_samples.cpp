#include "tests/fit_samples.hpp"

#include <gtest/gtest.h>

#include <utility>

#include "tools/simulate.hpp"

namespace kintest {

namespace {

kinseg::ReadOptions options_for(const kinsim::Settings& settings) {
  kinseg::ReadOptions ro;
  for (const auto& c : settings.covariates) ro.columns.covariates.push_back(c.name);
  // A trait of one sex: the other sex's rows hold another trait's values.
  if (settings.trait_sex > 0) ro.trait.only = kinseg::TraitOnly{"sex", {std::to_string(settings.trait_sex)}};
  return ro;
}

kinseg::Sample checked(kinseg::DataRead read) {
  EXPECT_FALSE(read.problems.refused()) << "the simulated sample is refused";
  return std::move(read.sample);
}

}  // namespace

kinseg::Sample simulated_sample(const kinsim::Settings& settings, uint64_t seed) {
  const kinsim::Sample drawn = kinsim::draw_sample(settings, seed);
  return checked(kinseg::read_sample_text(kinsim::render(settings, drawn, seed).data, settings.data_file,
                                          options_for(settings)));
}

kinseg::Sample read_data_file(const std::string& path, const kinsim::Settings& settings) {
  return checked(kinseg::read_sample(path, options_for(settings)));
}

std::map<std::string, double> kinseg_values(const kinsim::Settings& s, bool start) {
  auto at = [&](int slot) {
    const kinsim::Param& p = s.param(slot);
    return start && p.start ? *p.start : p.value;
  };
  std::map<std::string, double> v;
  v["q"] = at(kinsim::kQ);
  for (int g = 0; g < 3; ++g) {
    v["w" + std::to_string(g + 1)] = at(kinsim::kW1 + g);
    v["v" + std::to_string(g + 1)] = at(kinsim::kV1 + g);
    v["tr" + std::to_string(g + 1)] = at(kinsim::kTr1 + g);
  }
  for (int j = 0; j < s.ncov(); ++j) v["d." + s.covariates[j].name] = at(kinsim::kD1 + j);
  v["ro1"] = at(kinsim::kRo1);
  v["ro2"] = at(kinsim::kRo2);
  if (v["w1"] < v["w3"]) {
    v["q"] = 1 - v["q"];
    std::swap(v["w1"], v["w3"]);
    std::swap(v["v1"], v["v3"]);
    const double t1 = v["tr1"], t2 = v["tr2"], t3 = v["tr3"];
    v["tr1"] = 1 - t3;
    v["tr2"] = 1 - t2;
    v["tr3"] = 1 - t1;
  }
  return v;
}

}  // namespace kintest
