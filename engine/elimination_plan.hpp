// The factor tables of a pedigree with loops and the steps that sum its
// persons' genotypes out, laid out once per pedigree so that an evaluation
// only fills and multiplies tables in place.
//
// Variable v is the genotype of the v-th person of the pedigree's nuclear
// families. Its own factor reads the genotype work table's row of the person
// (frequency times penetrance for a founder, penetrance for a child, whatever
// penetrance the engine computed) and, for a child, the transmission from its
// parents: a table over (v) for a founder, over (v, father, mother) for a child,
// entry g + 3 gf + 9 gm. Step s sums out variable var: its inputs are the
// tables still unused that read var (original factors and the tables of
// earlier steps); their product runs over `digits` variables, var first, and
// its sum over var is the step's own table over the other digits - 1, digit
// d + 1 of the product at stride 3^d. Every table holds both passes side by
// side: entry e of a table at offset o stands at arena[o + 2 e + lane].
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pedigree/pedigree_structure.hpp"

namespace kinseg {

struct EliminationStep {
  int var = 0;
  int digits = 0;        // variables of the product, var first
  int first_input = 0;   // the inputs at input_table[first_input ..]
  int inputs = 0;
  long entries = 0;      // of the step's own table, 3^(digits - 1)
};

struct EliminationPlan {
  int nvars = 0;
  std::vector<int> member;         // the pedigree member (from 1) of each variable
  std::vector<int> father, mother; // variables of a child's parents; -1 for a founder
  // Tables: one per variable (its own factor), then one per step.
  std::vector<long> offset;        // of each table in the arena, in doubles
  long arena = 0;                  // doubles the tables take
  std::vector<EliminationStep> steps;
  std::vector<int> input_table;    // per step, its inputs' tables
  // Per input of a step, per digit of its product: the digit's stride in the
  // input's table (0 for a digit the input does not read).
  std::vector<long> stride;
  std::vector<long> stride_at;     // per entry of input_table, where its strides begin
  int width = 0;                   // the most digits of one step
  double work = 0.0;               // sum over steps of 3^digits times (inputs + 1)
};

// The plan for persons whose parents are given as variables (-1 for a
// founder), with the order found by elimination_order. `member[v]` is kept
// for the caller.
EliminationPlan elimination_plan(const std::vector<int>& member, const std::vector<int>& father,
                                 const std::vector<int>& mother);

// The plan of a pedigree from its nuclear families (pedigree members from 0,
// no breaker copies): a variable for every member of some nuclear family, in
// member order; member[v] counts from 1, as the genotype work table does.
EliminationPlan elimination_plan(const std::vector<NuclearFamily>& families, int size);

// What a plan costs: the largest table (3^width entries), the memory of its
// tables (both passes; the genotype probabilities take as much again) and the
// time of one evaluation predicted from its work.
struct EliminationCost {
  int loops = 0;
  int breakers = 0;  // above 0: the pedigree is evaluated by loop breaking instead
  int width = 0;
  double bytes = 0.0;
  double seconds = 0.0;
};
EliminationCost elimination_cost(const EliminationPlan& p, int loops);

// The predicted seconds per evaluation of a pedigree of `persons` persons
// peeled once per combination of `breakers` breakers' genotypes.
double breaking_seconds(int breakers, int persons);

// "37 loops, tables over up to 12 persons (3^12 entries), 45 MB, about 200 ms
// per evaluation"; for loop breaking "1 loop, broken at 1 person (3
// peelings), under 1 ms per evaluation".
std::string elimination_cost_text(const EliminationCost& c);

}  // namespace kinseg
