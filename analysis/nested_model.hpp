// Models nested in one another: when a model's space holds another model's
// fit, so that the larger model can start from it and a likelihood-ratio test
// compares the two.
//
// By the names of the models: sporadic lies in every model (all genotypes
// alike, whatever Q and the transmission); no_transmission lies in
// homog_general and general; mendelian in tau_ab_free, homog_general and
// general; tau_ab_free and homog_general in general; a dominant, recessive or
// additive model in the (ordered) codominant model of the same transmission,
// every type in the unordered one, and each type in the larger transmissions
// of its own type. Options held by one model
// but not by the other (--fix tr2=0.3, --bounds tr1=0:0.9) can break the
// nesting, so a fit is placed in the larger model only when the point it
// reaches there is the very point of the fit.
#pragma once

#include <optional>
#include <vector>

#include "analysis/fit_result.hpp"
#include "analysis/model.hpp"
#include "engine/point.hpp"

namespace kinseg {

// Whether the model INNER is nested in OUTER by their transmission and type
// (a model is not nested in itself).
bool nested_in(const Model& inner, const Model& outer);

// Whether the likelihood reads the two points alike: the same genotype
// effects, sex increments, covariate and regressive coefficients, and, when the
// genotypes differ in risk, the same Q and transmission (Mendelian
// transmission counting as Tr = 1, 1/2, 0).
bool same_point(const Point& a, const Point& b, double tolerance = 1e-9);

// The free vector of OUTER at which it reads the point of INNER's fit: every
// parameter of OUTER taken by name from the fit (transmission from Mendelian
// when INNER has none; Q, which a sporadic model does not have, from
// Q_WHEN_ABSENT). Empty when INNER is not nested in OUTER, the fit has no
// estimates, or the vector lies outside OUTER's bounds and constraints or
// does not give the fit's point.
std::optional<std::vector<double>> nested_start(const Model& outer, const Model& inner, const FitResult& fit,
                                                double q_when_absent = 0.1);

}  // namespace kinseg
