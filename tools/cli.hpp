// The kinsim command: kinsim SETTINGS [SEED], kinsim --help, kinsim --version.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kinsim {

// Runs kinsim with its arguments (without the program name); reports on `out`
// and `err`. --version prints the project's version and --help the usage, on
// `out`. Returns the exit status: 0 done, 1 refused arguments, settings or
// sample, 2 a file that cannot be read or written.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kinsim
