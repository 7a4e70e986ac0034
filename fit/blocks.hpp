// kinfit's shared blocks: the sample model read from the prepared pedigree
// file, the parameter vector with its search data, the model quantities that
// the set-up derives from it, and the work tables of the likelihood. One object
// holds a whole run; the program keeps it in static storage, tests build their
// own. Every table starts zero, the transmission table Mendelian.
#pragma once

#include <cstdint>

#include "common/console.hpp"
#include "common/table_limits.hpp"
#include "common/tables.hpp"
#include "common/text_file.hpp"
#include "engine/genotype_model.hpp"

namespace kinfit {

template <class T, int N>
using Table1 = kin::Table1<T, N>;
template <class T, int N1, int N2>
using Table2 = kin::Table2<T, N1, N2>;
template <class T, int N1, int N2, int N3>
using Table3 = kin::Table3<T, N1, N2, N3>;

// The rejection value R of a refused point, and the threshold T at or below
// which a log-likelihood counts as refused (single-precision -1E18 and -1E17).
inline constexpr double R_REJECT = -9.999999843067494E17;
inline constexpr double T_REFUSED = -9.999999843067494E16;
// Single-precision 1E-6 widened: the bound nudge, frequency step and small step.
inline constexpr double DELTA = 9.999999974752427E-7;
// Single-precision 0.1 widened: the default-step factor.
inline constexpr double STEP_FACTOR = 0.10000000149011612;

// Per person row p: trait, proband code, sex, covariates COV(j, p).
struct Buf2 {
  Table1<int32_t, N_SIZE> TRAIT;
  Table1<int32_t, N_SIZE> PROB;
  Table1<int32_t, N_SIZE> SEX;
  Table2<int32_t, MAXCOV, N_SIZE> COV;
};

struct Hipot {
  int32_t unused = 0;
  int32_t NCOV = 0;
};

struct Ascert {
  int32_t MODE = 0;   // ascertainment mode from par.inp
  int32_t ICOND = 0;  // 1 during the conditioning pass
  int32_t unused = 0;
  int32_t IHAS0 = 0;  // the scan's count of proband-code-0 members, then per family: has one
};

// Per-parameter search data.
struct OptPar1 {
  Table1<double, MAXPAR> X;
  Table1<double, MAXPAR> STEP;
  Table1<int32_t, MAXPAR> IEST;
  Table1<double, MAXPAR> GR;
  Table1<double, MAXPAR> GL;
  double FMAX = 0.0;
  int32_t NITER = 0;
  int32_t NFUN = 0;
};

// Per-parameter model flags.
struct OptPar2 {
  Table1<int32_t, MAXPAR> IUSE;
  Table1<int32_t, MAXPAR> LINK;
};

// Model quantities derived from X by the set-up.
struct PrPar {
  int32_t NPAR = 0;
  double P1 = 0.0, P2 = 0.0, P3 = 0.0;
  Table1<double, 3> W;
  Table1<double, 3> WV;
  Table1<double, 3> TAU;
  Table1<double, MAXCOV> D;
  Table1<double, 2> RO;
};

struct MaxBlock {
  int32_t IPHASE = 0;  // -1 initial evaluation, 1 maximisation, 2 final evaluation
};

using Tranc = Table3<double, 3, 3, 3>;

// TRANC(i, j, k): probability of a child's genotype i given parents j and k,
// from the probabilities TAU(g) that a parent of genotype g transmits the Q
// allele (engine/genotype_model.hpp); here under Mendelian transmission.
constexpr Tranc mendelian_tranc() {
  Tranc t{};
  kin::transmission_table(kin::kMendelianTau, t.a);
  return t;
}
inline constexpr Tranc kMendelian = mendelian_tranc();

// The names of the 20 parameter slots, five characters each.
inline constexpr const char* PARNAM[NSLOT] = {
    "Q    ", "W1   ", "W2   ", "W3   ", "V1   ", "V2   ", "V3   ", "Tr1  ", "Tr2  ", "Tr3  ",
    "D1   ", "D2   ", "D3   ", "D4   ", "D5   ", "D6   ", "D7   ", "D8   ", "Ro1  ", "Ro2  "};

struct KinfitState {
  // The sample model, filled by WWDAT.
  Table1<int32_t, N_FAM + 4> BUF1;  // families over person rows
  Table1<int32_t, N_SIZE> BUF3;     // families over ways
  Table1<int32_t, N_SIZE> BUF14;    // ways over the member list
  Table1<int32_t, N_SIZE> BUF16;    // member lists (member numbers)
  Table1<int32_t, N_SIZE> BUF15;    // link person of each way (member number), 0 for none
  Buf2 BUF2;
  Hipot HIPOT;
  Table1<int32_t, N_FAM> LUK;       // non-zero: family analysed
  Table1<double, N_FAM> NG;         // 1/NI of each scanned family
  Table2<double, N_SIZE, 3> XX;     // genotype work table XX(m, g)
  Table1<int32_t, N_SIZE> IDONE;    // members whose row of XX is final
  // Work tables of the sample likelihood. KIDOF(p): the parents' trait counts
  // of person row p, nU + 3 nA for a child of a nuclear family, -1 else, set
  // when the sample is read. PEN(3 (p - 1) + g): the probability of person row
  // p's trait for genotype g at the current point, computed once per
  // evaluation and used by both passes. XX2: the genotype work table of the family being evaluated for both
  // passes side by side (all traits, and the conditioning set), member m's
  // value for genotype g and pass l (0, 1) at XX2(6 (m - 1) + 2 (g - 1) + l + 1),
  // which lets one sweep over the nuclear families serve both passes.
  Table1<double, 3 * N_SIZE> PEN;
  Table1<int32_t, N_SIZE> KIDOF;
  alignas(16) Table1<double, 6 * N_SIZE> XX2;
  Ascert ASCERT;

