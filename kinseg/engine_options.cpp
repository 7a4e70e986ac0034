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
  in_group(sub.add_option("--max-width", o.max_width,
                          "Refuse a pedigree with loops whose genotypes cannot be summed out with tables over at "
                          "most K persons (3^K entries each; kinseg check shows each pedigree's width, memory and "
                          "time)")
               ->check(CLI::Range(1, kMaxWidth))
               ->option_text("K")
               ->capture_default_str());
  // The former limit on loop breakers: loops no longer need breaking.
  sub.add_option("--max-loop-breakers", o.max_loop_breakers)->check(CLI::Range(0, 1000))->group("");
}

EngineOptions engine_options(const EngineCommandOptions& o, bool proband_column, std::ostream& err) {
  if (o.max_loop_breakers >= 0)
    err << "kinseg: warning: --max-loop-breakers has no effect: loops are broken where two breakers suffice and "
           "summed out by elimination elsewhere, always exactly; --max-width limits the tables instead\n";
  EngineOptions eo;
  eo.ascertainment = o.ascertainment == "none"      ? Ascertainment::kNone
                     : o.ascertainment == "proband" ? Ascertainment::kProband
                     : proband_column               ? Ascertainment::kProband
                                                    : Ascertainment::kNone;
  eo.threads = o.threads;
  eo.max_width = o.max_width;
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
    auto engine = std::make_unique<Engine>(sample, options);
    for (int f = 0; f < engine->families(); ++f) {
      const EliminationCost& c = engine->cost(f);
      if (c.seconds > kSlowPedigreeSeconds)
        err << "kinseg: warning: " << sample.file << ": pedigree " << sample.pedigree_ids[engine->pedigree(f)]
            << ": " << elimination_cost_text(c)
            << "; a fit takes hundreds of evaluations and a test thousands (a smaller --max-width refuses it)\n";
    }
    return engine;
  } catch (const EngineRefusal& e) {
    std::istringstream lines(e.what());
    for (std::string line; std::getline(lines, line);) err << "kinseg: error: " << sample.file << ": " << line << "\n";
    status = kRefused;
  } catch (const std::invalid_argument& e) {
    err << "kinseg: " << e.what() << "\n";
    status = kUsage;
  }
  return nullptr;
}

}  // namespace kinseg::cli
