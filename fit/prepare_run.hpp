#pragma once

#include <optional>

#include "common/console.hpp"
#include "common/text_file.hpp"
#include "fit/blocks.hpp"

namespace kinfit {

// The first half of a run: reads maxpar.inp and par.inp, opens par.err (into
// `par_err`, which the caller keeps open until the end of the run and which
// s.PAR_ERR then points to), applies the parameter defaults, reads IWAY.DAT into
// the sample model and scans the families.
void prepare_run(KinfitState& s, kin::Console& con, std::optional<kin::OutFile>& par_err);

}  // namespace kinfit
