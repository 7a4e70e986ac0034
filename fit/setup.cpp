#include "fit/setup.hpp"

#include "common/edit_output.hpp"
#include "engine/genotype_model.hpp"

namespace kinfit {

void apply_defaults(KinfitState& s) {
  const int npar = s.NPAR();
  for (int i = 1; i <= npar; ++i)
    if (s.IUSE(i) == 0) s.X(i) = 0.0;
  for (int i = 1; i <= npar; ++i) {
    if (s.GR(i) == 0.0) s.GR(i) = 1.0;
    if (s.STEP(i) == 0.0) s.STEP(i) = (s.GR(i) - s.GL(i)) * STEP_FACTOR;
  }
}

namespace {

// Genotype frequencies from the allele frequency q; P3 by subtraction.
void frequencies(PrPar& p, double q) {
  double P[3];
  kin::genotype_frequencies(q, P);
  p.P1 = P[0];
  p.P2 = P[1];
  p.P3 = P[2];
}

void copy_links(KinfitState& s) {
  const int npar = s.NPAR();
  for (int i = 1; i <= npar; ++i)
    if (s.LINK(i) != i) {
      s.X(i) = s.X(s.LINK(i));
      s.IEST(i) = 0;
    }
}

void coefficients(KinfitState& s) {
  for (int m = 1; m <= MAXCOV; ++m) s.PRPAR.D(m) = s.X(10 + m);
  s.PRPAR.RO(1) = s.X(19);
  s.PRPAR.RO(2) = s.X(20);
}

void transmission_and_baselines(KinfitState& s) {
  PrPar& p = s.PRPAR;
  if (s.IUSE(8) != 0) {
    for (int g = 1; g <= 3; ++g) p.TAU(g) = s.X(7 + g);
    kin::transmission_table(p.TAU.a, s.TRANC.a);
  }
  for (int g = 1; g <= 3; ++g) {
    p.W(g) = s.X(1 + g);
    p.WV(g) = kin::sex_two_baseline(p.W(g), s.X(4 + g), s.IUSE(5) != 0);
  }
}

void bound_message(KinfitState& s, int i) {
  const char* name = i <= NSLOT ? PARNAM[i - 1] : "     ";  // slots beyond the model's 20 have no name
  write_unit(s.PAR_ERR,
             kin::edit("(' ERROR OF INITIAL PARAMETER VALUE:',/,8X,A3,'=',E11.4,/,2X,' GL=',E11.4,' GR=',E11.4)",
                       {name, s.X(i), s.GL(i), s.GR(i)}));
}

}  // namespace

void STAP0(KinfitState& s, double& FSTAT) {
  FSTAT = 1.0;
  copy_links(s);
  const int npar = s.NPAR();
  for (int i = 1; i <= npar; ++i) {
    if (s.IEST(i) == 0) continue;
    if (s.X(i) < s.GL(i)) {
      bound_message(s, i);
      FSTAT = R_REJECT;
      return;
    }
    if (s.X(i) == s.GL(i) && s.IEST(i) == 1) s.X(i) = s.GL(i) + DELTA;
    if (s.X(i) > s.GR(i)) {
      bound_message(s, i);
      FSTAT = R_REJECT;
      return;
    }
    if (s.X(i) == s.GR(i) && s.IEST(i) == 1) s.X(i) = s.GR(i) - DELTA;
  }
  coefficients(s);
  if (s.X(4) < s.X(2)) {
    write_unit(s.PAR_ERR, kin::edit("(' ERROR W1 >= W3: W1=',E11.4,' W3=',E11.4)", {s.X(2), s.X(4)}));
    FSTAT = R_REJECT;
    return;
  }
  double q = s.X(1);
  frequencies(s.PRPAR, q);
  while (s.PRPAR.P3 <= 0) {
    if (s.IUSE(8) == 0) {
      write_unit(s.PAR_ERR, kin::edit("(' ERROR: P1=',E11.4)", {s.PRPAR.P1}));
      FSTAT = R_REJECT;
      return;
    }
    q = q - DELTA;
    if (q <= 0) q = DELTA;
    s.X(1) = q;
    frequencies(s.PRPAR, q);
  }
  transmission_and_baselines(s);
}

void STAPAR(KinfitState& s, double& FSTAT) {
  FSTAT = 1.0;
  copy_links(s);
  const int npar = s.NPAR();
  for (int i = 1; i <= npar; ++i) {
    if (s.IEST(i) == 0) continue;
    if (s.X(i) <= s.GL(i) || s.X(i) >= s.GR(i)) {
      FSTAT = R_REJECT;
      return;
    }
  }
  coefficients(s);
  if (s.X(4) < s.X(2)) {
    FSTAT = R_REJECT;
    return;
  }
  frequencies(s.PRPAR, s.X(1));
  if (!(s.PRPAR.P3 > 0 && s.PRPAR.P3 < 1)) {
    FSTAT = R_REJECT;
    return;
  }
  transmission_and_baselines(s);
}

}  // namespace kinfit
