// kinfit: fits the regressive logistic model with a major gene to the prepared
// pedigree sample in the current directory.
#include <iostream>

#include "fit/kinfit.hpp"

int main() {
  static kinfit::KinfitState state;
  kin::Console con{std::cout, std::cin};
  return kinfit::run_kinfit(state, con);
}
