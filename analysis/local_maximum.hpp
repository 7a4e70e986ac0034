// One climb to a local maximum of a function over a box, with NLopt: BOBYQA
// (quadratic models, no derivatives) from the start, then polishing: the
// search restarted from where it stopped with a fresh model and smaller steps,
// until a restart gains nothing. A point the function refuses (-inf or NaN)
// breaks BOBYQA's quadratic model, so once one has been met the remaining
// stages use SBPLX (subplex), which simply treats it as a worse point.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "analysis/search_box.hpp"

namespace kinseg {

using Objective = std::function<double(const std::vector<double>&)>;

struct SearchSettings {
  int max_evaluations = 5000;  // over all stages of the climb
  double x_tolerance = 1e-7;   // in units of each coordinate's scale
  double f_tolerance = 1e-9;   // absolute, on the function
  double polish_gain = 1e-6;   // a restart that gains less ends the polishing
  int polish_rounds = 3;
};

enum class SearchEnd {
  converged,        // the last restart gained less than polish_gain
  iteration_limit,  // the evaluations ran out
  not_converged,    // the restarts kept gaining, or the library gave up
  refused_start,    // the function refuses the start
};

std::string search_end_name(SearchEnd e);

struct LocalMaximum {
  std::vector<double> x;  // the best point met
  double value = 0.0;     // the function there (-inf for a refused start)
  SearchEnd end = SearchEnd::converged;
  int evaluations = 0;
  int refusals = 0;       // points met that the function refused
};

// Climbs from START (moved into the box first). Exceptions thrown by F pass
// through after the library has been stopped.
LocalMaximum local_maximum(const Objective& f, const SearchBox& box, std::vector<double> start,
                           const SearchSettings& settings = {});

}  // namespace kinseg
