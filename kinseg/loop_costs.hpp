// What the pedigrees with loops of a sample cost the engine, as kinseg check
// and the battery's data report show them: per pedigree its loops, the width
// of its elimination (the most persons one table runs over), the memory of its
// tables and its predicted time per evaluation; whether the width limit
// refuses it, and whether it is slow enough to warn of.
#pragma once

#include <string>
#include <vector>

#include "engine/engine.hpp"
#include "pedigree/data_summary.hpp"

namespace kinseg::cli {

struct LoopCosts {
  std::vector<EliminationCost> cost;  // one per pedigree of DataSummary::loops
  int max_width = kDefaultMaxWidth;
  bool refused(size_t i) const { return cost[i].width > max_width; }
  bool slow(size_t i) const;
  // "slow: ..." for a slow pedigree, else "" (a refused one is an error of
  // its own).
  std::string verdict(size_t i) const;
};

LoopCosts loop_costs(const Sample& sample, const DataSummary& summary, int max_width);

}  // namespace kinseg::cli
