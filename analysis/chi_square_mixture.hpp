// Reference distributions of likelihood-ratio statistics: a chi-square
// distribution, or a mixture of chi-squares with weights, as arises when the
// null model puts parameters on the boundary of the alternative's space (for
// instance Mendelian transmission, Tr1 = 1 and Tr3 = 0, inside the general
// model whose transmission probabilities lie in [0, 1]). A chi-square with 0
// degrees of freedom is the point mass at 0.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kinseg {

class ChiSquareMixture {
 public:
  ChiSquareMixture() = default;
  // A mixture from (weight, degrees of freedom) terms; weights sum to 1.
  explicit ChiSquareMixture(std::vector<std::pair<double, int>> terms);
  static ChiSquareMixture chi_square(int df) { return ChiSquareMixture({{1.0, df}}); }

  // P(X >= x): the p-value of the statistic x (1 for x <= 0).
  double tail(double x) const;
  // As written in tables: "chi2(1)" or "0.25 chi2(0) + 0.5 chi2(1) + 0.25 chi2(2)".
  std::string describe() const;
  const std::vector<std::pair<double, int>>& terms() const { return terms_; }

 private:
  std::vector<std::pair<double, int>> terms_;
};

}  // namespace kinseg
