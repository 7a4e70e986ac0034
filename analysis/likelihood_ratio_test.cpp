#include "analysis/likelihood_ratio_test.hpp"

#include <cmath>
#include <sstream>

#include "analysis/message_text.hpp"

namespace kinseg {

namespace {

bool settled(FitStatus s) {
  return s == FitStatus::converged || s == FitStatus::at_bound || s == FitStatus::flat;
}

// The free parameters of a fit on a bound or not identified, as flags ("null: q at lower bound").
void bound_flags(const char* which, const FitResult& fit, bool skip_reference_bounds, std::vector<std::string>& flags) {
  for (const ParameterEstimate& e : fit.parameters) {
    if (e.status == ParameterStatus::not_identified) flags.push_back(std::string(which) + ": " + e.name + " not identified");
    if (e.status != ParameterStatus::at_bound) continue;
    // The null's tr1 = 1 and tr3 = 0 are where the reference distribution
    // puts them, not a failure of the fit.
    if (skip_reference_bounds && ((e.name == "tr1" && e.bound_side == BoundSide::upper) ||
                                  (e.name == "tr3" && e.bound_side == BoundSide::lower)))
      continue;
    flags.push_back(std::string(which) + ": " + e.name +
                    (e.bound_side != BoundSide::none ? " at " + e.note : " at bound (" + e.note + ")"));
  }
}

}  // namespace

std::string LikelihoodRatioTest::flags_text() const {
  std::string out;
  for (size_t i = 0; i < flags.size(); ++i) out += (i ? "; " : "") + flags[i];
  return out;
}

LikelihoodRatioTest likelihood_ratio_test(const std::string& null_model, const FitResult* null_fit,
                                          const std::string& alternative, const FitResult* alt_fit, bool nested,
                                          const TestSetting& setting, double tie) {
  LikelihoodRatioTest t;
  t.null_model = null_model;
  t.alternative = alternative;
  t.reference = setting.reference;
  t.expected_df = setting.expected_df;
  if (!null_fit || !null_fit->lnl) {
    t.unavailable = null_model + " was not fitted";
  } else if (!alt_fit || !alt_fit->lnl) {
    t.unavailable = alternative + " was not fitted";
  } else if (!nested) {
    t.unavailable = "the options given make " + null_model + " not nested in " + alternative;
  }
  const int df = null_fit && alt_fit ? alt_fit->k - null_fit->k : 0;
  if (t.unavailable.empty() && df <= 0)
    t.unavailable = alternative + " has no more free parameters than " + null_model;
  if (setting.expected_df == 0 && df > 0) t.reference = ChiSquareMixture::chi_square(df);
  t.reference_text = t.reference.describe();
  if (!t.unavailable.empty()) {
    t.flags.push_back("not tested: " + t.unavailable);
    return t;
  }

  double statistic = 2.0 * (*alt_fit->lnl - *null_fit->lnl);
  if (statistic < -2.0 * tie)
    t.flags.push_back("alternative ended " + significant(-0.5 * statistic, 4) + " below the null in ln L: statistic set to 0");
  // Within rounding of zero either side, the fits reached the same maximum:
  // 0, not a rounding residue such as 3e-09.
  if (statistic <= 2.0 * tie) statistic = 0.0;
  t.statistic = statistic;
  t.p = t.reference.tail(statistic);

  if (setting.expected_df > 0 && df != setting.expected_df)
    t.flags.push_back(std::to_string(df) + " more free parameters, not " + std::to_string(setting.expected_df) +
                      " as the reference assumes (options given)");
  if (!setting.not_identified.empty()) t.flags.push_back(setting.not_identified);
  bound_flags("null", *null_fit, false, t.flags);
  bound_flags("alternative", *alt_fit, setting.boundary_in_reference, t.flags);
  if (!settled(null_fit->status)) t.flags.push_back("null: " + status_name(null_fit->status));
  if (!settled(alt_fit->status)) t.flags.push_back("alternative: " + status_name(alt_fit->status));
  return t;
}

}  // namespace kinseg
