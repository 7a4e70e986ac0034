// Eigenvalues and eigenvectors of a small symmetric matrix (cyclic Jacobi
// rotations): the observed information's check for positive definiteness, its
// flat directions, and its inverse.
#pragma once

#include <cstddef>
#include <vector>

namespace kinseg {

struct SymmetricEigen {
  int n = 0;
  std::vector<double> values;   // ascending
  std::vector<double> vectors;  // row-major n x n: column j is the eigenvector of values[j]
  double vector(int i, int j) const { return vectors[static_cast<std::size_t>(i) * n + j]; }
};

// A is row-major n x n and symmetric (only its symmetric part is used).
SymmetricEigen symmetric_eigen(const std::vector<double>& a, int n);

}  // namespace kinseg
