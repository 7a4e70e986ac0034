#include "analysis/battery.hpp"

#include <algorithm>
#include <cmath>
#include <memory>
#include <sstream>

#include "analysis/message_text.hpp"
#include "analysis/nested_model.hpp"
#include "analysis/sample_summary.hpp"

namespace kinseg {

namespace {

const GenotypeEffects kTypes[] = {GenotypeEffects::dominant, GenotypeEffects::recessive, GenotypeEffects::codominant};

// Why the parameter NAME cannot be set in MODEL by an option, or "" when it can.
std::string not_settable(const Model& model, const std::string& name) {
  const int i = model.find(name);
  if (i < 0) return "no " + name + " in " + model.name();
  const Parameter& p = model.parameters()[i];
  switch (p.role) {
    case ParameterRole::estimated: return "";
    case ParameterRole::linked: return name + " = " + model.parameters()[p.link].name + " in " + model.name();
    case ParameterRole::derived: return name + " is derived in " + model.name();
    case ParameterRole::fixed: return name + " = " + significant(p.value, 10) + " in " + model.name();
  }
  return "";
}

// Every model the battery may fit, T taking each type.
std::vector<std::string> every_battery_model() {
  std::vector<std::string> all = battery_models_before_selection();
  for (GenotypeEffects t : kTypes)
    for (const auto& m : battery_models_of_type(t)) all.push_back(m);
  return all;
}

struct Fitted {
  std::unique_ptr<Model> model;
  BatteryModel result;
};

class Battery {
 public:
  Battery(const Sample& sample, const SampleLikelihood& likelihood, const BatteryOptions& options)
      : sample_(sample), likelihood_(likelihood), options_(options), summary_(summarize(sample)) {}

  BatteryResult run();

 private:
  void fit_model(const std::string& model_name, int index, int total);
  void profile_selected();
  const Fitted* find(const std::string& name) const {
    for (const auto& f : fitted_)
      if (f.result.name == name) return &f;
    return nullptr;
  }
  void add_test(const std::string& null_model, const std::string& alternative, const TestSetting& setting);
  void decide();
  void families_and_carriers();

