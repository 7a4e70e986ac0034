#include "fit/analysis_run.hpp"

#include "common/edit_output.hpp"
#include "common/free_output.hpp"
#include "common/text_file.hpp"
#include "fit/likelihood.hpp"
#include "fit/methgi.hpp"

namespace kinfit {

namespace {

void write_sigma(KinfitState& s, kin::Console& con) {
  kin::OutFile sigma("sigma.DAT", con);
  const OptPar1& o = s.OPTPAR1;
  sigma.write(kin::edit("('  Number of observed individuals =',I4)", {s.NOBS}));
  sigma.write(kin::edit("(1X,' Number of iteration =',I4,/,' Number of functions =',I6,/,1X,' ln LH =',E20.8)",
                        {o.NITER, o.NFUN, o.FMAX}));
  sigma.write(kin::edit("(10X,' Parameter',7X,'Step')", {}));
  for (int i = 1; i <= NSLOT; ++i)
    sigma.write(kin::edit("(1X,I2,1X,2E15.6,3X,I2,1X,2E15.6)", {i, s.X(i), s.STEP(i)}));
  sigma.close();
}

}  // namespace

void analysis_run(KinfitState& s, kin::Console& con) {
  // Initial evaluation at the start values.
  double FLH0 = 0.0;
  s.MAX.IPHASE = -1;
  GENMMP(s, FLH0);
  kin::say(con, kin::edit("(' initial LH=',E15.8)", {FLH0}));
  kin::pause(con);
  if (FLH0 <= T_REFUSED) kin::stop_plain(kin::kStopError);  // start values refused (see par.err)

  // Maximisation.
  s.MAX.IPHASE = 1;
  {
    kin::OutFile max_dat("max.dat", con);
    s.MAX_DAT = &max_dat;
    METHGI(s, s.NPAR(), s.EPSF, s.ALPHA, s.EPSX, s.MAXIT, s.IPRINT,
           [&s](double& flh) { GENMMP(s, flh); });
    s.MAX_DAT = nullptr;
    max_dat.close();
  }
  write_sigma(s, con);

  // Final evaluation at the estimates, listing every family.
  s.MAX.IPHASE = 2;
  kin::say(con, kin::free_line({"MAX=", s.MAX.IPHASE}));
  kin::OutFile lh_fam("LH_fam.dat", con);
  s.LH_FAM = &lh_fam;
  double flh = 0.0;
  GENMMP(s, flh);
  s.LH_FAM = nullptr;
  lh_fam.close();
}

}  // namespace kinfit
