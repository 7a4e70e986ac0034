#include "analysis/chi_square_mixture.hpp"

#include <boost/math/distributions/chi_squared.hpp>
#include <sstream>
#include <stdexcept>

namespace kinseg {

ChiSquareMixture::ChiSquareMixture(std::vector<std::pair<double, int>> terms) : terms_(std::move(terms)) {
  for (const auto& [w, df] : terms_)
    if (!(w >= 0.0) || df < 0) throw std::invalid_argument("chi-square mixture with a negative weight or degree");
}

double ChiSquareMixture::tail(double x) const {
  if (!(x > 0.0)) return 1.0;
  double p = 0.0;
  for (const auto& [w, df] : terms_) {
    if (df == 0) continue;  // the point mass at 0 lies below every positive statistic
    const boost::math::chi_squared dist(df);
    p += w * boost::math::cdf(boost::math::complement(dist, x));
  }
  return p;
}

std::string ChiSquareMixture::describe() const {
  std::ostringstream out;
  if (terms_.size() == 1 && terms_[0].first == 1.0) {
    out << "chi2(" << terms_[0].second << ")";
    return out.str();
  }
  for (size_t i = 0; i < terms_.size(); ++i) {
    if (i > 0) out << " + ";
    out << terms_[i].first << " chi2(" << terms_[i].second << ")";
  }
  return out.str();
}

}  // namespace kinseg
