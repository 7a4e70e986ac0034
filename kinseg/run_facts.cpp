#include "kinseg/run_facts.hpp"

namespace kinseg::cli {

Json run_json(const RunFacts& f) {
  Json j;
  j["program"] = f.program;
  j["version"] = f.version;
  j["command"] = f.command;
  j["data"] = f.data;
  j["ascertainment"] = f.ascertainment;
  j["analysed_families"] = f.analysed_families;
  j["family_scan"] = f.family_scan;
  j["prevalence_non_probands"] = number_json(f.prevalence);
  j["threads"] = f.threads;
  j["seconds"] = number_json(f.seconds);
  return j;
}

}  // namespace kinseg::cli
