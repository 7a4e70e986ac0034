#include "tools/cli.hpp"

#include <cerrno>
#include <cstdlib>

#include "tools/simulate.hpp"

namespace kinsim {

namespace {

const char kUsage[] =
    "usage: kinsim SETTINGS [SEED]\n"
    "       kinsim --help | --version\n"
    "Draws a sample of pedigrees and writes the data file, task.inp, maxpar.inp,\n"
    "par.inp and the truth file into the current directory (with \"limits = none\",\n"
    "the data file and the truth file only).\n";

}  // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() == 1 && args[0] == "--version") {
    out << "kinsim " << KINSEG_VERSION << "\n";
    return 0;
  }
  if (args.size() == 1 && args[0] == "--help") {
    out << kUsage;
    return 0;
  }
  if (args.empty() || args.size() > 2) {
    err << kUsage;
    return 1;
  }
  try {
    Settings s = read_settings(args[0]);
    if (args.size() == 2) {
      const std::string& t = args[1];
      errno = 0;
      char* end = nullptr;
      const unsigned long long v = std::strtoull(t.c_str(), &end, 10);
      if (t.empty() || t.find_first_not_of("0123456789") != std::string::npos || errno == ERANGE ||
          *end != '\0') {
        err << "kinsim: seed " << t << ": expected a whole number from 0 to 18446744073709551615\n";
        return 1;
      }
      s.seed = v;
    }
    if (!s.seed) {
      err << "kinsim: no seed: give \"seed = N\" in " << args[0] << " or a seed after its name\n";
      return 1;
    }
    const Sample sample = simulate(s, *s.seed);
    out << "kinsim: " << sample.kept << " families kept of " << sample.drawn << " drawn, "
        << sample.persons.size() << " persons, ";
    if (s.cousins > 0.0)
      out << sample.cousin_marriages << (sample.cousin_marriages == 1 ? " marriage" : " marriages")
          << " of first cousins, ";
    out << "seed " << *s.seed << "\n";
    if (s.limits == Settings::kNoLimits)
      out << "kinsim: wrote " << s.data_file << ", " << s.truth_file << "\n";
    else
      out << "kinsim: wrote " << s.data_file << ", task.inp, maxpar.inp, par.inp, " << s.truth_file
          << "\n";
    return 0;
  } catch (const FileError& e) {
    err << "kinsim: " << e.what() << "\n";
    return 2;
  } catch (const Error& e) {
    err << "kinsim: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace kinsim
