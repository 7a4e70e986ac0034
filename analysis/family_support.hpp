// Which families support a major gene: each analysed family's contribution to
// ln L (ascertainment-corrected, as in the sample total) under the selected
// Mendelian model and under the sporadic model, and log10 of their ratio, the
// family's LOD-like weight of evidence for the major gene. Sorted with the
// strongest support first, so that the families worth following up (by
// sequencing or linkage) head the list.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "pedigree/sample.hpp"

namespace kinseg {

// An analysed family's contribution to ln L at one point (kinseg fit's
// families table), with its size, affected members and probands.
struct FamilyContribution {
  int pedigree = 0;  // pedigree number in the sample
  std::string id;    // the pedigree's original id
  int persons = 0, affected = 0, probands = 0;
  double contribution = 0.0;  // -inf when the point refuses the family
};

struct FamilySupport {
  int pedigree = 0;  // pedigree number in the sample
  std::string id;    // the pedigree's original id
  int persons = 0, affected = 0, probands = 0;
  double mendelian = 0.0;  // the family's contribution to ln L under the Mendelian model (-inf: refused)
  double sporadic = 0.0;   // and under the sporadic model
  // log10 of the likelihood ratio, Mendelian against sporadic; +inf or -inf
  // when only one model refuses the family, absent when both do.
  std::optional<double> log10_ratio;
};

// FAMILY_PEDIGREES: the pedigree number of each analysed family;
// CONTRIBUTIONS: its contribution, in the same order; PROBAND: every person's
// proband code as the likelihood read it (empty: the sample's).
std::vector<FamilyContribution> family_contributions(const Sample& sample, const std::vector<int>& family_pedigrees,
                                                     const std::vector<double>& contributions,
                                                     const std::vector<int8_t>& proband = {});

// FAMILY_PEDIGREES: the pedigree number of each analysed family; MENDELIAN
// and SPORADIC: its contributions, in the same order; PROBAND: every person's
// proband code as the likelihood read it (empty: the sample's). Ties keep the
// family order; families without a ratio come last.
std::vector<FamilySupport> rank_families(const Sample& sample, const std::vector<int>& family_pedigrees,
                                         const std::vector<double>& mendelian, const std::vector<double>& sporadic,
                                         const std::vector<int8_t>& proband = {});

}  // namespace kinseg
