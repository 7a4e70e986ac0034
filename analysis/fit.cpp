#include "analysis/fit.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>

#include "analysis/message_text.hpp"
#include "analysis/observed_information.hpp"
#include "analysis/second_maximum.hpp"

namespace kinseg {

std::string status_name(FitStatus s) {
  switch (s) {
    case FitStatus::refused_start: return "refused start";
    case FitStatus::iteration_limit: return "iteration limit";
    case FitStatus::not_converged: return "not converged";
    case FitStatus::flat: return "flat likelihood";
    case FitStatus::at_bound: return "at bound";
    case FitStatus::converged: return "converged";
  }
  return "";
}

std::string parameter_status_name(ParameterStatus s) {
  switch (s) {
    case ParameterStatus::estimated: return "estimated";
    case ParameterStatus::at_bound: return "at bound";
    case ParameterStatus::not_identified: return "not identified";
    case ParameterStatus::fixed: return "fixed";
    case ParameterStatus::linked: return "linked";
    case ParameterStatus::derived: return "derived";
  }
  return "";
}

namespace {

// A parameter on its bound, or on a constraint's edge ("w1 = w3"), in words.
std::string at_bound_reason(const std::string& bound) {
  return bound == "lower bound" || bound == "upper bound" ? "at the " + bound : "on the edge " + bound;
}

}  // namespace

std::string status_reason(const ParameterEstimate& p) {
  switch (p.status) {
    case ParameterStatus::at_bound: return at_bound_reason(p.note);
    case ParameterStatus::fixed: return "fixed " + p.note;
    case ParameterStatus::derived: return "derived " + p.note;
    default: return "";
  }
}

namespace {

constexpr double kMinusInf = -std::numeric_limits<double>::infinity();
// Weight of the squared distance (in units of the parameters' scales) to the
// nearest feasible point, in ln L units.
constexpr double kPenalty = 1.0;
// Free coordinates within this many scales of a bound are on it.
constexpr double kBoundTolerance = 1e-6;
// The estimates are a maximum when a Newton step from them would raise ln L by
// less than this, whichever search reached them and however it stopped: the
// one status rule of every fit (kinseg fit and the battery alike).
constexpr double kMaximumGain = 1e-3;
// Step of the gradient's central differences, in units of each scale.
constexpr double kGradientStep = 1e-4;

class Fitter {
 public:
  Fitter(const Model& model, const LogLikelihood& lnl, const FitOptions& options)
      : model_(model), lnl_(lnl), options_(options), lower_(model.lower()), upper_(model.upper()),
        scale_(model.scales()) {}

  int evaluations() const { return evaluations_; }

  double lnl_at(const std::vector<double>& x) {
    ++evaluations_;
    const double v = lnl_(model_.point(x));
    return std::isfinite(v) ? v : kMinusInf;
  }

  // ln L at the nearest feasible point (moving only MOVABLE coordinates),
  // less the penalty on the distance to it.
  double penalised(const std::vector<double>& x, const std::vector<bool>& movable) {
    const auto y = model_.project(x, movable);
    if (!y) return kMinusInf;
    const double v = lnl_at(*y);
    if (!std::isfinite(v)) return kMinusInf;
    double distance = 0;
    for (size_t c = 0; c < x.size(); ++c) {
      const double d = (x[c] - (*y)[c]) / scale_[c];
      distance += d * d;
    }
    return v - kPenalty * distance;
  }

  struct Climb {
    std::vector<double> x;
    double lnl = kMinusInf;
    SearchEnd end = SearchEnd::refused_start;
    int evaluations = 0;
  };

  Climb climb(const std::vector<double>& start) {
    Climb out;
    const int before = evaluations_;
    const auto feasible_start = model_.project(start);
    if (!feasible_start) {
      out.x = start;
      return out;
    }
    const SearchBox box{lower_, upper_, scale_};
    const LocalMaximum m = local_maximum([&](const std::vector<double>& x) { return penalised(x, {}); }, box,
                                         *feasible_start, options_.search);
    out.end = m.end;
    const auto y = model_.project(m.x);
    out.x = y ? *y : m.x;
    out.lnl = m.end == SearchEnd::refused_start || !y ? kMinusInf : lnl_at(out.x);
    if (!std::isfinite(out.lnl)) out.end = SearchEnd::refused_start;
    out.evaluations = evaluations_ - before;
    return out;
  }

