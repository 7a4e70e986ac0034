#include "analysis/fit.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>

#include "analysis/message_text.hpp"
#include "analysis/observed_information.hpp"

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

namespace {

constexpr double kMinusInf = -std::numeric_limits<double>::infinity();
// Weight of the squared distance (in units of the parameters' scales) to the
// nearest feasible point, in ln L units.
constexpr double kPenalty = 1.0;
// Free coordinates within this many scales of a bound are on it.
constexpr double kBoundTolerance = 1e-6;

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
  ProfilePoint profile(int i, double theta, const std::vector<double>& warm) {
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
    ProfilePoint out;
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

FitStatus status_of(SearchEnd e) {
  switch (e) {
    case SearchEnd::converged: return FitStatus::converged;
    case SearchEnd::iteration_limit: return FitStatus::iteration_limit;
    case SearchEnd::not_converged: return FitStatus::not_converged;
    case SearchEnd::refused_start: return FitStatus::refused_start;
  }
  return FitStatus::not_converged;
}

// The table of parameters: values everywhere, standard errors and intervals of
// the estimated ones (a linked parameter shares those of the one it equals).
void fill_parameters(const Model& model, FitResult& r, const std::vector<std::string>& bound_reason,
                     const std::vector<bool>& not_identified, const std::vector<bool>& no_room,
                     const std::vector<std::optional<double>>& se,
                     const std::vector<ProfileInterval>& intervals) {
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
    switch (p.role) {
      case ParameterRole::estimated:
        e.low = p.low;
        e.high = p.high;
        e.status = !bound_reason[c].empty() ? "at bound" : not_identified[c] ? "not identified" : "estimated";
        e.note = bound_reason[c];
        if (no_room[c]) e.note = "no standard error: too close to a bound";
        break;
      case ParameterRole::fixed:
        e.status = "fixed";
        e.note = p.fixed_by_user ? "by --fix" : "by the model";
        break;
      case ParameterRole::linked:
        e.status = "linked";
        e.note = "= " + params[p.link].name;
        break;
      case ParameterRole::derived:
        e.status = "derived";
        e.note = "from q, tr1, tr3";
        break;
    }
    if (c >= 0) {
      e.se = se[c];
      if (c < static_cast<int>(intervals.size())) {
        e.ci_low = intervals[c].low;
        e.ci_high = intervals[c].high;
        e.ci_low_at_bound = intervals[c].low_at_bound;
        e.ci_high_at_bound = intervals[c].high_at_bound;
        if (p.role == ParameterRole::estimated && r.lnl) {
          e.profile = intervals[c].curve;
          e.profile.emplace_back(r.free[static_cast<size_t>(c)], *r.lnl);
          std::sort(e.profile.begin(), e.profile.end());
        }
      }
    }
    r.parameters.push_back(e);
  }
}

}  // namespace

