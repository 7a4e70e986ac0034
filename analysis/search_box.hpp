// The box a search moves in and the steps it takes: every parameter's bounds
// make a finite interval (its width too: -1e308:1e308 does not), and its scale,
// the typical change from which the first steps and the tolerances follow, is
// in proportion to that interval. A nominal scale of 1 in a box of width 1e-299,
// or a fixed step floor in a box of width 1e-299 or 1e300, would leave the
// search frozen at its start while it reports that it stopped.
#pragma once

#include <string>
#include <vector>

namespace kinseg {

struct SearchBox {
  std::vector<double> lower, upper;
  std::vector<double> scale;  // a typical change of each coordinate: first steps, tolerances
};

// Why LOW:HIGH cannot be the box of the parameter NAME ("" when it can): a
// bound that is not a finite number, the lower not below the upper, or a width
// HIGH - LOW that is not a finite number.
std::string box_problem(const std::string& name, double low, double high);

// The scale of a parameter whose nominal scale is NOMINAL, in the box
// LOW:HIGH: no more than a quarter of the box's width (the default boxes keep
// their nominal scales: q's 0.1 in 0.0001:0.9999, a logit's 1 in -20:20).
double search_scale(double nominal, double low, double high);

// The first steps of a stage of the search from the wanted STEPS: each within
// 0.45 of its coordinate's room (a step must fit in the box both ways) and
// never zero.
std::vector<double> first_steps(const SearchBox& box, const std::vector<double>& steps);

}  // namespace kinseg
