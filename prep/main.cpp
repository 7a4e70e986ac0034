// kinsort: prepares a pedigree sample for the analysis. Reads task.inp and the
// data file it names in the current directory; writes new_dat, def.err and
// iway.dat.
#include <iostream>

#include "prep/kinsort.hpp"

namespace {
kinsort::KinsortState state;
}  // namespace

int main() {
  kin::Console con{std::cout, std::cin};
  return kinsort::run_kinsort(state, con);
}
