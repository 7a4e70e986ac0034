// A likelihood-ratio test of a null model against an alternative in which it
// is nested: the statistic 2 (ln L_alternative - ln L_null), its reference
// distribution and p-value, and flags for what makes the p-value less than
// exact:
// - a free parameter of either fit on a bound or on the edge of its model's
//   constraints (it changes the reference), except the bounds that the
//   reference already allows for (Tr1 = 1 and Tr3 = 0 of the alternative when
//   the reference is a mixture with a chi2(0) or lower-degree term for them);
// - a parameter that is not identified under the null (Q under the sporadic
//   model): the reference is approximate;
// - a difference in free parameters other than the one the reference is made
//   for (the options held parameters in one model and not the other);
// - a fit that did not converge;
// - an alternative that ended below the null (the statistic is then 0).
// A test between fits that are missing, or whose models the options have made
// not nested, is not available: no statistic and no p-value.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/chi_square_mixture.hpp"
#include "analysis/fit_result.hpp"

namespace kinseg {

struct LikelihoodRatioTest {
  std::string null_model, alternative;
  ChiSquareMixture reference;
  std::string reference_text;        // reference.describe()
  int expected_df = 0;               // the difference in free parameters the reference is made for
  std::optional<double> statistic;   // absent when the test is not available
  std::optional<double> p;
  std::vector<std::string> flags;    // short, e.g. "null: q at lower bound"
  std::string unavailable;           // why there is no test, when there is none

  bool available() const { return p.has_value(); }
  std::string flags_text() const;    // the flags joined by "; ", "" when none
};

// What the caller knows about the comparison.
struct TestSetting {
  ChiSquareMixture reference;
  int expected_df = 0;       // 0: any (the reference is chi2 of the actual difference)
  bool boundary_in_reference = false;  // Tr1 = 1 / Tr3 = 0 of the alternative are allowed for
  std::string not_identified;          // e.g. "q not identified under the null: p approximate"
};

// NULL_FIT and ALT_FIT may be null (a model that was not fitted). NESTED says
// whether the null's fit lies in the alternative's space. A statistic within
// 2 TIE of 0 (rounding: the two fits reached the same maximum) is 0 without a
// flag; one further below 0 is 0 with a flag.
LikelihoodRatioTest likelihood_ratio_test(const std::string& null_model, const FitResult* null_fit,
                                          const std::string& alternative, const FitResult* alt_fit, bool nested,
                                          const TestSetting& setting, double tie = 1e-6);

}  // namespace kinseg
