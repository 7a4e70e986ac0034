// The order in which the genotypes of a pedigree's persons are summed out.
//
// The persons are the nodes of a graph in which two persons are joined when
// some factor of the likelihood reads both (a child and its parents, the two
// parents of a child). Summing out a person multiplies the factors that read
// it into one table over the person and its neighbours (3^k entries for k
// persons) and leaves a table over the neighbours, who then become joined to
// each other. The order is found greedily: at each step the person whose
// elimination adds the fewest new joins (min-fill) or has the fewest
// neighbours (min-weight), ties broken in several ways; of the orders tried
// the one whose tables have the fewest entries in all is kept.
#pragma once

#include <vector>

namespace kinseg {

struct EliminationOrder {
  std::vector<int> order;  // the variables in the order they are summed out
  int width = 0;           // the most persons in one table
  double entries = 0.0;    // the entries of all tables, sum of 3^k
};

// `scopes` lists, per factor, the variables it reads (numbers 0..nvars-1).
// The same scopes always give the same order.
EliminationOrder elimination_order(int nvars, const std::vector<std::vector<int>>& scopes);

}  // namespace kinseg
