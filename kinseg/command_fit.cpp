// kinseg fit DATA [column options] --model TRANSMISSION[:TYPE] [model options]
// [--out PREFIX]: fits a named segregation model by maximum likelihood from
// several starts, with standard errors, the variance-covariance matrix and
// profile-likelihood intervals; writes PREFIX.log, PREFIX.estimates.tsv,
// PREFIX.families.tsv, PREFIX.json, PREFIX.penetrances.tsv and, for a model
// with a major type, PREFIX.genotypes.tsv (each whole or not at all) and shows
// the estimates and the penetrances.
// On a terminal each start gets a line and the intervals a progress line on
// standard error; elsewhere only the messages are written there.
#include <chrono>
#include <iostream>
#include <memory>

#include "analysis/carrier_probabilities.hpp"
#include "analysis/engine_likelihood.hpp"
#include "analysis/family_support.hpp"
#include "analysis/fit.hpp"
#include "analysis/onset_risk.hpp"
#include "analysis/penetrance.hpp"
#include "analysis/sample_summary.hpp"
#include "engine/engine.hpp"
#include "kinseg/battery_tables.hpp"
#include "kinseg/check_json.hpp"
#include "kinseg/command.hpp"
#include "kinseg/data_options.hpp"
#include "kinseg/fit_files.hpp"
#include "kinseg/model_options.hpp"
#include "kinseg/penetrance_files.hpp"
#include "kinseg/risk_files.hpp"
#include "kinseg/progress_line.hpp"
#include "pedigree/data_summary.hpp"
#include "pedigree/whole_files.hpp"

