#include "kinseg/engine_options.hpp"

#include <ostream>
#include <sstream>
#include <stdexcept>

#include "kinseg/command.hpp"

namespace kinseg::cli {

void add_engine_options(CLI::App& sub, EngineCommandOptions& o, const std::string& group) {
  auto in_group = [&](CLI::Option* option) {
    if (!group.empty()) option->group(group);
  };
  in_group(sub.add_option("--ascertainment", o.ascertainment,
                          "proband: each family conditioned on the traits of its probands (and of members of "
                          "proband code 0 in a kinsort file), as kinfit's mode 1; none: no correction, as "
                          "kinfit's mode 0. Default: proband when the file has a proband column, else none")
               ->check(CLI::IsMember({"none", "proband"}))
               ->option_text("none|proband"));
  in_group(sub.add_option("--threads", o.threads, "Threads evaluating the families (default: one per core)")
               ->check(CLI::Range(1, 1024))
               ->option_text("N"));
  in_group(sub.add_option("--max-loop-breakers", o.max_loop_breakers,
                          "Refuse a pedigree whose loops need more loop breakers than this (each one triples "
                          "the work of its pedigree; default 8)")
               ->check(CLI::Range(0, kMaxLoopBreakers))
               ->option_text("N")
               ->capture_default_str());
}

EngineOptions engine_options(const EngineCommandOptions& o, bool proband_column) {
  EngineOptions eo;
  eo.ascertainment = o.ascertainment == "none"      ? Ascertainment::kNone
                     : o.ascertainment == "proband" ? Ascertainment::kProband
                     : proband_column               ? Ascertainment::kProband
                                                    : Ascertainment::kNone;
  eo.threads = o.threads;
  eo.max_loop_breakers = o.max_loop_breakers;
  return eo;
}

const char* ascertainment_name(Ascertainment a) { return a == Ascertainment::kProband ? "proband" : "none"; }

std::unique_ptr<Engine> make_engine(const Sample& sample, const EngineOptions& options, std::ostream& err,
                                    int& status) {
  status = kDone;
  if (options.ascertainment == Ascertainment::kProband) {
    bool any = false;
    for (const int8_t code : sample.proband) any = any || code != kOrdinary;
    if (!any && sample.persons() > 0)
      err << "kinseg: warning: " << sample.file
          << ": no person is marked as a proband: under proband ascertainment each family takes its first "
             "affected member as proband; if the families were not ascertained through probands, say "
             "--ascertainment none\n";
  }
  try {
    return std::make_unique<Engine>(sample, options);
  } catch (const EngineRefusal& e) {
    std::istringstream lines(e.what());
    for (std::string line; std::getline(lines, line);) err << "kinseg: error: " << sample.file << ": " << line << "\n";
    if (e.over_limit > 0) err << "kinseg: --max-loop-breakers raises the limit (each breaker triples the work)\n";
    status = kRefused;
  } catch (const std::invalid_argument& e) {
    err << "kinseg: " << e.what() << "\n";
    status = kUsage;
  }
  return nullptr;
}

}  // namespace kinseg::cli
