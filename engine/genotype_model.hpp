// The major locus as the likelihood reads it, derived from the allele
// frequency and the transmission probabilities with the same operations, in
// the same order, for kinfit and for kinseg's engine, so that both give the
// same likelihood bit for bit:
//   P1 = q q; P2 = ((1 - q) + (1 - q)) q; P3 = 1 - (P1 + P2);
//   TRANC(1, j, k) = Tr(k) Tr(j),
//   TRANC(2, j, k) = Tr(k) (1 - Tr(j)) + (1 - Tr(k)) Tr(j),
//   TRANC(3, j, k) = (1 - Tr(k)) (1 - Tr(j)),
// TRANC(i, j, k) being the probability of a child's genotype i given parents
// of genotypes j and k, Tr(g) the probability that a parent of genotype g
// transmits the allele of frequency q (Tr = (1, 0.5, 0): Mendelian
// transmission); and the baselines of the penetrance, W(g) for sex code 1 and
// W(g) + V(g) for sex code 2 (W(g) when the V terms are off).
//
// constexpr so that kinfit's state starts with its Mendelian table without
// code at start-up; whoever compiles them takes kin_peeling's rule that a
// multiplication and an addition are never fused.
#pragma once

namespace kin {

// Genotype frequencies P[0..2] = P1, P2, P3 under Hardy-Weinberg at q; P3 by
// subtraction.
constexpr void genotype_frequencies(double q, double P[3]) {
  P[0] = q * q;
  P[1] = ((1 - q) + (1 - q)) * q;
  P[2] = 1 - (P[0] + P[1]);
}

// TRANC(i, j, k) at tranc[(i-1) + 3 (j-1) + 9 (k-1)] from tau[0..2] = Tr(1..3).
constexpr void transmission_table(const double tau[3], double tranc[27]) {
  for (int k = 0; k < 3; ++k)
    for (int j = 0; j < 3; ++j) {
      tranc[0 + 3 * j + 9 * k] = tau[k] * tau[j];
      tranc[1 + 3 * j + 9 * k] = tau[k] * (1 - tau[j]) + (1 - tau[k]) * tau[j];
      tranc[2 + 3 * j + 9 * k] = (1 - tau[k]) * (1 - tau[j]);
    }
}

// The Mendelian transmission probabilities Tr(1..3).
inline constexpr double kMendelianTau[3] = {1.0, 0.5, 0.0};

// Baseline logit of sex code 2 for a genotype: w + v with sex effects, else w.
constexpr double sex_two_baseline(double w, double v, bool sex_effect) { return sex_effect ? w + v : w; }

}  // namespace kin