  const Sample& sample_;
  const SampleLikelihood& likelihood_;
  const BatteryOptions& options_;
  const SampleSummary summary_;
  std::vector<Fitted> fitted_;
  BatteryResult r_;
};

void Battery::fit_model(const std::string& model_name, int index, int total) {
  Fitted f;
  std::vector<PassedOverOption> passed_over;
  f.model = std::make_unique<Model>(model_name, options_for_model(model_name, options_.model, passed_over));
  const Model& model = *f.model;
  BatteryModel& bm = f.result;
  bm.name = model.name();
  for (const PassedOverOption& o : passed_over) bm.messages.push_back(o.text());
  if (options_.on_model_start) options_.on_model_start(bm.name, index, total);

  FitOptions fo = options_.fit;
  fo.profile = false;
  fo.unprofiled = options_.profile_selected ? "not profiled: intervals are computed for the selected model only"
                                            : "not profiled (--no-profile)";
  fo.on_progress = nullptr;
  const Transmission t = model.transmission();
  if (t == Transmission::tau_ab_free || t == Transmission::homog_general || t == Transmission::general)
    fo.starts = options_.transmission_starts > 0 ? options_.transmission_starts : std::max(2, options_.fit.starts / 2);
  fo.on_start = [&](const StartRecord& s, int done, int all) {
    if (options_.on_start) options_.on_start(bm.name, s, done, all);
  };

  // The nested fits that are points of this model; the best of them guards the fit.
  const Fitted* best_nested = nullptr;
  LabelledStart best_start;
  std::vector<std::pair<Point, std::string>> placed;  // the points of the nested starts so far
  for (const Fitted& inner : fitted_) {
    if (!nested_in(*inner.model, model) || !inner.result.fit.lnl) continue;
    const auto x = nested_start(model, *inner.model, inner.result.fit);
    if (!x) {
      bm.messages.push_back("the estimates of " + inner.result.name +
                            " are not a point of this model under the options given: not a start");
      continue;
    }
    LabelledStart s;
    s.label = "estimates of " + inner.result.name;
    const auto names = model.free_names();
    for (size_t c = 0; c < names.size(); ++c) s.values.push_back({names[c], (*x)[c]});
    // Nested fits often end at the same point (the models without transmission
    // at the sporadic one): one start for them all.
    const Point at = model.point(*x);
    const auto same = std::find_if(placed.begin(), placed.end(),
                                   [&](const auto& p) { return same_point(p.first, at, 1e-6); });
    if (same != placed.end()) {
      bm.messages.push_back("the estimates of " + inner.result.name + " are the point of " + same->second +
                            "'s: one start for both");
    } else if (options_.start_from_nested) {
      placed.emplace_back(at, inner.result.name);
      fo.extra_starts.push_back(s);
      bm.started_from.push_back(inner.result.name);
    }
    if (!best_nested || *inner.result.fit.lnl > *best_nested->result.fit.lnl) {
      best_nested = &inner;
      best_start = s;
    }
  }

  bm.fit = fit(model, likelihood_.lnl, summary_, fo);
  r_.evaluations += bm.fit.evaluations;

  auto below = [&](const FitResult& fr) {
    return best_nested && (!fr.lnl || *fr.lnl < *best_nested->result.fit.lnl - options_.tie);
  };
  if (below(bm.fit)) {
    const double nested_lnl = *best_nested->result.fit.lnl;
    bm.messages.push_back("ended at ln L " + (bm.fit.lnl ? significant(*bm.fit.lnl, 10) : std::string("(none)")) +
                          ", below " + best_nested->result.name + " (" + significant(nested_lnl, 10) +
                          ") which is nested in it: refitted from " + best_nested->result.name + "'s estimates");
    FitOptions again = fo;
    again.starts = 1;
    again.extra_starts = {best_start};
    FitResult refit = fit(model, likelihood_.lnl, summary_, again);
    r_.evaluations += refit.evaluations;
    if (refit.lnl && (!bm.fit.lnl || *refit.lnl > *bm.fit.lnl)) {
      bm.fit = std::move(refit);
      bm.refit = true;
    }
    if (below(bm.fit))
      bm.messages.push_back("still below " + best_nested->result.name + " after the refit: its tests are flagged");
  }
  fitted_.push_back(std::move(f));
  if (options_.on_model_done) options_.on_model_done(fitted_.back().result, index, total);
}

// The selected model again, from its estimates, with profile-likelihood
// intervals. Its starts stay those of the battery's fit.
void Battery::profile_selected() {
  Fitted* sel = nullptr;
  for (auto& f : fitted_)
    if (f.result.name == r_.selected_model) sel = &f;
  if (!sel || !sel->result.fit.lnl) return;
  FitResult& old = sel->result.fit;
  FitOptions fo = options_.fit;
  fo.profile = true;
  fo.starts = 1;
  fo.on_start = nullptr;
  fo.on_progress = options_.on_progress;
  LabelledStart s;
  s.label = "estimates of the battery's fit";
  for (size_t c = 0; c < old.free_names.size(); ++c) s.values.push_back({old.free_names[c], old.free[c]});
  fo.extra_starts = {s};
  FitResult p = fit(*sel->model, likelihood_.lnl, summary_, fo);
  r_.evaluations += p.evaluations;
  if (!p.lnl || *p.lnl < *old.lnl - options_.tie) {
    sel->result.messages.push_back("the profile pass ended below the battery's fit: no profile intervals");
    for (ParameterEstimate& e : old.parameters)
      if (e.ci_missing.empty() || e.ci_missing.rfind("not profiled", 0) == 0)
        e.ci_missing = "the profile pass ended below the battery's fit";
    return;
  }
  if (*p.lnl > *old.lnl + options_.tie)
    sel->result.messages.push_back("the profile pass raised ln L from " + significant(*old.lnl, 10) + " to " + significant(*p.lnl, 10));
  // Keep the battery's starts and their summary; take everything else.
  std::vector<std::string> messages;
  if (old.starts_message >= 0) messages.push_back(old.messages[static_cast<size_t>(old.starts_message)]);
  for (size_t i = 0; i < p.messages.size(); ++i)
    if (static_cast<int>(i) != p.starts_message) messages.push_back(p.messages[i]);
  p.messages = messages;
  p.starts_message = old.starts_message >= 0 ? 0 : -1;
  p.starts = std::move(old.starts);
  p.best_start = old.best_start;
  p.starts_at_best = old.starts_at_best;
  p.others_nearest = old.others_nearest;
  p.others_farthest = old.others_farthest;
  p.refused_starts = old.refused_starts;
  p.runner_up = old.runner_up;
  p.evaluations += old.evaluations;
  old = std::move(p);
}

void Battery::add_test(const std::string& null_model, const std::string& alternative, const TestSetting& setting) {
  const Fitted* n = find(null_model);
  const Fitted* a = find(alternative);
  const bool nested = n && a && nested_start(*a->model, *n->model, n->result.fit).has_value();
  r_.tests.push_back(likelihood_ratio_test(null_model, n ? &n->result.fit : nullptr, alternative,
                                           a ? &a->result.fit : nullptr, nested, setting, options_.tie));
}

void Battery::decide() {
  const std::string& t = r_.best_mendelian_type;
  const std::string mendelian = "mendelian:" + t, general = "general:" + t, no_tr = "no_transmission:" + t;
  auto test_of = [&](const std::string& null_model, const std::string& alternative) -> const LikelihoodRatioTest* {
    for (const auto& x : r_.tests)
      if (x.null_model == null_model && x.alternative == alternative) return &x;
    return nullptr;
  };
  const LikelihoodRatioTest* tests[3] = {test_of("sporadic", mendelian), test_of(no_tr, general),
                                         test_of(mendelian, general)};
  // The fits' own fields say whether a test's fits can be trusted: their
  // status, and, for a test that rejects its null, the identification of the
  // parameters it is about (those the alternative estimates and the null does
  // not). A null not rejected leaves them unidentified as a matter of course:
  // the alternative then lies on the null (no major type, any q fits).
  auto doubts_of = [&](const LikelihoodRatioTest& x) {
    std::vector<std::string> out;
    const Fitted* n = find(x.null_model);
    const Fitted* a = find(x.alternative);
    for (const Fitted* f : {n, a}) {
      if (!f) continue;
      const FitStatus s = f->result.fit.status;
      if (s == FitStatus::not_converged || s == FitStatus::iteration_limit)
        out.push_back(f->result.name + " " + (s == FitStatus::iteration_limit ? "stopped at its evaluation limit" : "did not converge"));
    }
    if (a && n && x.p && *x.p < options_.alpha)
      for (const ParameterEstimate& e : a->result.fit.parameters) {
        if (e.status != ParameterStatus::not_identified) continue;
        const ParameterEstimate* in_null = n->result.fit.find(e.name);
        if (!in_null || in_null->role != ParameterRole::estimated)
          out.push_back(a->result.name + ": " + e.name + " not identified");
      }
    return out;
  };
  auto criterion = [&](const LikelihoodRatioTest* x) {
    CriterionTest c;
    if (x && x->p) c = {true, *x->p, "", doubts_of(*x)};
    else if (x) c.why_not = x->unavailable;
    return c;
  };
  VerdictInput in;
  in.alpha = options_.alpha;
  in.sporadic_vs_mendelian = criterion(tests[0]);
  in.no_transmission_vs_general = criterion(tests[1]);
  in.mendelian_vs_general = criterion(tests[2]);
  in.best_mendelian_type = r_.best_mendelian_type;
  r_.verdict = decide_verdict(in);
  const bool want_rejection[3] = {true, true, false};
  for (int i = 0; i < 3; ++i) {
    VerdictCriterion c;
    c.text = r_.verdict.criteria.at(i);
    if (tests[i]) {
      c.null_model = tests[i]->null_model;
      c.alternative = tests[i]->alternative;
      c.p = tests[i]->p;
    }
    c.holds = c.p && ((*c.p < options_.alpha) == want_rejection[i]);
    r_.criteria.push_back(c);
  }
}

void Battery::families_and_carriers() {
  const Fitted* sel = find(r_.selected_model);
  const Fitted* sporadic = find("sporadic");
  if (!sel || !sel->result.fit.lnl) {
    r_.messages.push_back("no Mendelian model was fitted: no family ranking and no carrier probabilities");
    return;
  }
  if (likelihood_.contributions) {
    if (sporadic && sporadic->result.fit.lnl) {
      const auto m = likelihood_.contributions(sel->result.fit.point);
      const auto s = likelihood_.contributions(sporadic->result.fit.point);
      r_.evaluations += 2;
      r_.families = rank_families(sample_, likelihood_.family_pedigrees, m, s, likelihood_.proband);
    } else {
      r_.messages.push_back("the sporadic model was not fitted: no family ranking");
    }
  }
  if (likelihood_.genotypes) {
    r_.carriers = carrier_probabilities(sample_, likelihood_.genotypes(sel->result.fit.point));
    ++r_.evaluations;
  }
}

BatteryResult Battery::run() {
  r_.alpha = options_.alpha;
  const std::vector<std::string> first = battery_models_before_selection();
  const int total = static_cast<int>(first.size()) + 3;
  int index = 0;
  for (const auto& model_name : first) fit_model(model_name, ++index, total);

  // The Mendelian type best by AIC (the simpler type on a tie).
  const Fitted* best = nullptr;
  for (GenotypeEffects t : kTypes) {
    const Fitted* f = find("mendelian:" + effects_name(t));
    if (f && f->result.fit.aic() && (!best || *f->result.fit.aic() < *best->result.fit.aic())) best = f;
  }
  GenotypeEffects type = GenotypeEffects::codominant;
  if (best) {
    type = best->model->effects();
    r_.selected_model = best->result.name;
  } else {
    r_.messages.push_back("no Mendelian model could be fitted: the general models are fitted codominant");
  }
  r_.best_mendelian_type = effects_name(type);
  for (const auto& model_name : battery_models_of_type(type)) fit_model(model_name, ++index, total);

  if (options_.profile_selected) profile_selected();

  // The model table.
  std::optional<double> smallest;
  for (const auto& f : fitted_)
    if (const auto aic = f.result.fit.aic(); aic && (!smallest || *aic < *smallest)) {
      smallest = aic;
      r_.best_model = f.result.name;
    }
  for (auto& f : fitted_) {
    if (const auto aic = f.result.fit.aic(); aic && smallest) f.result.delta_aic = *aic - *smallest;
    r_.models.push_back(f.result);
  }

  // The tests.
  const std::string t = ":" + r_.best_mendelian_type;
  const std::string not_identified = "q not identified under the null: p approximate";
  for (GenotypeEffects e : kTypes) {
    TestSetting s;
    s.not_identified = not_identified;
    add_test("sporadic", "mendelian:" + effects_name(e), s);
  }
  const ChiSquareMixture chi1 = ChiSquareMixture::chi_square(1), chi2 = ChiSquareMixture::chi_square(2),
                         chi3 = ChiSquareMixture::chi_square(3);
  const ChiSquareMixture mix012({{0.25, 0}, {0.5, 1}, {0.25, 2}}), mix123({{0.25, 1}, {0.5, 2}, {0.25, 3}});
  add_test("no_transmission" + t, "homog_general" + t, {chi2, 2, false, ""});
  add_test("no_transmission" + t, "general" + t, {chi3, 3, false, ""});
  add_test("mendelian" + t, "tau_ab_free" + t, {chi1, 1, false, ""});
  add_test("mendelian" + t, "homog_general" + t, {mix012, 2, true, ""});
  add_test("mendelian" + t, "general" + t, {mix123, 3, true, ""});
  add_test("homog_general" + t, "general" + t, {chi1, 1, false, ""});
  // tau_ab_free holds Tr1 = 1 and Tr3 = 0, on the boundary of general's range.
  add_test("tau_ab_free" + t, "general" + t, {mix012, 2, true, ""});

  decide();
  families_and_carriers();
  return r_;
}

}  // namespace

FitOptions battery_fit_options() {
  FitOptions o;
  o.search.polish_gain = 1e-4;
  o.search.f_tolerance = 1e-7;
  // The selected model's profiles are plotted in the report: three points
  // between the estimate and each end of the interval and one beyond.
  o.profile_settings.curve_points = 3;
  return o;
}

std::vector<std::string> battery_models_before_selection() {
  return {"sporadic",
          "no_transmission:dominant",
          "no_transmission:recessive",
          "no_transmission:codominant",
          "mendelian:dominant",
          "mendelian:recessive",
          "mendelian:codominant"};
}

std::vector<std::string> battery_models_of_type(GenotypeEffects t) {
  const std::string type = ":" + effects_name(t);
  return {"tau_ab_free" + type, "homog_general" + type, "general" + type};
}

ModelOptions options_for_model(const std::string& model_name, const ModelOptions& options,
                               std::vector<PassedOverOption>& passed_over) {
  ModelOptions base = options;
  base.fix.clear();
  base.start.clear();
  base.bounds.clear();
  const Model model(model_name, base);
  ModelOptions out = base;
  auto keep = [&](const char* option, const std::string& name) {
    const std::string why = not_settable(model, name);
    if (why.empty()) return true;
    passed_over.push_back({option, name, why});
    return false;
  };
  for (const auto& f : options.fix)
    if (keep("--fix", f.name)) out.fix.push_back(f);
  for (const auto& s : options.start)
    if (keep("--start", s.name)) out.start.push_back(s);
  for (const auto& b : options.bounds)
    if (keep("--bounds", b.name)) out.bounds.push_back(b);
  return out;
}

void check_battery_options(const ModelOptions& options) {
  std::vector<std::string> problems;
  auto add = [&](const std::string& p) {
    if (std::find(problems.begin(), problems.end(), p) == problems.end()) problems.push_back(p);
  };
  // Every entry as (option, parameter); each must apply to some model.
  std::vector<std::pair<std::string, std::string>> entries;
  for (const auto& f : options.fix) entries.emplace_back("--fix", f.name);
  for (const auto& s : options.start) entries.emplace_back("--start", s.name);
  for (const auto& b : options.bounds) entries.emplace_back("--bounds", b.name);
  std::vector<bool> applies(entries.size(), false);
  for (const auto& model_name : every_battery_model()) {
    std::vector<PassedOverOption> passed_over;
    ModelOptions mo;
    try {
      mo = options_for_model(model_name, options, passed_over);
    } catch (const ModelError& e) {
      for (const auto& p : e.problems()) add(p);
      continue;
    }
    for (size_t i = 0; i < entries.size(); ++i)
      if (std::none_of(passed_over.begin(), passed_over.end(), [&](const PassedOverOption& o) {
            return o.option == entries[i].first && o.name == entries[i].second;
          }))
        applies[i] = true;
    try {
      Model check(model_name, mo);
    } catch (const ModelError& e) {
      for (const auto& p : e.problems()) add(p);
    }
  }
  for (size_t i = 0; i < entries.size(); ++i)
    if (!applies[i])
      add(entries[i].first + " " + entries[i].second + ": no model of the battery estimates " + entries[i].second);
  if (!problems.empty()) throw ModelError(problems);
}

BatteryResult run_battery(const Sample& sample, const SampleLikelihood& likelihood, const BatteryOptions& options) {
  check_battery_options(options.model);
  return Battery(sample, likelihood, options).run();
}

}  // namespace kinseg