namespace kinseg::cli {

namespace {

struct FitCommandOptions {
  DataOptions data;
  std::string model;
  ModelCommandOptions m;
  std::string out = "kinseg";
};

int run_fit(const FitCommandOptions& o) {
  const auto started = std::chrono::steady_clock::now();
  if (prefix_status(o.out) != kDone) return kUsage;
  std::vector<std::string> names;
  for (const char* suffix : {".log", ".estimates.tsv", ".families.tsv", ".json"}) names.push_back(o.out + suffix);
  // The sporadic model has no major type and writes no genotypes.
  if (o.model.rfind("sporadic", 0) != 0) names.push_back(o.out + ".genotypes.tsv");
  if (!o.data.read.columns.onset.empty()) names.push_back(o.out + ".risks.tsv");
  names.push_back(o.out + ".penetrances.tsv");
  if (outputs_status(names) != kDone) return kUsage;
  DataRead read;
  const int loaded = load_data(o.data, read, std::cerr, o.m.engine.ascertainment);
  if (loaded != kDone) return loaded;
  const Sample& sample = read.sample;
  const SampleSummary summary = summarize(sample);

  std::vector<std::string> problems;
  const ModelOptions options = model_options(o.m, summary, o.data.read.columns.covariates, problems);
  const std::vector<ReferenceValue> reference =
      reference_option(o.m, summary, o.data.read.columns.covariates, problems);
  std::unique_ptr<Model> model;
  if (problems.empty()) {
    try {
      model = std::make_unique<Model>(o.model, options);
    } catch (const ModelError& e) {
      problems = e.problems();
    }
  }
  if (!problems.empty()) {
    for (const auto& p : problems) std::cerr << "kinseg: " << p << "\n";
    std::cerr << "kinseg: see kinseg fit --help\n";
    return kUsage;
  }

  const EngineOptions eo = engine_options(o.m.engine, read.columns[ColumnRole::kProband].column >= 0, std::cerr);
  int engine_status = kDone;
  const std::unique_ptr<Engine> engine = make_engine(sample, eo, std::cerr, engine_status);
  if (!engine) return engine_status;
  FitRun run;
  run.facts.program = "kinseg fit";
  run.facts.version = version();
  run.facts.command = command_line();
  const DataSummary data_summary = summarize(read);
  const LoopCosts costs = loop_costs(read.sample, data_summary, eo.max_width);
  run.facts.data = check_json(read, &data_summary, &costs);
  run.facts.ascertainment = ascertainment_name(eo.ascertainment);
  run.facts.analysed_families = engine->families();
  run.facts.prevalence = summary.prevalence;
  run.facts.threads = engine->threads();
  run.data_file = o.data.data;
  run.summary = summary;
  for (const ScanNote& n : engine->notes()) {
    std::cerr << "kinseg: note: " << n.text << "\n";
    run.facts.family_scan.push_back(n.text);
  }
  if (engine->families() == 0) {
    std::cerr << "kinseg: " << o.data.data << ": no family to analyse\n";
    return kRefused;
  }

  const SampleLikelihood likelihood = engine_sample_likelihood(*engine);
  ProgressLine progress;
  FitOptions fo;
  fo.starts = o.m.starts;
  fo.profile = !o.m.no_profile;
  if (progress.shown()) {
    fo.on_start = [&](const StartRecord& s, int done, int total) {
      progress.clear();
      std::cerr << "kinseg: " << start_line(s, done, total) << "\n";
    };
    fo.on_progress = [&](const std::string& stage, int done, int total) {
      progress.show(stage + " " + progress_bar(done, total) + " " + std::to_string(done) + "/" +
                    std::to_string(total));
      if (done == total) progress.clear();
    };
  }
  FitResult result = fit(*model, likelihood.lnl, summary, fo);
  progress.clear();

  // Each family's contribution at the estimates, and every person's genotype
  // probabilities there, for the drawings (kinseg draw --genotypes); the
  // sporadic model has no major type to carry.
  std::vector<std::pair<std::string, std::string>> files;
  if (result.lnl) {
    run.families = family_contributions(sample, likelihood.family_pedigrees, likelihood.contributions(result.point),
                                        likelihood.proband);
    if (model->transmission() != Transmission::sporadic)
      files.emplace_back(o.out + ".genotypes.tsv",
                         genotypes_tsv(carrier_probabilities(sample, likelihood.genotypes(result.point))));
  }
  // Each genotype's risk by age, for an age-of-onset model.
  if (options.onset.on && result.lnl) {
    result.risks = onset_risks(result, *model, reference, risk_ages(summary.onset, o.m.risk_ages), o.m.risk_ages);
    result.risks->known_trait_sex = summary.known_trait_sex;
    TsvTable risks = risks_tsv_table();
    add_risk_rows(risks, *result.risks);
    files.emplace_back(o.out + ".risks.tsv", risks.str());
  }
  // Each genotype's penetrance at the reference values, and the prevalence
  // the model implies.
  TsvTable penetrance_rows = penetrances_tsv_table();
  if (result.lnl) {
    result.penetrances = penetrances(result, *model, reference, sample, summary.prevalence);
    result.penetrances->known_trait_sex = summary.known_trait_sex;
    add_penetrance_rows(penetrance_rows, *result.penetrances);
  }
  files.emplace_back(o.out + ".penetrances.tsv", penetrance_rows.str());
  run.facts.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  for (const auto& m : result.messages) std::cerr << "kinseg: " << m << "\n";
  if (result.runner_up) std::cerr << "kinseg: " << runner_up_text(result) << "\n";
  const std::string json = fit_document(result, run).dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
  try {
    files.insert(files.begin(), {{o.out + ".log", fit_log(result, *model, run)},
                                 {o.out + ".estimates.tsv", estimates_tsv(result)},
                                 {o.out + ".families.tsv", families_tsv(run)},
                                 {o.out + ".json", json}});
    write_whole_files(files);
  } catch (const FileError& e) {
    std::cerr << "kinseg: " << e.what() << "\n";
    return kUsage;
  }
  std::cout << estimates_table(result);
  if (result.penetrances && !result.penetrances->rows.empty())
    std::cout << "\n" << penetrances_table(*result.penetrances);
  if (result.risks && !result.risks->curves.empty()) std::cout << "\n" << risks_table(*result.risks);
  if (standard_output_status() != kDone) return kUsage;
  if (result.status == FitStatus::refused_start) return kRefused;
  return kDone;
}

}  // namespace

Command add_fit_command(CLI::App& app) {
  auto options = std::make_shared<FitCommandOptions>();
  CLI::App* sub = app.add_subcommand(
      "fit",
      "Fit a segregation model by maximum likelihood: estimates, standard errors, variance-covariance matrix, "
      "profile-likelihood intervals, from several starts. Writes PREFIX.log, PREFIX.estimates.tsv, "
      "PREFIX.families.tsv, PREFIX.json, PREFIX.penetrances.tsv (each genotype's penetrance at the covariates' "
      "reference values) and, except for the sporadic model, PREFIX.genotypes.tsv (every "
      "person's genotype and carrier probabilities at the estimates, for kinseg draw --genotypes). Exit status 1 when the data are refused or the likelihood refuses "
      "every start.");
  add_data_options(*sub, options->data);
  sub->add_option("--model", options->model,
                  "The model. TRANSMISSION: sporadic (no major type: w1 = w2 = w3, no q), "
                  "no_transmission (tr1 = tr2 = tr3 = q), mendelian (tr 1, 1/2, 0), tau_ab_free (tr1 = 1, tr3 = 0, "
                  "tr2 estimated), homog_general (tr1, tr3 estimated, tr2 keeping the type frequencies), general "
                  "(tr1, tr2, tr3 estimated). TYPE: codominant (default: ordered, w1 >= w2 >= w3 with w2 = w3 + "
                  "h (w1 - w3), the dominance h in 0..1 estimated), additive (h = 1/2), dominant (w1 = w2), "
                  "recessive (w2 = w3), unordered (w1, w2, w3 free). Genotype 1 is the homozygote of higher "
                  "mean susceptibility over the persons of known trait (w1 >= w3 without a sex effect): q is the "
                  "frequency of the allele that raises the risk")
      ->required()
      ->option_text("TRANSMISSION[:TYPE]")
      ->group("Model");
  add_model_options(*sub, options->m);
  sub->add_option("--out", options->out, "Prefix of the output files (default kinseg)")->option_text("PREFIX");
  return {sub, [options] { return run_fit(*options); }};
}

}  // namespace kinseg::cli
