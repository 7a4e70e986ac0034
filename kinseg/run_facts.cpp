#include "kinseg/run_facts.hpp"

#include <ctime>

namespace kinseg::cli {

std::string utc_now() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", &tm);
  return text;
}

std::string run_log_head(const RunFacts& f) {
  const std::string file = f.data.is_object() && f.data.contains("file") && f.data["file"].is_string()
                               ? f.data["file"].get<std::string>()
                               : "";
  return "program: " + f.program + " " + f.version + "\ncommand: " + f.command + "\nfile:    " + file +
         "\nstarted: " + f.started + "\n";
}

Json run_json(const RunFacts& f) {
  Json j;
  j["program"] = f.program;
  j["version"] = f.version;
  j["command"] = f.command;
  j["started"] = f.started;
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
