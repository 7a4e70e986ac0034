// The parameter point of --at NAME=VALUE[,NAME=VALUE...]: q, w1-w3, v1-v3,
// tr1-tr3, ro1, ro2 (in any case), and d.COLUMN for the coefficient of a
// covariate named in --covar (by the name given there or its header name).
// Unnamed parameters are 0; transmission is Mendelian unless tr1, tr2 and tr3
// are given, all three. A sample with ages (--onset) needs m1 m2 m3 and s (or
// s1 s2 s3): the point is then one of the age-of-onset model.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "engine/point.hpp"
#include "pedigree/sample.hpp"

namespace kinseg::cli {

// An --at entry that cannot be read: a usage error.
class PointOptionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// `covar` holds the --covar entries as given, in the order of the sample's
// covariates.
Point parse_point(const std::vector<std::string>& at, const Sample& sample,
                  const std::vector<std::string>& covar);

}  // namespace kinseg::cli