FitResult fit(const Model& model, const LogLikelihood& lnl, const SampleSummary& summary, const FitOptions& options) {
  FitResult r;
  r.model = model.name();
  r.k = model.k();
  r.free_names = model.free_names();
  Fitter fitter(model, lnl, options);
  const int k = model.k();
  const auto names = model.free_names();
  const auto scale = model.scales();

  // The searches.
  const std::vector<StartingPoint> starts = starting_points(model, summary, options.starts, options.extra_starts);
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
    r.starts.push_back(rec);
    if (options.on_start) options.on_start(rec, static_cast<int>(s) + 1, static_cast<int>(starts.size()));
  }

  for (size_t s = 0; s < r.starts.size(); ++s) {
    if (!r.starts[s].lnl) {
      ++r.refused_starts;
      continue;
    }
    if (r.best_start < 0 || *r.starts[s].lnl > *r.starts[r.best_start].lnl) r.best_start = static_cast<int>(s);
  }
  if (r.best_start < 0) {
    r.status = FitStatus::refused_start;
    r.messages.push_back("the likelihood refused every start (" + std::to_string(r.starts.size()) +
                         "): no estimates");
    r.evaluations = fitter.evaluations();
    r.free = r.starts.empty() ? std::vector<double>{} : r.starts[0].start;
    return r;
  }

  std::vector<double> x = r.starts[r.best_start].end;
  double best = fitter.lnl_at(x);
  SearchEnd end_state = r.starts[r.best_start].end_state;
  r.turned_round = r.starts[r.best_start].turned_round;
  if (r.turned_round)
    r.messages.push_back("the search ended at the mirror image (w1 < w3) and was turned round: q -> 1-q, w1 <-> w3" +
                         std::string(model.options().sex_effect ? ", v1 <-> v3" : "") +
                         (model.find("tr1") >= 0 ? ", tr1 -> 1-tr3, tr2 -> 1-tr2, tr3 -> 1-tr1" : ""));
  {
    const std::vector<double> v = model.values(x);
    const int w1 = model.find("w1"), w3 = model.find("w3");
    if (!model.can_turn_round() && !model.orientation_constrained() && model.transmission() != Transmission::sporadic &&
        v[w1] < v[w3])
      r.messages.push_back("w1 < w3, and the mirror image is outside this model's --fix or --bounds: left as found");
  }

  // How the starts agree.
  for (size_t s = 0; s < r.starts.size(); ++s) {
    if (!r.starts[s].lnl) continue;
    const double below = best - *r.starts[s].lnl;
    if (below <= options.tie) {
      ++r.starts_at_best;
    } else {
      r.others_nearest = r.others_nearest ? std::min(*r.others_nearest, below) : below;
      r.others_farthest = r.others_farthest ? std::max(*r.others_farthest, below) : below;
    }
  }
  {
    std::string m = std::to_string(r.starts_at_best) + " of " + std::to_string(r.starts.size()) +
                    " starts reached the best ln L (within " + significant(options.tie, 4) + ")";
    if (r.others_nearest)
      m += "; the others that finished ended " + significant(*r.others_nearest, 4) + " to " + significant(*r.others_farthest, 4) +
           " below it";
    if (r.refused_starts > 0) m += "; " + std::to_string(r.refused_starts) + " refused";
    r.messages.push_back(m);
  }

  // Uncertainty; redone once from a better point when a profile finds one.
  std::vector<std::string> bound_reason;
  std::vector<bool> not_identified, no_room;
  std::vector<std::optional<double>> se;
  std::vector<ProfileInterval> intervals;
  std::vector<std::string> uncertainty_messages;
  const double profile_drop_root = std::sqrt(profile_drop(options.profile_settings.level));
  bool moved = false;
  for (int round = 0; round < 2; ++round) {
    uncertainty_messages.clear();
    bound_reason = model.bound_reasons(x, kBoundTolerance);
    std::vector<bool> at_bound(k);
    for (int c = 0; c < k; ++c) at_bound[c] = !bound_reason[c].empty();
    if (options.on_progress) options.on_progress("standard errors", 0, 1);
    const ObservedInformation info = observed_information(
        [&](const std::vector<double>& y) { return fitter.lnl_at(y); },
        [&](const std::vector<double>& y) { return model.feasible(y); }, x, scale, at_bound, names);
    if (options.on_progress) options.on_progress("standard errors", 1, 1);
    uncertainty_messages.insert(uncertainty_messages.end(), info.messages.begin(), info.messages.end());
    not_identified.assign(k, false);
    for (int c : info.not_identified) not_identified[c] = true;
    no_room.assign(k, false);
    for (int c : info.no_room) no_room[c] = true;
    se.assign(k, std::nullopt);
    r.covariance_names.clear();
    r.covariance = info.covariance;
    const int n = static_cast<int>(info.covered.size());
    for (int a = 0; a < n; ++a) {
      const int c = info.covered[a];
      r.covariance_names.push_back(names[c]);
      se[c] = info.se[a];
      // A Wald interval wider than the parameter's whole range: ln L hardly
      // changes over it (a ridge, such as a penetrance driven to 1 along a
      // combination of baseline and sex increment).
      const double range = model.upper()[c] - model.lower()[c];
      if (*se[c] * 2 * profile_drop_root > range) {
        not_identified[c] = true;
        uncertainty_messages.push_back("flat likelihood: 1.96 standard errors of " + names[c] + " (SE " + significant(*se[c], 4) +
                                       ") either side span more than its whole range " + significant(model.lower()[c], 4) + ":" +
                                       significant(model.upper()[c], 4) + "; " + names[c] + " is not identified");
      }
    }

    intervals.clear();
    if (!options.profile) break;
    std::optional<ProfilePoint> better;
    std::string better_of;
    for (int c = 0; c < k && !better; ++c) {
      if (options.on_progress) options.on_progress("profile " + names[c], c, k);
      ProfileInterval pi = profile_interval(
          [&](double theta, const std::vector<double>& warm) { return fitter.profile(c, theta, warm); }, c, x,
          best, model.lower()[c], model.upper()[c], scale[c], se[c], options.profile_settings);
      for (const auto& m : pi.messages) uncertainty_messages.push_back("profile of " + names[c] + ": " + m);
      if (pi.better) {
        better = pi.better;
        better_of = names[c];
      }
      intervals.push_back(pi);
    }
    if (options.on_progress && !better) options.on_progress("profiles", k, k);
    r.profiled = !better;
    if (!better) break;
    const double gain = better->lnl - best;
    if (moved) {
      r.messages.push_back("the profile of " + better_of + " again found ln L higher by " + significant(gain, 4) +
                           ": the maximum was not reached; no intervals");
      end_state = SearchEnd::not_converged;
      intervals.clear();
      break;
    }
    moved = true;
    r.messages.push_back("the profile of " + better_of + " found ln L higher by " + significant(gain, 4) +
                         " than the searches: the search went on from there");
    const Fitter::Climb c = fitter.climb(better->x);
    if (std::isfinite(c.lnl) && c.lnl >= better->lnl) {
      x = c.x;
      best = c.lnl;
      end_state = c.end;
    } else {
      x = better->x;
      best = better->lnl;
    }
    if (model.needs_turning_round(x)) {
      x = model.turned_round(x);
      best = fitter.lnl_at(x);
    }
  }
  r.messages.insert(r.messages.end(), uncertainty_messages.begin(), uncertainty_messages.end());

  r.free = x;
  r.lnl = best;
  r.point = model.point(x);
  fill_parameters(model, r, bound_reason, not_identified, no_room, se, intervals);

  std::vector<std::string> on_bound, flat;
  for (int c = 0; c < k; ++c) {
    if (!bound_reason[c].empty()) on_bound.push_back(names[c] + " (" + bound_reason[c] + ")");
    if (not_identified[c]) flat.push_back(names[c]);
  }
  r.status = status_of(end_state);
  if (r.status == FitStatus::iteration_limit)
    r.messages.push_back("the best search stopped at the limit of " + std::to_string(options.search.max_evaluations) +
                         " evaluations");
  if (r.status == FitStatus::not_converged && !moved)
    r.messages.push_back("the best search stopped short of a maximum");
  if (!on_bound.empty()) {
    std::string m = "at a bound, without standard error:";
    for (const auto& b : on_bound) m += " " + b;
    r.messages.push_back(m);
  }
  if (r.status == FitStatus::converged && !flat.empty()) r.status = FitStatus::flat;
  if (r.status == FitStatus::converged && !on_bound.empty()) r.status = FitStatus::at_bound;
  r.evaluations = fitter.evaluations();
  return r;
}

}  // namespace kinseg
