// The observed information at a maximum: minus the matrix of second
// derivatives of ln L over the free parameters not at a bound, by central
// differences with a step h per parameter (a thousandth of its scale,
// shortened so that every point of the stencil stays within the bounds and
// constraints). Entry (i, j) is the central difference along j, step h_j, of
// the central difference along i, step h_i / 2: so (i, j) and (j, i) come
// from different points, and their agreement checks the differences (a large
// asymmetry gets a message); the symmetric part is kept. Positive
// definiteness is checked through the eigenvalues (on the parameters' scales):
// a flat direction (an eigenvalue near 0) or a negative one names the
// parameter that weighs most along it, which is left out as not identified,
// and the check is repeated on the rest. The variance-covariance matrix is the
// inverse over what remains.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kinseg {

struct ObservedInformation {
  std::vector<int> covered;          // free coordinates of the matrices below
  std::vector<double> information;   // row-major, covered.size() squared
  std::vector<double> covariance;    // its inverse; empty when nothing is covered
  std::vector<double> se;            // the standard errors of the covered, from the inverse on the
                                     // scales (finite where the covariance underflows)
  std::vector<int> not_identified;   // free coordinates left out along a flat or negative direction
  std::vector<int> no_room;          // left out: the stencil does not fit in the bounds, or is refused
  // Per free coordinate (x's size): why it has no standard error, in a few
  // words; empty when it has one or was excluded by the caller.
  std::vector<std::string> why_no_se;
  std::vector<std::string> messages;
  double asymmetry = 0.0;  // the largest |H_ij - H_ji| / sqrt(|H_ii H_jj|)
  int evaluations = 0;
};

struct InformationSettings {
  double relative_step = 1e-3;    // h = relative_step * scale
  double shortest_step = 1e-6;    // no shorter step, relative to the scale: the parameter gets no SE
  double flat_absolute = 1e-6;    // an eigenvalue (on the scales) below this ...
  double flat_relative = 1e-9;    // ... plus this times the largest is flat
  double asymmetry_warning = 0.01;
};

// LNL: the function at a free vector; FEASIBLE: whether a vector may be
// evaluated (bounds and constraints); SCALE: each coordinate's typical change;
// EXCLUDE: coordinates left out (at a bound); NAMES: for the messages.
ObservedInformation observed_information(const std::function<double(const std::vector<double>&)>& lnl,
                                         const std::function<bool(const std::vector<double>&)>& feasible,
                                         const std::vector<double>& x, const std::vector<double>& scale,
                                         const std::vector<bool>& exclude, const std::vector<std::string>& names,
                                         const InformationSettings& settings = {});

}  // namespace kinseg
