#pragma once

#include <string>

#include "common/console.hpp"
#include "fit/blocks.hpp"

namespace kinfit {

// Reads the prepared pedigree file IWAY.DAT into the sample model, then checks
// its structure (see check_sample). Stops the run on a limit or a bad file.
void WWDAT(KinfitState& s, kin::Console& con);

// The same from the bytes of a file; `name` names it in reports.
void read_prepared(KinfitState& s, kin::Console& con, const std::string& name, std::string bytes);

// Refuses a sample model that would make the likelihood address members that
// do not exist or analyse related persons as unrelated: boundary tables that do
// not agree with each other, a way of fewer than three members or with a member
// outside its family, a link person outside its way or not first among its
// children, a member shared with later ways that is not the way's link person,
// and trait or sex codes outside 1..3 and 1..2.
void check_sample(KinfitState& s, kin::Console& con, const std::string& name, int nped, int k,
                  int len, int npers);

}  // namespace kinfit
