// The structure step of kinsort: pedigrees, nuclear families in peeling order,
// the loop check, and the prepared file.
#pragma once

#include "common/console.hpp"
#include "prep/state.hpp"

namespace kinsort {

// Cuts the person rows into pedigrees (runs of equal ped values): fills BUF1.
void CRTINS(KinsortState& s, kin::Console& con);

// Builds the nuclear families of every pedigree in peeling order (BUF3, BUF4,
// BUF5, BUF6). Empties def.err; at the first pedigree with a loop writes the
// loop report there and returns true at once, leaving the tables unfinished.
bool I_WAY(KinsortState& s, kin::Console& con);

// CRTINS, I_WAY, WRITTEN; a loop ends the run with an error status once the
// prepared file is written.
void INFORM(KinsortState& s, kin::Console& con);

}  // namespace kinsort
