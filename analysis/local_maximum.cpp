#include "analysis/local_maximum.hpp"

#include <nlopt.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <memory>

namespace kinseg {

std::string search_end_name(SearchEnd e) {
  switch (e) {
    case SearchEnd::converged: return "converged";
    case SearchEnd::iteration_limit: return "iteration limit";
    case SearchEnd::not_converged: return "not converged";
    case SearchEnd::refused_start: return "refused start";
  }
  return "";
}

namespace {

// The state shared with NLopt's callback: NLopt minimises, we maximise; the
// best point is kept here, whatever the library returns.
struct Climb {
  const Objective* f = nullptr;
  std::vector<double> best;
  double best_value = -std::numeric_limits<double>::infinity();
  int evaluations = 0;
  int refusals = 0;
  std::exception_ptr error;
  nlopt_opt opt = nullptr;
};

double callback(unsigned n, const double* x, double* gradient, void* data) {
  (void)gradient;
  Climb& c = *static_cast<Climb*>(data);
  std::vector<double> point(x, x + n);
  double v;
  try {
    v = (*c.f)(point);
  } catch (...) {
    c.error = std::current_exception();
    nlopt_force_stop(c.opt);
    return HUGE_VAL;
  }
  ++c.evaluations;
  if (!std::isfinite(v) || std::isnan(v)) {
    // +inf cannot be a maximum; NaN is treated as a refusal too.
    ++c.refusals;
    return HUGE_VAL;
  }
  if (v > c.best_value) {
    c.best_value = v;
    c.best = point;
  }
  return -v;
}

struct OptDeleter {
  void operator()(nlopt_opt o) const { nlopt_destroy(o); }
};

// One stage: the algorithm from the best point so far with the given steps.
nlopt_result stage(Climb& c, nlopt_algorithm algorithm, const SearchBox& box, const std::vector<double>& steps,
                   const SearchSettings& s) {
  const unsigned n = static_cast<unsigned>(box.lower.size());
  std::unique_ptr<nlopt_opt_s, OptDeleter> opt(nlopt_create(algorithm, n));
  c.opt = opt.get();
  nlopt_set_lower_bounds(c.opt, box.lower.data());
  nlopt_set_upper_bounds(c.opt, box.upper.data());
  nlopt_set_min_objective(c.opt, callback, &c);
  const std::vector<double> dx = first_steps(box, steps);
  std::vector<double> xtol(n);
  for (unsigned i = 0; i < n; ++i) xtol[i] = s.x_tolerance * box.scale[i];
  nlopt_set_initial_step(c.opt, dx.data());
  nlopt_set_xtol_abs(c.opt, xtol.data());
  nlopt_set_ftol_abs(c.opt, s.f_tolerance);
  nlopt_set_maxeval(c.opt, std::max(1, s.max_evaluations - c.evaluations));
  std::vector<double> x = c.best;
  double minimum = 0;
  const nlopt_result r = nlopt_optimize(c.opt, x.data(), &minimum);
  c.opt = nullptr;
  if (c.error) std::rethrow_exception(c.error);
  return r;
}

}  // namespace

LocalMaximum local_maximum(const Objective& f, const SearchBox& box, std::vector<double> start,
                           const SearchSettings& settings) {
  const size_t n = start.size();
  for (size_t i = 0; i < n; ++i) start[i] = std::clamp(start[i], box.lower[i], box.upper[i]);
  LocalMaximum out;
  Climb c;
  c.f = &f;
  const double v0 = f(start);
  c.evaluations = 1;
  if (!std::isfinite(v0)) {
    out.x = start;
    out.value = -std::numeric_limits<double>::infinity();
    out.end = SearchEnd::refused_start;
    out.evaluations = 1;
    out.refusals = 1;
    return out;
  }
  c.best = start;
  c.best_value = v0;
  if (n == 0) {
    out.x = start;
    out.value = v0;
    out.evaluations = 1;
    return out;
  }

  auto algorithm = [&] { return c.refusals > 0 ? NLOPT_LN_SBPLX : NLOPT_LN_BOBYQA; };
  nlopt_result r = stage(c, algorithm(), box, box.scale, settings);
  std::vector<double> polish = box.scale;
  for (double& s : polish) s *= 0.1;
  // The library's own stop is good when it reached its tolerances; at the
  // limit of rounding the best point is as good as the arithmetic allows.
  auto settled = [](nlopt_result res) { return res > 0 || res == NLOPT_ROUNDOFF_LIMITED; };
  SearchEnd end = SearchEnd::not_converged;
  for (int round = 0; round < settings.polish_rounds; ++round) {
    if (r == NLOPT_MAXEVAL_REACHED || c.evaluations >= settings.max_evaluations) {
      end = SearchEnd::iteration_limit;
      break;
    }
    const double before = c.best_value;
    r = stage(c, algorithm(), box, polish, settings);
    if (c.best_value - before <= settings.polish_gain && settled(r) && r != NLOPT_MAXEVAL_REACHED) {
      end = SearchEnd::converged;
      break;
    }
    if (r == NLOPT_MAXEVAL_REACHED) {
      end = SearchEnd::iteration_limit;
      break;
    }
  }
  out.x = c.best;
  out.value = c.best_value;
  out.end = end;
  out.evaluations = c.evaluations;
  out.refusals = c.refusals;
  return out;
}

}  // namespace kinseg
