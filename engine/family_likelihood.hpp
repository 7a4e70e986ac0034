// One analysed family's part of the sample likelihood at a point.
#pragma once

namespace kinseg {

struct FamilyLikelihood {
  double lnl_all = 0.0;       // ln L(all traits)
  double lnl_cond = 0.0;      // ln L(traits of the conditioning set); 0 when there is none
  double contribution = 0.0;  // lnl_all - lnl_cond
  // The point refuses the family: its likelihood vanishes or cannot be
  // represented. All three values are then -inf.
  bool refused = false;
};

}  // namespace kinseg
