#include "fit/prepare_run.hpp"

#include "common/free_input.hpp"
#include "common/free_output.hpp"
#include "fit/controls.hpp"
#include "fit/family_scan.hpp"
#include "fit/setup.hpp"
#include "fit/wwdat.hpp"

namespace kinfit {

void prepare_run(KinfitState& s, kin::Console& con, std::optional<kin::OutFile>& par_err) {
  s.con = &con;
  read_maxpar(s, con);
  kin::FreeInput par("par.inp", con);
  par_err.emplace("par.err", con);
  s.PAR_ERR = &*par_err;
  if (s.NPAR() > MAXPAR) kin::stop_with_message(con, kin::free_line({"MAXPAR exceed. Correct and recompile"}));
  read_par(s, con, par);
  apply_defaults(s);
  WWDAT(s, con);
  scan_families(s, con);
}

}  // namespace kinfit
