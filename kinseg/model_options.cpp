#include "kinseg/model_options.hpp"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace kinseg::cli {

namespace {

bool read_number(const std::string& text, double& value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && errno == 0 && std::isfinite(value);
}

// NAME=VALUE or, with RANGE, NAME=LO:HI.
void parse_entries(const std::vector<std::string>& entries, const char* option, bool range,
                   std::vector<NamedValue>* values, std::vector<NamedRange>* ranges,
                   std::vector<std::string>& problems) {
  const std::string form = range ? "NAME=LO:HI" : "NAME=VALUE";
  for (const std::string& e : entries) {
    const auto eq = e.find('=');
    if (eq == std::string::npos || eq == 0) {
      problems.push_back(std::string(option) + " " + e + ": expected " + form);
      continue;
    }
    const std::string name = e.substr(0, eq), rest = e.substr(eq + 1);
    if (!range) {
      double v;
      if (!read_number(rest, v)) {
        problems.push_back(std::string(option) + " " + e + ": '" + rest + "' is not a number");
        continue;
      }
      values->push_back({name, v});
      continue;
    }
    // The colon between two numbers: the first one not at the start or after an exponent sign.
    const auto colon = rest.find(':', 1);
    double lo, hi;
    if (colon == std::string::npos || !read_number(rest.substr(0, colon), lo) ||
        !read_number(rest.substr(colon + 1), hi)) {
      problems.push_back(std::string(option) + " " + e + ": expected " + form + " with two numbers");
      continue;
    }
    ranges->push_back({name, lo, hi});
  }
}

// A parameter name as the model knows it: q w1 ... in lower case whatever the
// case written; d.COLUMN with COLUMN as --covar gave it or the header name.
std::string model_name(const std::string& written, const SampleSummary& summary,
                       const std::vector<std::string>& covar) {
  if (written.size() > 2 && (written.rfind("d.", 0) == 0 || written.rfind("D.", 0) == 0)) {
    const std::string col = written.substr(2);
    for (size_t i = 0; i < summary.covariates.size(); ++i)
      if (col == summary.covariates[i].name || (i < covar.size() && col == covar[i]))
        return "d." + summary.covariates[i].name;
    return "d." + col;
  }
  std::string lower = written;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

}  // namespace

void add_model_options(CLI::App& sub, ModelCommandOptions& o) {
  const char* model = "Model";
  sub.add_flag("--sex-effect", o.sex_effect, "Sex increments v1, v2, v3 of the baselines for sex code 2")
      ->group(model);
  sub.add_flag("--regressive", o.regressive,
               "Regressive terms: ro1 per parent recorded unaffected, ro2 per parent recorded affected")
      ->group(model);
  sub.add_option("--onset-spread", o.onset_spread,
                 "With --onset: one spread s of the age at onset for every genotype (one, the default), or "
                 "s1 s2 s3 linked as the type links the means (type)")
      ->check(CLI::IsMember({"one", "type"}))
      ->option_text("one|type")
      ->group(model);
  sub.add_option("--fix", o.fix,
                 "Hold parameters at values (q w1 w2 w3 v1 v2 v3 tr1 tr2 tr3 d.COLUMN ro1 ro2; with --onset "
                 "m1 m2 m3 s or s1 s2 s3)")
      ->delimiter(',')
      ->option_text("NAME=VALUE[,...]")
      ->group(model);
  sub.add_option("--start", o.start, "Start values of estimated parameters (one start; the grid adds the others)")
      ->delimiter(',')
      ->option_text("NAME=VALUE[,...]")
      ->group(model);
  sub.add_option("--bounds", o.bounds,
                 "Bounds of estimated parameters (defaults: q 0.0001:0.9999, tr 0:1, logits -20:20, a covariate's "
                 "coefficient within 20 logits over its largest value, mean ages of onset within the observed "
                 "ages widened by 20 years, spreads 0.5:30)")
      ->delimiter(',')
      ->option_text("NAME=LO:HI[,...]")
      ->group(model);
  sub.add_option("--reference", o.reference,
                 "Covariate values at which risks and penetrances are given (default: each covariate's mean "
                 "over the members of known trait)")
      ->delimiter(',')
      ->option_text("NAME=VALUE[,...]")
      ->group(model);
  sub.add_option("--risk-ages", o.risk_ages,
                 "With --onset: ages at which each genotype's risk is shown besides every 10 years over the "
                 "observed ages (default 50,70,80)")
      ->delimiter(',')
      ->check(CLI::Range(0.0, 130.0))
      ->option_text("AGE[,...]")
      ->group(model);
  const char* search = "Search";
  sub.add_option("--starts", o.starts, "Searches from a grid over q and the genotype effect (default 6)")
      ->check(CLI::Range(1, 1000))
      ->option_text("N")
      ->group(search);
  sub.add_flag("--no-profile", o.no_profile, "Skip the profile-likelihood intervals")->group(search);
  add_engine_options(sub, o.engine, "Likelihood");
}

std::vector<ReferenceValue> reference_option(const ModelCommandOptions& o, const SampleSummary& summary,
                                             const std::vector<std::string>& covar,
                                             std::vector<std::string>& problems) {
  std::vector<NamedValue> given;
  parse_entries(o.reference, "--reference", false, &given, nullptr, problems);
  for (auto& v : given) {
    const std::string as_d = model_name("d." + v.name, summary, covar);
    v.name = as_d.substr(2);
  }
  return reference_values(summary, given, problems);
}

ModelOptions model_options(const ModelCommandOptions& o, const SampleSummary& summary,
                           const std::vector<std::string>& covar, std::vector<std::string>& problems) {
  ModelOptions m;
  m.sex_effect = o.sex_effect;
  m.sex2_share = summary.sex2_share;
  m.regressive = o.regressive;
  for (const auto& c : summary.covariates) m.covariates.push_back({c.name, c.largest_abs});
  if (summary.onset.present) {
    m.onset.on = true;
    m.onset.spread_by_type = o.onset_spread == "type";
    m.onset.youngest = summary.onset.youngest;
    m.onset.oldest = summary.onset.oldest;
    m.onset.mean_start = summary.onset.mean;
    m.onset.spread_start = summary.onset.spread;
  }
  parse_entries(o.fix, "--fix", false, &m.fix, nullptr, problems);
  parse_entries(o.start, "--start", false, &m.start, nullptr, problems);
  parse_entries(o.bounds, "--bounds", true, nullptr, &m.bounds, problems);
  for (auto& v : m.fix) v.name = model_name(v.name, summary, covar);
  for (auto& v : m.start) v.name = model_name(v.name, summary, covar);
  for (auto& v : m.bounds) v.name = model_name(v.name, summary, covar);
  return m;
}

}  // namespace kinseg::cli
