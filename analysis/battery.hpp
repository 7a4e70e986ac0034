// The standard segregation hypotheses in one run: is there a major gene, how
// is it transmitted, and which families carry it.
//
// Models, in the order they are fitted, each with the user's model options:
//   sporadic;
//   no_transmission: dominant, recessive, codominant;
//   mendelian:       dominant, recessive, codominant;
//   tau_ab_free, homog_general, general: of the type T best by AIC under
//   mendelian.
// Each model starts from its own grid and from the estimates of every model
// fitted before it that is nested in it (mapped to its own free vector,
// nested_model.hpp). The best nested fit is a point of the larger model, so
// the larger model's maximum can never lie below it; if the fit still ends
// below it, that is said and the model is refitted from that point.
//
// Then the model table (ln L, AIC, difference from the best), the
// likelihood-ratio tests with their reference distributions:
//   sporadic        vs mendelian (each type)   chi2(difference in k), Q not identified under the null
//   no_transmission vs homog_general           chi2(2)
//   no_transmission vs general                 chi2(3)
//   mendelian       vs tau_ab_free             chi2(1)
//   mendelian       vs homog_general           0.25 chi2(0) + 0.5 chi2(1) + 0.25 chi2(2)
//   mendelian       vs general                 0.25 chi2(1) + 0.5 chi2(2) + 0.25 chi2(3)
//   homog_general   vs general                 chi2(1)
//   tau_ab_free     vs general                 0.25 chi2(0) + 0.5 chi2(1) + 0.25 chi2(2)
//                                              (Tr1 = 1 and Tr3 = 0 of the null lie on
//                                              the boundary of the alternative)
// (all but the first of type T), the verdict from the three classical
// criteria at level alpha (verdict.hpp: sporadic vs mendelian:T,
// no_transmission:T vs general:T, mendelian:T vs general:T), the families
// ranked by their support for a major gene, and every person's carrier
// probabilities under mendelian:T, the selected model.
//
// A --fix, --start or --bounds entry applies to each model that estimates the
// parameter it names and is passed over, with a note, by the others (there is
// no q in the sporadic model, no tr2 to fix under Mendelian transmission); an
// entry that applies to none of the models is refused.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "analysis/battery_result.hpp"
#include "analysis/carrier_probabilities.hpp"
#include "analysis/fit.hpp"
#include "analysis/model.hpp"
#include "analysis/sample_likelihood.hpp"
#include "pedigree/sample.hpp"

namespace kinseg {

// The fit's options as the battery sets them: its searches stop polishing when
// a restart gains less than 1e-4 in ln L (NLopt's own stop at 1e-7), instead
// of the fit's 1e-6 and 1e-9. The tests read differences of ln L, which this
// leaves exact to well under 1e-3, and on likelihoods with flat directions
// (the models without transmission, where Q and the genotypes' terms are
// hardly identified) the searches take about half the evaluations.
FitOptions battery_fit_options();

struct BatteryOptions {
  ModelOptions model;   // the user's model options, for every model
  FitOptions fit = battery_fit_options();  // grid starts, search settings; its profile setting is not read
  // Grid starts of tau_ab_free, homog_general and general, which also start
  // from every model nested in them (the Mendelian and non-transmitted fits
  // among them, which the grid's transmission starts resemble); 0: half of
  // fit.starts, at least 2.
  int transmission_starts = 0;
  double alpha = 0.05;  // level of the verdict's criteria
  // Profile-likelihood intervals for the selected model (a further pass over
  // it once it is known); the other models get standard errors only.
  bool profile_selected = false;
  // Start each model from the estimates of the models nested in it (turned
  // off only to study the grid alone).
  bool start_from_nested = true;
  double tie = 1e-6;    // a fit this far below a nested one in ln L counts as below it

  // Progress: before and after each model, and after each start of its fit.
  std::function<void(const std::string& model, int index, int total)> on_model_start;
  std::function<void(const BatteryModel& model, int index, int total)> on_model_done;
  std::function<void(const std::string& model, const StartRecord& start, int done, int total)> on_start;
  // During the profile pass of the selected model: each parameter's profile.
  std::function<void(const std::string& stage, int done, int total)> on_progress;
};

// The models of the battery whose type does not depend on the fits, then
// those fitted with type T.
std::vector<std::string> battery_models_before_selection();
std::vector<std::string> battery_models_of_type(GenotypeEffects t);

// The user's options as they apply to model NAME: entries naming a parameter
// the model does not estimate are left out, each listed in PASSED_OVER.
struct PassedOverOption {
  std::string option;  // "--fix", "--start" or "--bounds"
  std::string name;    // the parameter it names
  std::string why;     // e.g. "sporadic has no q"
  std::string text() const { return option + " " + name + " does not apply (" + why + ")"; }
};
ModelOptions options_for_model(const std::string& model_name, const ModelOptions& options,
                               std::vector<PassedOverOption>& passed_over);

// Checks the options against every model the battery may fit; throws
// ModelError listing every problem (each entry must apply to some model, and
// every model must accept what applies to it).
void check_battery_options(const ModelOptions& options);

// Runs the battery. Throws ModelError for options refused by check_battery_options.
BatteryResult run_battery(const Sample& sample, const SampleLikelihood& likelihood, const BatteryOptions& options);

}  // namespace kinseg
