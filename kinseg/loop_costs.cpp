#include "kinseg/loop_costs.hpp"

#include "kinseg/engine_options.hpp"

namespace kinseg::cli {

bool LoopCosts::slow(size_t i) const { return cost[i].seconds > kSlowPedigreeSeconds; }

std::string LoopCosts::verdict(size_t i) const {
  if (slow(i)) return "slow: a fit takes hundreds of evaluations, a test thousands";
  return "";
}

LoopCosts loop_costs(const Sample& sample, const DataSummary& summary, int max_width) {
  LoopCosts c;
  c.max_width = max_width;
  for (const PedigreeLoops& l : summary.loops) c.cost.push_back(pedigree_cost(sample, l.pedigree));
  return c;
}

}  // namespace kinseg::cli
