// kinsim: draws a sample of pedigrees for kinsort and kinfit.
#include <iostream>
#include <string>
#include <vector>

#include "tools/cli.hpp"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return kinsim::run(args, std::cout, std::cerr);
}
