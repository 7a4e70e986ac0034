#include "fit/controls.hpp"

#include <string>

namespace kinfit {

void read_maxpar(KinfitState& s, kin::Console& con) {
  // Opened for reading only: a missing file is reported, never created.
  kin::FreeInput in("maxpar.inp", con);
  in.read({kin::as_int(s.IPRINT)});
  in.read({kin::as_real(s.EPSX)});
  in.read({kin::as_int(s.MAXIT)});
  in.read({kin::as_real(s.ALPHA)});
  in.read({kin::as_real(s.EPSF)});
  in.read({kin::as_int(s.PRPAR.NPAR)});
}

void read_par(KinfitState& s, kin::Console& con, kin::FreeInput& par) {
  const long first = par.line_number();
  par.read({kin::as_int(s.NFAMP), kin::as_int(s.ASCERT.MODE)});
  if (s.NFAMP > N_FAM)
    kin::file_error(con, par.name(), first,
                    std::to_string(s.NFAMP) + " family flags asked for; kinfit holds " +
                        std::to_string(N_FAM) + " families at most (N_FAM)");
  par.read_digit_columns(s.NFAMP, 20, [&](int f, int v) { s.LUK(f) = v; });
  const int npar = s.NPAR();
  for (int i = 1; i <= npar; ++i) {
    const long line = par.line_number();
    par.read({kin::as_int(s.LINK(i)), kin::as_int(s.IUSE(i)), kin::as_int(s.IEST(i)),
              kin::as_real(s.X(i)), kin::as_real(s.STEP(i)), kin::as_real(s.GL(i)),
              kin::as_real(s.GR(i))});
    if (s.LINK(i) < 1 || s.LINK(i) > npar)
      kin::file_error(con, par.name(), line,
                      "LINK = " + std::to_string(s.LINK(i)) + " of parameter " + std::to_string(i) +
                          " is not a parameter number 1.." + std::to_string(npar));
  }
}

}  // namespace kinfit
