// The checks a pedigree structure must pass before it is peeled: nuclear
// families with two parents and at least one child among the pedigree's
// members, a link that belongs to its family (a child link standing first),
// each family sharing no member but its link with the families peeled after
// it, and breakers whose originals and copies both belong to nuclear
// families. A structure that fails them would be peeled into a wrong
// likelihood without any sign, so it is refused instead.
#pragma once

#include <string>

#include "pedigree/pedigree_structure.hpp"

namespace kinseg {

// Throws std::logic_error naming the pedigree and the fault.
void check_structure(const PedigreeStructure& ps, int size, const std::string& pedigree_id);

}  // namespace kinseg
