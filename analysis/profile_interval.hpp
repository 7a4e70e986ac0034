// Profile-likelihood interval of one parameter: the values theta at which ln L,
// maximised over the other parameters with theta held, lies 3.841/2 below the
// maximum (2 delta ln L = the 95% point of chi-square with 1 degree of
// freedom). Each side is walked out from the estimate, the steps guided by the
// signed root sqrt(2 delta ln L), which is close to linear in theta, until the
// drop is passed; the crossing is then found by TOMS 748 (Boost.Math) on that
// root. A side that reaches the parameter's bound before the drop is cut there
// and flagged. A profile point above the maximum means that the fit had not
// reached it: the walk stops and hands the point back.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kinseg {

// The profile at one value of a parameter: ln L maximised over the other
// parameters, and the free vector where that maximum lies.
struct ProfileMaximum {
  double lnl = 0.0;       // -inf when refused
  std::vector<double> x;  // the whole free vector at the profile maximum
};

// The profile at VALUE of the parameter, maximising the others from WARM (a
// whole free vector; its own coordinate is replaced by VALUE).
using Profile = std::function<ProfileMaximum(double value, const std::vector<double>& warm)>;

struct ProfileSettings {
  double level = 0.95;
  double tolerance = 1e-4;   // on the end points, in units of the parameter's scale
  int max_steps = 40;        // profile maximisations per side while walking out
  double better = 1e-3;      // a profile point this far above the maximum stops the walk
  // Further profile maximisations on each side once the interval is known,
  // for a plot of the curve: this many evenly spaced between the estimate and
  // the interval's end, and one a third of that distance beyond it (within
  // the bounds). 0: none.
  int curve_points = 0;
};

struct ProfileInterval {
  std::optional<double> low, high;
  bool low_at_bound = false, high_at_bound = false;
  std::optional<ProfileMaximum> better;  // a point above the maximum, when met
  int maximisations = 0;
  // (value, profile ln L) of every finite profile maximisation, in the order
  // they were made: the walk, the search for the ends and the curve's points.
  std::vector<std::pair<double, double>> curve;
  std::vector<std::string> messages;
  // Why an end is missing ("the lower end: ..."); empty when both were found.
  std::string missing;
};

// The 2 delta ln L of the interval at LEVEL: 3.841 for 95%.
double profile_drop(double level);

ProfileInterval profile_interval(const Profile& profile, int coordinate, const std::vector<double>& x_hat,
                                 double lnl_hat, double lower, double upper, double scale,
                                 std::optional<double> se, const ProfileSettings& settings = {});

}  // namespace kinseg
