#include "kinseg/fit_files.hpp"

#include "kinseg/penetrance_files.hpp"
#include "kinseg/risk_files.hpp"
#include "pedigree/counted.hpp"

#include <sstream>

namespace kinseg::cli {

namespace {

std::string values_text(const std::vector<std::string>& names, const std::vector<double>& x) {
  std::string s;
  for (size_t i = 0; i < names.size() && i < x.size(); ++i)
    s += (i ? " " : "") + names[i] + "=" + number_text(x[i]);
  return s;
}

}  // namespace

std::string estimates_tsv(const FitResult& fit) {
  TsvTable t = estimates_tsv_table();
  add_estimate_rows(t, fit);
  return t.str();
}

std::string families_tsv(const FitRun& run) {
  TsvTable t({"family", "persons", "affected", "probands", "contribution"});
  for (const FamilyContribution& f : run.families)
    t.add({f.id, std::to_string(f.persons), std::to_string(f.affected), std::to_string(f.probands),
           number_text(f.contribution)});
  return t.str();
}

Json fit_document(const FitResult& fit, const FitRun& run) {
  Json j = run_json(run.facts);
  const Json fit_keys = fit_json(fit);
  for (const auto& [key, value] : fit_keys.items()) j[key] = value;
  Json families = Json::array();
  for (const FamilyContribution& f : run.families)
    families.push_back({{"family", f.id},
                        {"persons", f.persons},
                        {"affected", f.affected},
                        {"probands", f.probands},
                        {"contribution", number_json(f.contribution)}});
  j["families"] = families;
  return j;
}

std::string fit_log(const FitResult& fit, const Model& model, const FitRun& run) {
  std::ostringstream o;
  const SampleSummary& s = run.summary;
  o << run_log_head(run.facts) << "\n";
  o << "data: " << counted(s.pedigrees, "pedigree") << ", " << persons(s.persons) << " ("
    << s.affected << " affected, " << s.unaffected << " unaffected, " << s.unknown << " unknown), "
    << counted(s.probands, "proband") << "; prevalence among non-probands " << number_text(s.prevalence) << "\n";
  for (const auto& c : s.covariates)
    o << "covariate " << c.name << ": mean " << number_text(c.mean) << ", sd " << number_text(c.sd) << ", "
      << number_text(c.smallest) << " to " << number_text(c.largest) << "\n";
  o << "analysed: " << counted(static_cast<long>(run.families.size()), "family") << ", ascertainment " << run.facts.ascertainment << "\n";
  for (const auto& n : run.facts.family_scan) o << "  " << n << "\n";
  o << "\nmodel: " << fit.model << ", " << fit.k << " free parameters:";
  for (const auto& n : fit.free_names) o << " " << n;
  o << "\n";
  for (const auto& p : model.parameters()) {
    if (p.role == ParameterRole::estimated)
      o << "  " << p.name << " estimated within " << number_text(p.low) << ":" << number_text(p.high)
        << (p.start ? ", --start " + number_text(*p.start) : "") << "\n";
    else if (p.role == ParameterRole::fixed)
      o << "  " << p.name << " = " << number_text(p.value) << (p.fixed_by_user ? " (--fix)" : " (the model)") << "\n";
    else if (p.role == ParameterRole::linked)
      o << "  " << p.name << " = " << model.parameters()[p.link].name << "\n";
    else
      o << "  " << p.name << " from q, tr1, tr3\n";
  }
  const auto names = model.free_names();
  o << "\nstarts:\n";
  for (size_t i = 0; i < fit.starts.size(); ++i) {
    const auto& st = fit.starts[i];
    o << start_line(st, static_cast<int>(i) + 1, static_cast<int>(fit.starts.size())) << "\n";
    o << "    from " << values_text(names, st.start) << "\n";
    if (st.lnl) o << "    to   " << values_text(names, st.end) << "\n";
  }
  o << "\n" << estimates_table(fit);
  if (fit.lnl)
    o << "ln L " << number_text(*fit.lnl) << ", -2 ln L " << number_text(*fit.minus_two_lnl()) << ", k " << fit.k
      << ", AIC " << number_text(*fit.aic()) << "\n";
  if (!fit.messages.empty() || fit.runner_up) {
    o << "\nnotes:\n";
    for (const auto& m : fit.messages) o << "  " << m << "\n";
    if (fit.runner_up) o << "  " << runner_up_text(fit) << "\n";
  }
  if (!fit.covariance_names.empty()) o << "\nvariance-covariance matrix:\n" << covariance_table(fit);
  if (fit.penetrances) o << "\n" << penetrances_log(*fit.penetrances);
  if (fit.risks) o << "\n" << risks_log(*fit.risks);
  o << "\n" << fit.evaluations << " evaluations of the likelihood, " << number_text(run.facts.seconds) << " s, "
    << run.facts.threads << (run.facts.threads == 1 ? " thread" : " threads") << "\n";
  return o.str();
}

}  // namespace kinseg::cli
