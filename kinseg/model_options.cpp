#include "kinseg/model_options.hpp"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <ostream>

#include "analysis/sample_summary.hpp"

namespace kinseg::cli {

namespace {

// A whole field as a finite real number.
bool read_real(const std::string& text, double& value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return errno == 0 && end == text.c_str() + text.size() && std::isfinite(value);
}

}  // namespace

void add_model_options(CLI::App& sub, ModelCommandOptions& o) {
  const char* group = "Model";
  sub.add_flag("--sex-effect", o.sex_effect,
               "Sex increments V1-V3: the baselines of sex code 2 (female) are W + V")
      ->group(group);
  sub.add_flag("--regressive", o.regressive,
               "Regressive terms Ro1, Ro2 on the number of parents recorded unaffected and affected")
      ->group(group);
  sub.add_option("--fix", o.fix,
                 "Hold a parameter at a value (q w1 w2 w3 v1 v2 v3 tr1 tr2 tr3 ro1 ro2, d.COLUMN for a "
                 "covariate of --covar)")
      ->delimiter(',')
      ->option_text("NAME=VALUE[,...]")
      ->group(group);
  sub.add_option("--start", o.start, "Start the search from this value (the first start; the grid follows)")
      ->delimiter(',')
      ->option_text("NAME=VALUE[,...]")
      ->group(group);
  sub.add_option("--bounds", o.bounds, "Search the parameter within LO..HI")
      ->delimiter(',')
      ->option_text("NAME=LO:HI[,...]")
      ->group(group);
  sub.add_option("--ascertainment", o.ascertainment,
                 "none: no correction; proband: each family conditioned on its probands' traits (the default "
                 "when the file has a proband column)")
      ->check(CLI::IsMember({"none", "proband"}))
      ->option_text("none|proband")
      ->group(group);
  sub.add_option("--starts", o.starts, "Starts of the grid over Q and the genotype effect, per model (default 6)")
      ->check(CLI::Range(1, 1000))
      ->option_text("N")
      ->group(group);
}

bool parse_model_options(const ModelCommandOptions& o, const Sample& sample, ModelOptions& out, std::ostream& err) {
  out = ModelOptions{};
  out.sex_effect = o.sex_effect;
  out.regressive = o.regressive;
  const SampleSummary summary = summarise(sample);
  for (const auto& c : summary.covariates) out.covariates.push_back({c.name, c.largest_abs > 0 ? c.largest_abs : 1.0});
  bool ok = true;
  auto split = [&](const char* option, const std::string& entry, std::string& name, std::string& value) {
    const auto eq = entry.find('=');
    if (eq == std::string::npos || eq == 0) {
      err << "kinseg: " << option << " " << entry << ": expected NAME=" << (option[2] == 'b' ? "LO:HI" : "VALUE")
          << "\n";
      ok = false;
      return false;
    }
    name = entry.substr(0, eq);
    value = entry.substr(eq + 1);
    return true;
  };
  for (const auto& [option, list, target] :
       {std::tuple<const char*, const std::vector<std::string>*, std::vector<NamedValue>*>{"--fix", &o.fix, &out.fix},
        {"--start", &o.start, &out.start}}) {
    for (const auto& entry : *list) {
      std::string name, value;
      if (!split(option, entry, name, value)) continue;
      double v = 0;
      if (!read_real(value, v)) {
        err << "kinseg: " << option << " " << entry << ": '" << value << "' is not a finite number\n";
        ok = false;
        continue;
      }
      target->push_back({name, v});
    }
  }
  for (const auto& entry : o.bounds) {
    std::string name, value;
    if (!split("--bounds", entry, name, value)) continue;
    const auto colon = value.find(':');
    double lo = 0, hi = 0;
    if (colon == std::string::npos || !read_real(value.substr(0, colon), lo) ||
        !read_real(value.substr(colon + 1), hi)) {
      err << "kinseg: --bounds " << entry << ": expected NAME=LO:HI with finite numbers\n";
      ok = false;
      continue;
    }
    out.bounds.push_back({name, lo, hi});
  }
  return ok;
}

Ascertainment ascertainment_of(const ModelCommandOptions& o, const DataRead& read) {
  if (o.ascertainment == "none") return Ascertainment::kNone;
  if (o.ascertainment == "proband") return Ascertainment::kProband;
  return read.columns[ColumnRole::kProband].column >= 0 ? Ascertainment::kProband : Ascertainment::kNone;
}

const char* ascertainment_name(Ascertainment a) { return a == Ascertainment::kNone ? "none" : "proband"; }

std::vector<std::string> model_options_text(const ModelCommandOptions& o) {
  std::vector<std::string> out;
  if (o.sex_effect) out.push_back("--sex-effect");
  if (o.regressive) out.push_back("--regressive");
  for (const auto& f : o.fix) out.push_back("--fix " + f);
  for (const auto& s : o.start) out.push_back("--start " + s);
  for (const auto& b : o.bounds) out.push_back("--bounds " + b);
  if (!o.ascertainment.empty()) out.push_back("--ascertainment " + o.ascertainment);
  out.push_back("--starts " + std::to_string(o.starts));
  return out;
}

}  // namespace kinseg::cli
