// The pattern-search maximiser of the sample log-likelihood.
//
// Each iteration probes every estimated parameter with its own signed step
// (first X - STEP, then X + STEP), jumps from the base point through the
// explored point (pattern move, clamped inside the bounds), and walks back
// towards the explored point by contraction while the jump does not pay.
// The objective reads the point from X in place; ln LH values are compared
// strictly, so an equal value never counts as a gain.
#include "fit/methgi.hpp"

#include <cmath>

#include "common/edit_output.hpp"

namespace kinfit {

namespace {

// Single-precision 1E-17 widened: the margin by which a clamped pattern point
// stays inside its bound (it vanishes against bounds of order 1).
constexpr double EPS_CLAMP = 9.99999983775159E-18;
// Contractions of a pattern move that does not pay.
constexpr int N_CONTRACT = 10;

// The progress block of one iteration: counts, the three ln LH values and
// all 20 parameter slots with their steps.
void progress_block(KinfitState& s, double F, double FB) {
  write_unit(s.MAX_DAT,
             kin::edit("(1X,'number of iterations =',I4,/,' number of functions =',I6,/,1X,'ln LH =',3E20.8)",
                       {s.OPTPAR1.NITER, s.OPTPAR1.NFUN, F > FB ? F : FB, F, FB}));
  write_unit(s.MAX_DAT, kin::edit("(8X,'parameter',7X,'step',15X,'parameter',7X,'step')", {}));
  for (int i = 1; i <= 10; ++i)
    write_unit(s.MAX_DAT, kin::edit("(1X,I2,1X,2E15.6,3X,I2,1X,2E15.6)",
                                    {i, s.X(i), s.STEP(i), i + 10, s.X(i + 10), s.STEP(i + 10)}));
}

}  // namespace

void METHGI(KinfitState& s, int32_t NPAR, double EPSF, double ALPHA, double EPSX, int32_t MAXIT,
            int32_t IPRINT, const Objective& FUN) {
  if (NPAR <= 0) return;
  if (NPAR > MAXSEARCH) {
    write_unit(s.PAR_ERR, kin::edit("(' Number of estimated param.>30')", {}));
    return;
  }
  // The parameter block of this build may hold fewer slots than the search can.
  if (NPAR > MAXPAR) {
    write_unit(s.PAR_ERR, kin::edit("(' Number of estimated param.>',I2)", {MAXPAR}));
    return;
  }

  OptPar1& o = s.OPTPAR1;
  kin::Table1<double, MAXSEARCH> XB;
  int32_t HALVE = 0;
  o.NFUN = 1;  // counts the start evaluation
  o.NITER = 0;
  double FPREV = R_REJECT;
  int32_t NEST = 0;
  for (int i = 1; i <= NPAR; ++i) NEST += o.IEST(i);
  for (int i = 1; i <= NPAR; ++i) XB(i) = o.X(i);

  double FB = 0.0;
  double F = 0.0;
  FUN(FB);
  if (FB <= T_REFUSED) {
    // The search cannot start: hand back the refused value rather than a stale
    // FMAX, so that the report does not show a log-likelihood of a point that
    // was never accepted.
    o.FMAX = FB;
    return;
  }

  auto evaluate = [&](double& value) {
    o.NFUN += 1;
    FUN(value);
  };

  // Where the search stops, converged or not: the last evaluated point with its
  // value, or the base point with FB when that evaluation was refused.
  auto hand_back = [&]() {
    o.FMAX = F;
    if (F <= R_REJECT) {
      o.FMAX = FB;
      for (int i = 1; i <= NPAR; ++i) o.X(i) = XB(i);
    }
  };

  for (;;) {
    // Exploration.
    for (int i = 1; i <= NPAR; ++i) {
      if (o.IEST(i) == 0) continue;
      if (HALVE == 1) o.STEP(i) = o.STEP(i) * 0.5;
      o.X(i) = o.X(i) - o.STEP(i);
      evaluate(F);
      if (F > FB) {
        o.STEP(i) = o.STEP(i) * 1.5;
        FB = F;
        continue;
      }
      o.X(i) = o.X(i) + 2 * o.STEP(i);
      o.STEP(i) = -0.5 * o.STEP(i);
      evaluate(F);
      if (F > FB) {
        o.STEP(i) = o.STEP(i) * 1.5;
        FB = F;
        continue;
      }
      o.X(i) = o.X(i) + 2 * o.STEP(i);
    }

    // Pattern move through the explored point, kept inside the bounds.
    for (int i = 1; i <= NPAR; ++i) {
      if (o.IEST(i) == 0) continue;
      const double x = o.X(i);
      double xp = x + x - XB(i);
      if (x - XB(i) > 0 && xp >= o.GR(i)) xp = o.GR(i) - EPS_CLAMP;
      if (x - XB(i) < 0 && xp <= o.GL(i)) xp = o.GL(i) + EPS_CLAMP;
      XB(i) = x;
      o.X(i) = xp;
    }

    // Pattern test, contracting towards the explored point while it fails.
    bool converged = false;
    for (int ncontr = 0;;) {
      evaluate(F);
      if (F > FB) {
        HALVE = 0;
        converged = (F - FPREV) - EPSF < 0;
        break;
      }
      for (int i = 1; i <= NPAR; ++i) {
        if (o.IEST(i) == 0) continue;
        o.X(i) = o.X(i) * ALPHA + (1 - ALPHA) * XB(i);
      }
      ++ncontr;
      if (ncontr < N_CONTRACT) continue;
      // The tenth contracted point is evaluated but not compared.
      HALVE = 1;
      evaluate(F);
      break;
    }

    if (!converged) {
      // Step test at the point that stands now.
      int32_t nsmall = 0;
      for (int i = 1; i <= NPAR; ++i) {
        if (o.IEST(i) == 0) continue;
        const double step = std::fabs(o.STEP(i));
        if (step <= std::fabs(EPSX * o.X(i)) || step < DELTA) ++nsmall;
      }
      converged = nsmall >= NEST;
    }
    if (converged) {
      hand_back();
      o.NITER += 1;
      return;
    }

    o.NITER += 1;
    if (o.NITER > MAXIT) {
      write_unit(s.PAR_ERR, kin::edit("(1X,'MAXIMUM NOT FOUND')", {}));
      // Hand back a log-likelihood that belongs to the point left in X.
      hand_back();
      return;
    }
    if (IPRINT >= 1) progress_block(s, F, FB);
    if (F > T_REFUSED) FB = F;
    FPREV = FB;
  }
}

}  // namespace kinfit