  // ln L maximised over all coordinates but I, which is held at THETA.
  ProfileMaximum profile(int i, double theta, const std::vector<double>& warm) {
    const int k = model_.k();
    std::vector<bool> movable(k, true);
    movable[i] = false;
    auto expand = [&](const std::vector<double>& sub) {
      std::vector<double> x(k);
      for (int c = 0, s = 0; c < k; ++c) x[c] = c == i ? theta : sub[s++];
      return x;
    };
    SearchBox box;
    std::vector<double> start;
    for (int c = 0; c < k; ++c) {
      if (c == i) continue;
      box.lower.push_back(lower_[c]);
      box.upper.push_back(upper_[c]);
      box.scale.push_back(scale_[c]);
      start.push_back(warm[c]);
    }
    ProfileMaximum out;
    std::vector<double> best = expand(start);
    if (k > 1) {
      const LocalMaximum m = local_maximum(
          [&](const std::vector<double>& sub) { return penalised(expand(sub), movable); }, box, start,
          options_.search);
      best = expand(m.x);
    }
    const auto y = model_.project(best, movable);
    out.x = y ? *y : best;
    out.lnl = y ? lnl_at(*y) : kMinusInf;
    return out;
  }

 private:
  const Model& model_;
  const LogLikelihood& lnl_;
  const FitOptions& options_;
  std::vector<double> lower_, upper_, scale_;
  int evaluations_ = 0;
};

// What a Newton step from X would gain in ln L: 0.5 g' C g, with g the
// gradient by central differences over the coordinates of the covariance C
// (those not on a bound and identified). Empty when a difference is refused.
std::optional<double> newton_gain(Fitter& fitter, const Model& model, const std::vector<double>& x,
                                  const std::vector<std::string>& covered, const std::vector<double>& covariance) {
  const auto names = model.free_names();
  const auto scale = model.scales();
  const size_t n = covered.size();
  std::vector<double> g(n, 0.0);
  for (size_t a = 0; a < n; ++a) {
    const size_t c = static_cast<size_t>(std::find(names.begin(), names.end(), covered[a]) - names.begin());
    const double h = kGradientStep * scale[c];
    std::vector<double> up = x, down = x;
    up[c] += h;
    down[c] -= h;
    if (!model.feasible(up) || !model.feasible(down)) continue;  // at the edge: its status says so
    const double fu = fitter.lnl_at(up), fd = fitter.lnl_at(down);
    if (!std::isfinite(fu) || !std::isfinite(fd)) return std::nullopt;
    g[a] = (fu - fd) / (2 * h);
  }
  double gain = 0;
  for (size_t a = 0; a < n; ++a)
    for (size_t b = 0; b < n; ++b) gain += 0.5 * g[a] * covariance[a * n + b] * g[b];
  return std::max(0.0, gain);
}


// What the uncertainty pass finds for one free parameter.
struct FreeUncertainty {
  std::string bound_reason;  // the bound it lies on; empty when inside
  BoundSide bound_side = BoundSide::none;  // none when inside or held by a constraint
  bool not_identified = false;
  bool no_room = false;      // too close to a bound for a standard error
  std::string why_no_se;     // what the observed information says when it gives no standard error
  std::optional<double> se;
  std::optional<ProfileInterval> interval;  // when profiled
};

// The uncertainty at a point: per free parameter, and the
// variance-covariance matrix over those with a standard error.
struct Uncertainty {
  std::vector<FreeUncertainty> free;
  std::vector<std::string> covariance_names;
  std::vector<double> covariance;
  std::vector<std::string> messages;
};

// The point the fit reports and how its search ended.
struct BestPoint {
  std::vector<double> x;
  double lnl = kMinusInf;
  SearchEnd end = SearchEnd::refused_start;
};

// One search from each starting point, turned round into the documented
// orientation where it ended at the mirror image.
std::vector<StartRecord> search_from_starts(const Model& model, Fitter& fitter, const SampleSummary& summary,
                                            const FitOptions& options) {
  const std::vector<StartingPoint> starts = starting_points(model, summary, options.starts, options.extra_starts);
  std::vector<StartRecord> out;
  for (size_t s = 0; s < starts.size(); ++s) {
    StartRecord rec;
    rec.origin = starts[s].origin;
    const auto feasible_start = model.project(starts[s].x);
    rec.start = feasible_start ? *feasible_start : starts[s].x;
    if (feasible_start) {
      const double v = fitter.lnl_at(rec.start);
      if (std::isfinite(v)) rec.start_lnl = v;
    }
    if (rec.start_lnl) {
      const Fitter::Climb c = fitter.climb(rec.start);
      rec.end = c.x;
      rec.end_state = c.end;
      rec.evaluations = c.evaluations + 1;
      if (std::isfinite(c.lnl)) {
        rec.lnl = c.lnl;
        if (model.needs_turning_round(rec.end)) {
          rec.end = model.turned_round(rec.end);
          rec.turned_round = true;
        }
      }
    } else {
      rec.end = rec.start;
      rec.end_state = SearchEnd::refused_start;
      rec.evaluations = 1;
    }
    out.push_back(rec);
    if (options.on_start) options.on_start(rec, static_cast<int>(s) + 1, static_cast<int>(starts.size()));
  }
  return out;
}

// The best start and the refused ones.
void choose_best_start(FitResult& r) {
  for (size_t s = 0; s < r.starts.size(); ++s) {
    if (!r.starts[s].lnl) {
      ++r.refused_starts;
      continue;
    }
    if (r.best_start < 0 || *r.starts[s].lnl > *r.starts[r.best_start].lnl) r.best_start = static_cast<int>(s);
  }
}

// What is said of the orientation of the best point.
void orientation_messages(const Model& model, const std::vector<double>& x, FitResult& r) {
  // The order is that of the mean susceptibility S_g (model.hpp): W_g without a sex effect.
  const std::string order = model.options().sex_effect ? "s1 < s3" : "w1 < w3";
  if (r.turned_round)
    r.messages.push_back("the search ended at the mirror image (" + order + ") and was turned round: q -> 1-q, w1 <-> w3" +
                         std::string(model.options().sex_effect ? ", v1 <-> v3" : "") +
                         (model.ordered() ? ", h -> 1-h" : "") +
                         (model.find("tr1") >= 0 ? ", tr1 -> 1-tr3, tr2 -> 1-tr2, tr3 -> 1-tr1" : ""));
  const std::vector<double> v = model.values(x);
  if (!model.can_turn_round() && !model.orientation_constrained() && model.transmission() != Transmission::sporadic &&
      model.susceptibility(v, 0) < model.susceptibility(v, 2))
    r.messages.push_back(order + ", and the mirror image is outside this model's --fix or --bounds: left as found");
}

// How the starts agree: those within TIE of the best ln L reached it, and how
// far below it the others ended.
void compare_starts(double best, double tie, FitResult& r) {
  for (const StartRecord& s : r.starts) {
    if (!s.lnl) continue;
    const double below = best - *s.lnl;
    if (below <= tie) {
      ++r.starts_at_best;
    } else {
      r.others_nearest = r.others_nearest ? std::min(*r.others_nearest, below) : below;
      r.others_farthest = r.others_farthest ? std::max(*r.others_farthest, below) : below;
    }
  }
  std::string m = std::to_string(r.starts_at_best) + " of " + std::to_string(r.starts.size()) +
                  " starts reached the best ln L (within " + significant(tie, 4) + ")";
  if (r.others_nearest)
    m += "; the others that finished ended " + significant(*r.others_nearest, 4) + " to " +
         significant(*r.others_farthest, 4) + " below it";
  if (r.refused_starts > 0) m += "; " + std::to_string(r.refused_starts) + " refused";
  r.starts_message = static_cast<int>(r.messages.size());
  r.messages.push_back(m);
}

// Standard errors and the variance-covariance matrix at X from the observed
// information; a parameter whose 95% Wald interval is wider than its whole
// range is not identified.
Uncertainty standard_errors(const Model& model, Fitter& fitter, const std::vector<double>& x,
                            const FitOptions& options) {
  const int k = model.k();
  const auto names = model.free_names();
  Uncertainty u;
  u.free.resize(k);
  const std::vector<std::string> bound_reason = model.bound_reasons(x, kBoundTolerance);
  const std::vector<BoundSide> bound_side = model.bound_sides(x, kBoundTolerance);
  std::vector<bool> at_bound(k);
  for (int c = 0; c < k; ++c) {
    u.free[c].bound_reason = bound_reason[c];
    u.free[c].bound_side = bound_side[c];
    at_bound[c] = !bound_reason[c].empty();
  }
  if (options.on_progress) options.on_progress("standard errors", 0, 1);
  const ObservedInformation info = observed_information(
      [&](const std::vector<double>& y) { return fitter.lnl_at(y); },
      [&](const std::vector<double>& y) { return model.feasible(y); }, x, model.scales(), at_bound, names);
  if (options.on_progress) options.on_progress("standard errors", 1, 1);
  u.messages = info.messages;
  for (int c : info.not_identified) u.free[c].not_identified = true;
  for (int c : info.no_room) u.free[c].no_room = true;
  for (int c = 0; c < k; ++c) u.free[c].why_no_se = info.why_no_se[c];
  u.covariance = info.covariance;
  const double drop_root = std::sqrt(profile_drop(options.profile_settings.level));
  const int n = static_cast<int>(info.covered.size());
  for (int a = 0; a < n; ++a) {
    const int c = info.covered[a];
    FreeUncertainty& f = u.free[c];
    u.covariance_names.push_back(names[c]);
    f.se = info.se[a];
    // A Wald interval wider than the parameter's whole range: ln L hardly
    // changes over it (a ridge, such as a penetrance driven to 1 along a
    // combination of baseline and sex increment).
    const double range = model.upper()[c] - model.lower()[c];
    if (*f.se * 2 * drop_root > range) {
      f.not_identified = true;
      u.messages.push_back("flat likelihood: 1.96 standard errors of " + names[c] + " (SE " + significant(*f.se, 4) +
                           ") either side span more than its whole range " + significant(model.lower()[c], 4) + ":" +
                           significant(model.upper()[c], 4) + "; " + names[c] + " is not identified");
    }
  }
  return u;
}

// A profile that found ln L above the best point, and whose it was.
struct BetterPoint {
  ProfileMaximum point;
  std::string parameter;
};

// Profile-likelihood intervals at BEST, parameter by parameter, until one
// profile finds a point above the maximum (returned then).
std::optional<BetterPoint> profile_intervals(const Model& model, Fitter& fitter, const BestPoint& best,
                                             const FitOptions& options, Uncertainty& u) {
  const int k = model.k();
  const auto names = model.free_names();
  const auto scale = model.scales();
  for (int c = 0; c < k; ++c) {
    if (options.on_progress) options.on_progress("profile " + names[c], c, k);
    ProfileInterval pi = profile_interval(
        [&](double theta, const std::vector<double>& warm) { return fitter.profile(c, theta, warm); }, c, best.x,
        best.lnl, model.lower()[c], model.upper()[c], scale[c], u.free[c].se, options.profile_settings);
    for (const auto& m : pi.messages) u.messages.push_back("profile of " + names[c] + ": " + m);
    std::optional<ProfileMaximum> better = pi.better;
    u.free[c].interval = std::move(pi);
    if (better) return BetterPoint{*better, names[c]};
  }
  if (options.on_progress) options.on_progress("profiles", k, k);
  return std::nullopt;
}

// The search goes on from a point a profile found above the best: the point
// it reaches, in the documented orientation.
void climb_from(const Model& model, Fitter& fitter, const ProfileMaximum& better, BestPoint& best) {
  const Fitter::Climb c = fitter.climb(better.x);
  if (std::isfinite(c.lnl) && c.lnl >= better.lnl) {
    best.x = c.x;
    best.lnl = c.lnl;
    best.end = c.end;
  } else {
    best.x = better.x;
    best.lnl = better.lnl;
  }
  if (model.needs_turning_round(best.x)) {
    best.x = model.turned_round(best.x);
    best.lnl = fitter.lnl_at(best.x);
  }
}

// The table of parameters: values everywhere, standard errors and intervals of
// the estimated ones (a linked parameter shares those of the one it equals),
// and why each missing one is missing. NO_INTERVALS: why the fit has no
// intervals at all; empty when it was profiled.
void fill_parameters(const Model& model, const Uncertainty& u, const std::string& no_intervals, FitResult& r) {
  const auto& params = model.parameters();
  const std::vector<double> values = model.values(r.free);
  const auto& free = model.free_parameters();
  r.parameters.clear();
  for (size_t i = 0; i < params.size(); ++i) {
    const Parameter& p = params[i];
    ParameterEstimate e;
    e.name = p.name;
    e.role = p.role;
    e.estimate = values[i];
    int c = -1;  // the free coordinate whose uncertainty this parameter shares
    const int source = p.role == ParameterRole::linked ? p.link : static_cast<int>(i);
    for (size_t j = 0; j < free.size(); ++j)
      if (free[j] == source) c = static_cast<int>(j);
    const FreeUncertainty* f = c >= 0 ? &u.free[static_cast<size_t>(c)] : nullptr;
    switch (p.role) {
      case ParameterRole::estimated:
        e.low = p.low;
        e.high = p.high;
        e.status = !f->bound_reason.empty() ? ParameterStatus::at_bound
                   : f->not_identified       ? ParameterStatus::not_identified
                                             : ParameterStatus::estimated;
        e.note = f->bound_reason;
        e.bound_side = f->bound_side;
        break;
      case ParameterRole::fixed:
        e.status = ParameterStatus::fixed;
        e.note = p.fixed_by_user ? "by --fix" : "by the model";
        break;
      case ParameterRole::linked:
        e.status = ParameterStatus::linked;
        e.note = "= " + params[p.link].name;
        break;
      case ParameterRole::derived:
        e.status = ParameterStatus::derived;
        e.note = p.name == "tr2" ? "from q, tr1, tr3" : "from " + p.name.substr(0, 1) + "1, " + p.name.substr(0, 1) + "3, h";
        break;
    }
    if (!f) e.se_missing = e.ci_missing = status_reason(e);
    if (f) {
      // A linked parameter's reasons are those of the one it equals.
      const std::string as = p.role == ParameterRole::linked ? "as " + params[p.link].name + ": " : "";
      if (!f->se)
        e.se_missing = as + (!f->bound_reason.empty() ? at_bound_reason(f->bound_reason)
                             : !f->why_no_se.empty()  ? f->why_no_se
                                                      : "no standard error");
      if (!no_intervals.empty())
        e.ci_missing = no_intervals;
      else if (!f->interval)
        e.ci_missing = "not profiled";
      else if (!f->interval->missing.empty())
        e.ci_missing = as + "profile search failed: " + f->interval->missing;
      e.se = f->se;
      if (f->interval) {
        e.ci_low = f->interval->low;
        e.ci_high = f->interval->high;
        e.ci_low_at_bound = f->interval->low_at_bound;
        e.ci_high_at_bound = f->interval->high_at_bound;
        if (p.role == ParameterRole::estimated && r.lnl) {
          e.profile = f->interval->curve;
          e.profile.emplace_back(r.free[static_cast<size_t>(c)], *r.lnl);
          std::sort(e.profile.begin(), e.profile.end());
        }
      }
    }
    r.parameters.push_back(e);
  }
}

// The fit's status from how the best search ended and what the uncertainty
// pass found, with what is said of it. MOVED: the search went on from a
// profile's point.
void settle_status(SearchEnd end, bool not_reached, std::optional<double> gain, const Model& model,
                   const Uncertainty& u, const FitOptions& options, FitResult& r) {
  const auto names = model.free_names();
  std::vector<std::string> on_bound, flat;
  for (size_t c = 0; c < u.free.size(); ++c) {
    if (!u.free[c].bound_reason.empty()) on_bound.push_back(names[c] + " (" + u.free[c].bound_reason + ")");
    if (u.free[c].not_identified) flat.push_back(names[c]);
  }
  // The status of the point, not of the search that reached it: the same
  // estimates get the same status under any search settings.
  const std::string limit = "the best search stopped at the limit of " +
                            std::to_string(options.search.max_evaluations) + " evaluations";
  if (not_reached) {
    r.status = FitStatus::not_converged;
  } else if (gain && *gain >= kMaximumGain) {
    r.status = end == SearchEnd::iteration_limit ? FitStatus::iteration_limit : FitStatus::not_converged;
    if (end == SearchEnd::iteration_limit) r.messages.push_back(limit);
    r.messages.push_back("not a maximum: a Newton step from the estimates would raise ln L by " + significant(*gain, 3) +
                         " (at most " + significant(kMaximumGain, 3) + " at a maximum)");
  } else {
    r.status = FitStatus::converged;
    const std::string confirmed = gain ? " (a Newton step would gain " + significant(*gain, 3) + ")" : "";
    if (end == SearchEnd::iteration_limit)
      r.messages.push_back(limit + ", at a maximum all the same" + confirmed);
    else if (end == SearchEnd::not_converged)
      r.messages.push_back("the best search stopped before its own tolerances, at a maximum all the same" + confirmed);
  }
  if (!on_bound.empty()) {
    std::string m = "at a bound, without standard error:";
    for (const auto& b : on_bound) m += " " + b;
    r.messages.push_back(m);
  }
  if (r.status == FitStatus::converged && !flat.empty()) r.status = FitStatus::flat;
  if (r.status == FitStatus::converged && !on_bound.empty()) r.status = FitStatus::at_bound;
}

}  // namespace

FitResult fit(const Model& model, const LogLikelihood& lnl, const SampleSummary& summary, const FitOptions& options) {
  FitResult r;
  r.model = model.name();
  r.k = model.k();
  r.free_names = model.free_names();
  Fitter fitter(model, lnl, options);

  r.starts = search_from_starts(model, fitter, summary, options);
  choose_best_start(r);
  if (r.best_start < 0) {
    r.status = FitStatus::refused_start;
    r.messages.push_back("the likelihood refused every start (" + std::to_string(r.starts.size()) +
                         "): no estimates");
    r.evaluations = fitter.evaluations();
    r.free = r.starts.empty() ? std::vector<double>{} : r.starts[0].start;
    return r;
  }
  BestPoint best;
  best.x = r.starts[r.best_start].end;
  best.lnl = fitter.lnl_at(best.x);
  best.end = r.starts[r.best_start].end_state;
  r.turned_round = r.starts[r.best_start].turned_round;
  orientation_messages(model, best.x, r);
  compare_starts(best.lnl, options.tie, r);

  // Uncertainty; redone once from a better point when a profile finds one.
  Uncertainty u;
  bool moved = false;
  bool not_reached = false;  // a profile found a higher ln L twice
  for (int round = 0; round < 2; ++round) {
    u = standard_errors(model, fitter, best.x, options);
    if (!options.profile) break;
    const std::optional<BetterPoint> better = profile_intervals(model, fitter, best, options, u);
    r.profiled = !better;
    if (!better) break;
    const double gain = better->point.lnl - best.lnl;
    if (moved) {
      r.messages.push_back("the profile of " + better->parameter + " again found ln L higher by " +
                           significant(gain, 4) + ": the maximum was not reached; no intervals");
      not_reached = true;
      for (FreeUncertainty& f : u.free) f.interval.reset();
      break;
    }
    moved = true;
    r.messages.push_back("the profile of " + better->parameter + " found ln L higher by " + significant(gain, 4) +
                         " than the searches: the search went on from there");
    climb_from(model, fitter, better->point, best);
  }
  r.messages.insert(r.messages.end(), u.messages.begin(), u.messages.end());
  const std::string no_intervals = !options.profile ? options.unprofiled
                                   : not_reached    ? "the maximum was not reached: a profile found a higher ln L twice"
                                                    : "";

  r.free = best.x;
  r.lnl = best.lnl;
  r.point = model.point(best.x);
  r.covariance_names = u.covariance_names;
  r.covariance = u.covariance;
  fill_parameters(model, u, no_intervals, r);
  MaximumComparison how;
  how.scale = model.scales();
  how.lower = model.lower();
  how.upper = model.upper();
  for (const FreeUncertainty& f : u.free) how.flat.push_back(f.not_identified);
  if (model.can_turn_round()) how.mirror = [&](const std::vector<double>& x) { return model.turned_round(x); };
  how.lnl = [&](const std::vector<double>& x) {
    const auto y = model.project(x);
    return y ? fitter.lnl_at(*y) : kMinusInf;
  };
  how.valley = options.tie;
  how.tie = options.tie;
  r.runner_up = second_maximum(r.starts, r.best_start, best.x, best.lnl, how);
  const std::optional<double> gain = newton_gain(fitter, model, best.x, u.covariance_names, u.covariance);
  settle_status(best.end, not_reached, gain, model, u, options, r);
  r.evaluations = fitter.evaluations();
  return r;
}

}  // namespace kinseg
