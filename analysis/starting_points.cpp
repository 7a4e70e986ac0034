#include "analysis/starting_points.hpp"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace kinseg {

namespace {

struct GridPoint {
  double q;
  double effect;
};

// A handful of spread-out points first, then a Halton sequence (bases 2 and 3)
// over q in [0.01, 0.9] and effect in [1, 6].
GridPoint grid_point(int i) {
  static const GridPoint first[] = {{0.1, 3}, {0.3, 2}, {0.02, 4}, {0.5, 3},
                                    {0.05, 2}, {0.2, 5}, {0.7, 2}, {0.01, 6}};
  const int nfirst = static_cast<int>(sizeof first / sizeof first[0]);
  if (i < nfirst) return first[i];
  auto halton = [](int n, int base) {
    double f = 1, r = 0;
    for (; n > 0; n /= base) {
      f /= base;
      r += f * (n % base);
    }
    return r;
  };
  const int n = i - nfirst + 1;
  return {0.01 + 0.89 * halton(n, 2), 1 + 5 * halton(n, 3)};
}

double logistic(double x) { return 1 / (1 + std::exp(-x)); }

// The baseline b with sum_g f_g logistic(b + effect * share_g) = prevalence.
double baseline(double q, double effect, const double share[3], double prevalence) {
  const double f[3] = {q * q, 2 * q * (1 - q), (1 - q) * (1 - q)};
  double lo = -30, hi = 30;
  for (int it = 0; it < 100; ++it) {
    const double b = 0.5 * (lo + hi);
    double p = 0;
    for (int g = 0; g < 3; ++g) p += f[g] * logistic(b + effect * share[g]);
    (p < prevalence ? lo : hi) = b;
  }
  return 0.5 * (lo + hi);
}

std::string label(const GridPoint& g) {
  std::ostringstream s;
  s << "grid q=" << g.q << " effect " << g.effect;
  return s.str();
}

}  // namespace

std::vector<StartingPoint> starting_points(const Model& model, const SampleSummary& summary, int count,
                                           const std::vector<LabelledStart>& extra) {
  const auto& params = model.parameters();
  // With an age of onset the baselines are those of the susceptibility.
  const bool onset = model.options().onset.on;
  const double prevalence = std::clamp(onset && summary.onset.present ? summary.onset.susceptible : summary.prevalence, 0.01, 0.99);
  double share[3] = {1.0, 0.5, 0.0};
  if (model.effects() == GenotypeEffects::dominant) share[1] = 1.0;
  if (model.effects() == GenotypeEffects::recessive) share[1] = 0.0;
  const bool sporadic = model.transmission() == Transmission::sporadic;
  if (sporadic) share[0] = share[1] = share[2] = 0.0;

  auto values_at = [&](int i) {
    const GridPoint g = grid_point(i);
    std::vector<double> v(params.size(), 0.0);
    const int iq = model.find("q");
    double q = g.q;
    if (iq >= 0) {
      const Parameter& p = params[iq];
      q = p.role == ParameterRole::fixed ? p.value : std::clamp(g.q, p.low, p.high);
      v[iq] = q;
    }
    const double b = baseline(q, g.effect, share, prevalence);
    for (int gt = 0; gt < 3; ++gt) {
      const int iw = model.find("w" + std::to_string(gt + 1));
      v[iw] = b + g.effect * share[gt];
    }
    if (const int ih = model.find("h"); ih >= 0) v[ih] = share[1];
    if (onset) {
      const OnsetOptions& on = model.options().onset;
      for (int gt = 0; gt < 3; ++gt) {
        v[model.find("m" + std::to_string(gt + 1))] = on.mean_start;
        const int is = model.find(on.spread_by_type ? "s" + std::to_string(gt + 1) : "s");
        v[is] = on.spread_start;
      }
    }
    const bool not_transmitted = i % 2 == 1;
    const double tr[3] = {not_transmitted ? q : 1.0, not_transmitted ? q : 0.5, not_transmitted ? q : 0.0};
    for (int t = 0; t < 3; ++t) {
      const int it = model.find("tr" + std::to_string(t + 1));
      if (it >= 0) v[it] = tr[t];
    }
    return v;
  };
  auto to_free = [&](std::vector<double> v) {
    for (size_t i = 0; i < params.size(); ++i)
      if (params[i].role == ParameterRole::fixed) v[i] = params[i].value;
    std::vector<double> x = model.free_vector(v);
    const auto lo = model.lower(), hi = model.upper();
    for (size_t c = 0; c < x.size(); ++c) x[c] = std::clamp(x[c], lo[c], hi[c]);
    return x;
  };

  std::vector<StartingPoint> out;
  bool user = false;
  for (const auto& p : params) user = user || p.start.has_value();
  const int grid = sporadic ? 1 : std::max(1, count);
  for (int i = 0; i < grid; ++i) {
    std::vector<double> v = values_at(i);
    std::string origin = label(grid_point(i));
    if (sporadic) origin = "prevalence among non-probands";
    if (i == 0 && user) {
      for (size_t j = 0; j < params.size(); ++j)
        if (params[j].start) v[j] = *params[j].start;
      origin = "--start";
    }
    out.push_back({origin, to_free(v)});
  }
  for (const auto& e : extra) {
    std::vector<double> v = values_at(0);
    for (const auto& nv : e.values) {
      const int j = model.find(nv.name);
      if (j >= 0 && params[j].role == ParameterRole::estimated && std::isfinite(nv.value)) v[j] = nv.value;
    }
    out.push_back({e.label, to_free(v)});
  }
  return out;
}

}  // namespace kinseg
