// The pedigree as the drawing sees it, shared by the steps of the layout:
// generation rows (generation_rows.cpp), the order within each row
// (row_order.cpp) and the horizontal positions (row_placement.cpp).
//
// Each row holds nodes: the persons of that generation, and pass-through nodes
// where a line of descent crosses a row to reach a child several rows down (a
// person drawn lower than its parents' next row because he or she married into
// a later generation, as in an uncle-niece marriage). A family is what hangs a
// sibship below a row: a couple and their children, or a pass-through node and
// the one node it leads to. In a row, spouses form blocks: persons joined by
// marriages (a person with two spouses makes a block of three), kept together
// in their order by every step.
#pragma once

#include <vector>

#include "pedigree/sample.hpp"

namespace kinseg::report::layout {

struct Node {
  int member = -1;           // the member drawn here; -1 for a pass-through node
  int row = 0;
  int parent_family = -1;    // the family whose sibship holds this node
  std::vector<int> families; // the families this node is a parent (or pass-through) of
  double half_width = 0;     // half the horizontal room the node needs
};

struct Family {
  int a = -1, b = -1;         // the two spouses' nodes; b = -1 for a pass-through
  int row = 0;                // the row of the parents (the lower one if they differ)
  std::vector<int> children;  // nodes of the row below, in file order
  bool consanguineous = false;
};

struct Graph {
  std::vector<Node> nodes;  // members first (node m is member m), then pass-throughs
  std::vector<Family> families;
  // rows[r] = the blocks of row r, left to right; a block lists its nodes
  // left to right.
  std::vector<std::vector<std::vector<int>>> rows;
};

using Rows = std::vector<std::vector<std::vector<int>>>;

// Generation rows, families, pass-through nodes and blocks of pedigree k, the
// rows in a first order from a walk down the pedigree. Throws
// std::invalid_argument when a person is their own ancestor.
Graph generation_rows(const Sample& sample, int k);

// Reorders blocks within rows (and turns blocks round) so that few lines of
// descent cross. Returns the distinct orders the sweeps went through, fewest
// crossings (counted between neighbouring rows, by order alone) first, at
// most kOrderCandidates of them, and leaves g.rows at the first: the drawing
// keeps the one whose drawn lines cross least, which the order alone cannot
// tell (where a line of descent comes down depends on the positions).
inline constexpr size_t kOrderCandidates = 16;
std::vector<Rows> order_rows(Graph& g);

// Horizontal centres of the nodes: adjacent nodes at least their half widths
// apart (more between blocks), children centred under their parents and
// parents over their children as far as the room allows. Turns blocks round
// when that brings spouses nearer their own parents and children.
std::vector<double> place_rows(Graph& g, double block_gap);

}  // namespace kinseg::report::layout
