#include "fit/kinfit.hpp"

#include <optional>

#include "fit/analysis_run.hpp"
#include "fit/prepare_run.hpp"

namespace kinfit {

namespace {

// The report units point into this run's files only while the run lasts.
struct UnitsOfTheRun {
  KinfitState& s;
  ~UnitsOfTheRun() {
    s.PAR_ERR = s.MAX_DAT = s.LH_FAM = nullptr;
    s.con = nullptr;
  }
};

}  // namespace

void KINFIT(KinfitState& s, kin::Console& con) {
  UnitsOfTheRun units{s};
  std::optional<kin::OutFile> par_err;
  prepare_run(s, con, par_err);
  analysis_run(s, con);
  s.PAR_ERR = nullptr;
  par_err->close();
}

int run_kinfit(KinfitState& s, kin::Console& con) {
  try {
    KINFIT(s, con);
  } catch (const kin::RunStop& stop) {
    return stop.status;
  }
  return kin::kNormalEnd;
}

}  // namespace kinfit
