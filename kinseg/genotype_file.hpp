// The carrier probabilities a pedigree drawing shows under the ids, read from
// a file of genotype probabilities (as kinseg eval --genotypes writes them): a
// table with a header line, fields separated by tabs, one row per person.
// Columns, by header name (any case): the pedigree ("family", "pedigree",
// "ped" or "famid"), the person ("id", "person" or "iid"), and either
// "carrier", the probability of
// carrying at least one copy of the risk allele, or "p1", "p2" (and "p3"), the
// probabilities of genotypes 1, 2 (and 3): two, one (and no) copies of the
// allele of frequency Q, whose first two add up to the carrier probability.
// "NA" or an empty field: no probability for that person.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "pedigree/sample.hpp"

namespace kinseg::cli {

// A file whose content is not as described: the message names the file, the
// line and what was expected.
class GenotypeFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct CarrierProbabilities {
  std::vector<double> carrier;  // per member of the pedigree; NaN: none in the file
  int without = 0;              // members with none
};

// The carrier probabilities of pedigree k from the file at `path`; rows of
// other pedigrees are passed over. Throws FileError when the file cannot be
// read, GenotypeFileError for a missing column, a malformed row, a value
// outside [0, 1], genotype probabilities that do not add up to 1, a row
// repeated, or a person of the pedigree the sample does not have.
CarrierProbabilities read_carrier_probabilities(const std::string& path, const Sample& sample, int k);

}  // namespace kinseg::cli
