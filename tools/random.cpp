#include "tools/random.hpp"

#include <cmath>
#include <limits>

namespace kinsim {

namespace {

uint64_t splitmix64(uint64_t& z) {
  z += 0x9e3779b97f4a7c15ULL;
  uint64_t r = z;
  r = (r ^ (r >> 30)) * 0xbf58476d1ce4e5b9ULL;
  r = (r ^ (r >> 27)) * 0x94d049bb133111ebULL;
  return r ^ (r >> 31);
}

inline uint64_t rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

}  // namespace

Rng::Rng(uint64_t seed) {
  uint64_t z = seed;
  for (uint64_t& w : s_) w = splitmix64(z);
}

uint64_t Rng::next() {
  const uint64_t result = rotl(s_[1] * 5, 7) * 9;
  const uint64_t t = s_[1] << 17;
  s_[2] ^= s_[0];
  s_[3] ^= s_[1];
  s_[1] ^= s_[2];
  s_[0] ^= s_[3];
  s_[2] ^= t;
  s_[3] = rotl(s_[3], 45);
  return result;
}

double Rng::uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

uint64_t Rng::below(uint64_t n) {
  // Values under `floor` would make the low residues more likely; draw again.
  const uint64_t floor = (0 - n) % n;
  for (;;) {
    const uint64_t r = next();
    if (r >= floor) return r % n;
  }
}

bool Rng::chance(double p) { return uniform() < p; }

int Rng::poisson(double mean) {
  // Count uniforms until their product falls to e^-mean or below.
  const double limit = exp_det(-mean);
  int k = 0;
  double prod = uniform();
  while (prod > limit) {
    ++k;
    prod *= uniform();
  }
  return k;
}

double exp_det(double x) {
  if (std::isnan(x)) return x;
  if (x > 709.782712893384) return std::numeric_limits<double>::infinity();
  if (x < -745.1332191019412) return 0.0;
  // x = k ln2 + r with |r| <= ln2 / 2; ln2 in two parts so that k * LN2_HI is exact.
  constexpr double LN2_HI = 6.93147180369123816490e-01;
  constexpr double LN2_LO = 1.90821492927058770002e-10;
  constexpr double INV_LN2 = 1.44269504088896338700e+00;
  const double k = std::floor(x * INV_LN2 + 0.5);
  const double r = (x - k * LN2_HI) - k * LN2_LO;
  // Taylor series to r^14 / 14!, whose next term is below 1e-19 for |r| <= 0.35.
  double p = 1.0;
  for (int n = 14; n >= 1; --n) p = 1.0 + p * r / n;
  return std::ldexp(p, static_cast<int>(k));
}

double logistic(double x) { return 1.0 / (1.0 + exp_det(-x)); }

}  // namespace kinsim
