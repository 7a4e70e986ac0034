#include "analysis/nested_model.hpp"

#include <algorithm>
#include <cmath>

namespace kinseg {

namespace {

bool transmission_nested(Transmission inner, Transmission outer) {
  using T = Transmission;
  if (inner == outer) return true;
  switch (inner) {
    case T::sporadic: return true;
    case T::no_transmission: return outer == T::homog_general || outer == T::general;
    case T::mendelian: return outer == T::tau_ab_free || outer == T::homog_general || outer == T::general;
    case T::tau_ab_free:
    case T::homog_general: return outer == T::general;
    case T::general: return false;
  }
  return false;
}

bool close(double a, double b, double tolerance) { return std::abs(a - b) <= tolerance * std::max(1.0, std::abs(b)); }

// All genotypes carry the same risk: Q and transmission do not enter the
// likelihood.
bool genotypes_alike(const Point& p, double tolerance) {
  for (int g = 1; g < 3; ++g) {
    if (!close(p.w[g], p.w[0], tolerance)) return false;
    if (p.sex_effect && !close(p.v[g], p.v[0], tolerance)) return false;
  }
  return true;
}

// Dominant (h = 1), recessive (h = 0) and additive (h = 1/2) lie in the
// ordered codominant model, and all of them in the unordered one.
bool types_nested(GenotypeEffects inner, GenotypeEffects outer) {
  using E = GenotypeEffects;
  if (outer == E::unordered) return inner != E::unordered;
  if (outer == E::codominant) return inner == E::dominant || inner == E::recessive || inner == E::additive;
  return false;
}

// The dominance of a fit: its h, or where its heterozygote lies between the
// homozygotes (1/2 when they are alike).
double dominance_of(const FitResult& fit) {
  if (const ParameterEstimate* h = fit.find("h")) return h->estimate;
  const ParameterEstimate *w1 = fit.find("w1"), *w2 = fit.find("w2"), *w3 = fit.find("w3");
  if (!w1 || !w2 || !w3 || w1->estimate == w3->estimate) return 0.5;
  return std::clamp((w2->estimate - w3->estimate) / (w1->estimate - w3->estimate), 0.0, 1.0);
}

}  // namespace

bool nested_in(const Model& inner, const Model& outer) {
  if (inner.transmission() == outer.transmission() && inner.effects() == outer.effects()) return false;
  if (outer.transmission() == Transmission::sporadic) return false;
  if (!transmission_nested(inner.transmission(), outer.transmission())) return false;
  if (inner.transmission() == Transmission::sporadic) return true;
  return inner.effects() == outer.effects() || types_nested(inner.effects(), outer.effects());
}

bool same_point(const Point& a, const Point& b, double tolerance) {
  for (int g = 0; g < 3; ++g)
    if (!close(a.w[g], b.w[g], tolerance)) return false;
  const double zero[3] = {0, 0, 0};
  const double* va = a.sex_effect ? a.v : zero;
  const double* vb = b.sex_effect ? b.v : zero;
  for (int g = 0; g < 3; ++g)
    if (!close(va[g], vb[g], tolerance)) return false;
  if (a.d.size() != b.d.size()) return false;
  for (size_t j = 0; j < a.d.size(); ++j)
    if (!close(a.d[j], b.d[j], tolerance)) return false;
  for (int r = 0; r < 2; ++r)
    if (!close(a.ro[r], b.ro[r], tolerance)) return false;
  if (genotypes_alike(a, tolerance)) return true;
  if (!close(a.q, b.q, tolerance)) return false;
  const double mendel[3] = {1.0, 0.5, 0.0};
  const double* ta = a.free_transmission ? a.tau : mendel;
  const double* tb = b.free_transmission ? b.tau : mendel;
  for (int g = 0; g < 3; ++g)
    if (!close(ta[g], tb[g], tolerance)) return false;
  return true;
}

std::optional<std::vector<double>> nested_start(const Model& outer, const Model& inner, const FitResult& fit,
                                                double q_when_absent) {
  if (!nested_in(inner, outer) || !fit.lnl) return std::nullopt;
  const auto& params = outer.parameters();
  std::vector<double> values(params.size(), 0.0);
  for (size_t i = 0; i < params.size(); ++i) {
    const std::string& name = params[i].name;
    if (const ParameterEstimate* e = fit.find(name)) {
      values[i] = e->estimate;
    } else if (name == "q") {
      values[i] = std::clamp(q_when_absent, params[i].low, params[i].high);
    } else if (name == "tr1") {
      values[i] = 1.0;
    } else if (name == "tr2") {
      values[i] = 0.5;
    } else if (name == "tr3") {
      values[i] = 0.0;
    } else if (name == "h") {
      values[i] = dominance_of(fit);
    }
  }
  const std::vector<double> x = outer.free_vector(values);
  if (!outer.feasible(x)) return std::nullopt;
  if (!same_point(outer.point(x), fit.point)) return std::nullopt;
  return x;
}

}  // namespace kinseg
