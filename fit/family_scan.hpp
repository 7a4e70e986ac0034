#pragma once

#include "common/console.hpp"
#include "fit/blocks.hpp"

namespace kinfit {

// The family scan (its rule in engine/family_scan_rule.hpp, shared with
// kinseg's engine). Fixes, for the families 1..NFAMP that par.inp flags, the
// weight NG = 1/NI
// (NI: members of known trait whose proband code is not 0) and, under proband
// ascertainment (MODE 1), excludes families without an affected member and
// makes the first affected member the proband of a family that has none.
// Counts NOBS and the members of proband code 0 (kept in IHAS0), and ends with
// the console line that reports them.
void scan_families(KinfitState& s, kin::Console& con);

}  // namespace kinfit
