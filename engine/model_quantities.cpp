#include "engine/model_quantities.hpp"

#include <cmath>
#include <stdexcept>
#include <string>

#include "engine/genotype_model.hpp"

namespace kinseg {

namespace {

bool probability(double x) { return x >= 0.0 && x <= 1.0; }

[[noreturn]] void refuse(const std::string& what) { throw std::invalid_argument(what); }

std::string index(const char* name, int g) { return name + std::to_string(g + 1); }

}  // namespace

// The messages are built only for a point that fails: a point that passes
// costs no allocation.
void check_point(const Point& point, int ncov) {
  if (!(std::isfinite(point.q) && probability(point.q))) refuse("the allele frequency q must lie in [0, 1]");
  for (int g = 0; g < 3; ++g) {
    if (!std::isfinite(point.w[g])) refuse(index("w", g) + " is not a finite number");
    if (!std::isfinite(point.v[g])) refuse(index("v", g) + " is not a finite number");
    if (point.free_transmission && !probability(point.tau[g]))
      refuse("the transmission probability " + index("tr", g) + " must lie in [0, 1]");
  }
  if (!std::isfinite(point.ro[0]) || !std::isfinite(point.ro[1])) refuse("ro1 and ro2 must be finite numbers");
  if (static_cast<int>(point.d.size()) != ncov)
    refuse("the point has " + std::to_string(point.d.size()) + " covariate coefficients, the sample " +
           std::to_string(ncov) + " covariates");
  for (double d : point.d)
    if (!std::isfinite(d)) refuse("a covariate coefficient is not a finite number");
}

void derive_quantities(const Point& point, std::vector<double>& d, ModelQuantities& q) {
  kin::genotype_frequencies(point.q, q.P);
  kin::transmission_table(point.free_transmission ? point.tau : kin::kMendelianTau, q.tranc);
  kin::make_pair_table(q.tranc, q.pairs);

  kin::PenetranceModel& m = q.penetrance;
  for (int g = 0; g < 3; ++g) {
    m.w[g] = point.w[g];
    m.wv[g] = kin::sex_two_baseline(point.w[g], point.v[g], point.sex_effect);
  }
  d.assign(point.d.begin(), point.d.end());
  m.d = d.data();
  m.ncov = static_cast<int>(d.size());
  m.ro1 = point.ro[0];
  m.ro2 = point.ro[1];
}

}  // namespace kinseg