  // The parameters.
  OptPar1 OPTPAR1;
  OptPar2 OPTPAR2;
  PrPar PRPAR;
  MaxBlock MAX;
  Tranc TRANC = kMendelian;

  // The maximiser's settings from maxpar.inp, and the driver's counts.
  int32_t IPRINT = 0;
  double EPSX = 0.0;
  int32_t MAXIT = 0;
  double ALPHA = 0.0;
  double EPSF = 0.0;
  int32_t NFAMP = 0;
  int32_t NOBS = 0;

  // Where report lines go; unset ones are not written.
  kin::Console* con = nullptr;
  kin::Unit* PAR_ERR = nullptr;  // par.err
  kin::Unit* MAX_DAT = nullptr;  // max.dat
  kin::Unit* LH_FAM = nullptr;   // LH_fam.dat

  // Accessors in the model's names.
  int32_t& TRAIT(int p) { return BUF2.TRAIT(p); }
  int32_t& PROB(int p) { return BUF2.PROB(p); }
  int32_t& SEX(int p) { return BUF2.SEX(p); }
  int32_t& COV(int j, int p) { return BUF2.COV(j, p); }
  double& X(int i) { return OPTPAR1.X(i); }
  double& STEP(int i) { return OPTPAR1.STEP(i); }
  int32_t& IEST(int i) { return OPTPAR1.IEST(i); }
  double& GL(int i) { return OPTPAR1.GL(i); }
  double& GR(int i) { return OPTPAR1.GR(i); }
  int32_t& IUSE(int i) { return OPTPAR2.IUSE(i); }
  int32_t& LINK(int i) { return OPTPAR2.LINK(i); }
  int32_t& NPAR() { return PRPAR.NPAR; }
};

// Writes report lines to a unit that is set.
inline void write_unit(kin::Unit* u, std::string_view text) {
  if (u) u->write(text);
}

}  // namespace kinfit
