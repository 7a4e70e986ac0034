// kinseg test DATA [column options] [model options] [--alpha A] [--out PREFIX]:
// the standard segregation hypotheses in one run (analysis/battery.hpp). Each
// model's line on standard error as it is fitted (with a progress line on a
// terminal); the model table, the tests and the verdict on standard output;
// every table, the JSON document, the log and the report page in PREFIX.*
// files, all written whole or none.
#include <algorithm>
#include <chrono>
#include <iostream>
#include <memory>
#include <sstream>

#include "analysis/battery.hpp"
#include "analysis/sample_summary.hpp"
#include "analysis/engine_likelihood.hpp"
#include "analysis/onset_risk.hpp"
#include "analysis/penetrance.hpp"
#include "engine/engine.hpp"
#include "kinseg/check_json.hpp"
#include "kinseg/check_text.hpp"
#include "kinseg/command.hpp"
#include "kinseg/data_options.hpp"
#include "kinseg/model_options.hpp"
#include "kinseg/progress_line.hpp"
#include "kinseg/penetrance_files.hpp"
#include "kinseg/risk_files.hpp"
#include "kinseg/risk_page.hpp"
#include "kinseg/battery_json.hpp"
#include "kinseg/battery_log.hpp"
#include "kinseg/battery_page.hpp"
#include "kinseg/battery_tables.hpp"
#include "kinseg/fit_output.hpp"
#include "pedigree/data_summary.hpp"
#include "pedigree/whole_files.hpp"
#include "report/html_page.hpp"
#include "report/number_format.hpp"

namespace kinseg::cli {

using report::format_number;
using report::json_number;

namespace {

struct BatteryCommandOptions {
  DataOptions data;
  ModelCommandOptions model;  // as kinseg fit's; --no-profile concerns the selected model
  double alpha = 0.05;
  std::string out = "kinseg";
  bool html = true;  // write PREFIX.html
  std::vector<std::string> draw;  // pedigrees to draw in the report besides the top-ranked
  PageDrawing drawing;            // how many of the top-ranked, trimmed or whole
};

constexpr size_t kShownNotes = 10;

// The files of the run, by their suffixes after PREFIX.
std::vector<std::string> output_names(const BatteryCommandOptions& o) {
  std::vector<std::string> names;
  for (const char* suffix : {".models.tsv", ".tests.tsv", ".estimates.tsv", ".families.tsv", ".genotypes.tsv",
                             ".penetrances.tsv", ".json", ".log"})
    names.push_back(o.out + suffix);
  if (!o.data.read.columns.onset.empty()) names.push_back(o.out + ".risks.tsv");
  if (o.html) names.push_back(o.out + ".html");
  return names;
}

int run_battery(const BatteryCommandOptions& o) {
  if (prefix_status(o.out) != kDone) return kUsage;
  const std::vector<std::string> names = output_names(o);
  if (outputs_status(names) != kDone) return kUsage;
  DataRead read;
  const int status = load_data(o.data, read, std::cerr, o.model.engine.ascertainment);
  if (status != kDone) return status;
  if (!(o.alpha > 0 && o.alpha < 1)) {
    std::cerr << "kinseg: --alpha " << o.alpha << ": expected a level strictly between 0 and 1\n";
    return kUsage;
  }
  for (const std::string& id : o.draw) {
    const auto& ids = read.sample.pedigree_ids;
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) {
      std::cerr << "kinseg: --draw " << id << ": " << o.data.data << " has no pedigree " << id << "\n";
      return kUsage;
    }
  }
  if (!o.html && !o.draw.empty()) {
    std::cerr << "kinseg: --draw names pedigrees to draw in the report, which --no-html turns off\n";
    return kUsage;
  }

  BatteryOptions bo;
  std::vector<std::string> problems;
  const SampleSummary sample_summary = summarize(read.sample);
  bo.model = model_options(o.model, sample_summary, o.data.read.columns.covariates, problems);
  const std::vector<ReferenceValue> reference =
      reference_option(o.model, sample_summary, o.data.read.columns.covariates, problems);
  if (problems.empty()) {
    try {
      check_battery_options(bo.model);
    } catch (const ModelError& e) {
      problems = e.problems();
    }
  }
  if (!problems.empty()) {
    for (const auto& p : problems) std::cerr << "kinseg: " << p << "\n";
    std::cerr << "kinseg: see kinseg test --help\n";
    return kUsage;
  }
  bo.alpha = o.alpha;
  bo.fit.starts = o.model.starts;
  bo.profile_selected = !o.model.no_profile;

  const EngineOptions eo = engine_options(o.model.engine, read.columns[ColumnRole::kProband].column >= 0, std::cerr);
  int engine_status = kDone;
  const std::unique_ptr<Engine> engine = make_engine(read.sample, eo, std::cerr, engine_status);
  if (!engine) return engine_status;
  // The family scan's notes: the first few on the console, all in the log.
  std::ostringstream scan;
  const auto& notes = engine->notes();
  for (size_t i = 0; i < notes.size(); ++i) {
    scan << "note: " << notes[i].text << "\n";
    if (i < kShownNotes) std::cerr << "kinseg: note: " << notes[i].text << "\n";
  }
  if (notes.size() > kShownNotes)
    std::cerr << "kinseg: ... and " << notes.size() - kShownNotes << " more notes of the family scan (all in "
              << o.out << ".log)\n";
  if (engine->families() == 0) {
    std::cerr << "kinseg: " << o.data.data << ": no family to analyse\n";
    return kRefused;
  }

  ProgressLine progress;
  std::ostringstream fitting;  // the log's account of every model and start
  bo.on_model_start = [&](const std::string& model, int index, int total) {
    progress.show(progress_bar(index - 1, total) + " " + model);
    fitting << "\n[" << index << "/" << total << "] " << model << "\n";
  };
  bo.on_start = [&](const std::string& model, const StartRecord& s, int done, int total) {
    progress.show(model + ": start " + std::to_string(done) + " of " + std::to_string(total));
    fitting << "  " << start_line(s, done, total) << "\n";
  };
  bo.on_model_done = [&](const BatteryModel& m, int index, int total) {
    progress.clear();
    std::cerr << "kinseg: [" << index << "/" << total << "] " << model_line(m) << "\n";
    for (const auto& msg : m.messages) fitting << "  note: " << msg << "\n";
    for (const auto& msg : m.fit.messages) fitting << "  " << msg << "\n";
    if (m.fit.runner_up) fitting << "  " << runner_up_text(m.fit) << "\n";
  };

  bo.on_progress = [&](const std::string& stage, int done, int total) {
    progress.show(progress_bar(done, total) + " selected model: " + stage);
  };

  const auto begin = std::chrono::steady_clock::now();
  BatteryResult result = run_battery(read.sample, engine_sample_likelihood(*engine), bo);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  progress.clear();
  for (const auto& m : result.messages) std::cerr << "kinseg: " << m << "\n";

  const DataSummary summary = summarize(read);
  RunFacts facts;
  facts.program = "kinseg test";
  facts.version = version();
  facts.command = command_line();
  const LoopCosts costs = loop_costs(read.sample, summary, eo.max_width);
  facts.data = check_json(read, &summary, &costs);
  facts.ascertainment = ascertainment_name(eo.ascertainment);
  facts.analysed_families = engine->families();
  for (const ScanNote& n : notes) facts.family_scan.push_back(n.text);
  facts.prevalence = sample_summary.prevalence;
  facts.threads = engine->threads();
  facts.seconds = seconds;
  std::ostringstream data_text;
  write_check_text(read, summary, costs, data_text);

  // Each model's penetrances at its estimates and, with an age of onset, its
  // risks by age.
  const bool onset = bo.model.onset.on;
  TsvTable penetrance_rows = penetrances_tsv_table();
  TsvTable risks = risks_tsv_table();
  for (BatteryModel& m : result.models) {
    if (!m.fit.lnl) continue;
    try {
      // The model as the battery fitted it: its free parameters are the fit's.
      const Model model(m.name, bo.model);
      if (model.free_names() != m.fit.free_names) continue;
      m.fit.penetrances = penetrances(m.fit, model, reference, read.sample, sample_summary.prevalence);
      m.fit.penetrances->known_trait_sex = sample_summary.known_trait_sex;
      add_penetrance_rows(penetrance_rows, *m.fit.penetrances);
      if (!onset) continue;
      m.fit.risks = onset_risks(m.fit, model, reference, risk_ages(sample_summary.onset, o.model.risk_ages),
                                o.model.risk_ages);
      m.fit.risks->known_trait_sex = sample_summary.known_trait_sex;
      add_risk_rows(risks, *m.fit.risks);
    } catch (const ModelError&) {
      continue;
    }
  }
  const BatteryModel* selected = result.selected();
  const RiskResult* selected_risks = selected && selected->fit.risks ? &*selected->fit.risks : nullptr;
  const PenetranceResult* selected_penetrances =
      selected && selected->fit.penetrances ? &*selected->fit.penetrances : nullptr;
  // The page plots the selected model's curves at every year of age, through
  // the points of the tables.
  RiskResult page_risks;
  if (selected_risks && o.html) {
    page_risks = onset_risks(selected->fit, Model(selected->name, bo.model), reference,
                             risk_ages(sample_summary.onset, o.model.risk_ages, 1), o.model.risk_ages);
    page_risks.known_trait_sex = sample_summary.known_trait_sex;
  }

  const std::string& p = o.out;
  try {
    // The names checked before the work began, less the risks when no age was known.
    std::vector<std::pair<std::string, std::string>> files = {
        {p + ".models.tsv", models_tsv(result)},
        {p + ".tests.tsv", tests_tsv(result)},
        {p + ".estimates.tsv", estimates_tsv(result)},
        {p + ".families.tsv", families_tsv(result)},
        {p + ".genotypes.tsv", genotypes_tsv(result)},
        {p + ".penetrances.tsv", penetrance_rows.str()},
        {p + ".json", battery_json(result, facts).dump(2, ' ', false, Json::error_handler_t::replace) + "\n"},
        {p + ".log", battery_log(result, facts, data_text.str() + scan.str(), fitting.str()) +
                         (selected_penetrances ? "\n" + penetrances_log(*selected_penetrances) : "") +
                         (selected_risks ? "\n" + risks_log(*selected_risks) : "")},
    };
    if (onset) files.emplace_back(p + ".risks.tsv", risks.str());
    if (o.html) {
      progress.during("drawing the pedigrees of the report page", [&] {
        report::ReportInput page =
            battery_page_input(read, summary, result, facts, o.draw, o.drawing, o.out + ".families.tsv");
        page.risks = risk_page_section(page_risks);
        files.emplace_back(p + ".html", report::html_page(page));
      });
    }
    write_whole_files(files);
  } catch (const FileError& e) {
    std::cerr << "kinseg: " << e.what() << "\n";
    return kUsage;
  }
  std::cout << console_tables(result);
  if (selected_penetrances && !selected_penetrances->rows.empty())
    std::cout << "\n" << selected_penetrances->model << ": penetrances\n" << penetrances_table(*selected_penetrances);
  if (selected_risks && !selected_risks->curves.empty())
    std::cout << "\n" << selected_risks->model << ": " << risks_table(*selected_risks);
  if (standard_output_status() != kDone) return kUsage;
  std::cerr << "kinseg: wrote " << p << ".models.tsv, .tests.tsv, .estimates.tsv, .families.tsv, .genotypes.tsv, "
            << ".penetrances.tsv, " << (onset ? ".risks.tsv, " : "")
            << (o.html ? ".json, .log and .html" : ".json and .log") << " (" << format_number(seconds) << " s)\n";
  return kDone;
}

}  // namespace

Command add_battery_command(CLI::App& app) {
  auto options = std::make_shared<BatteryCommandOptions>();
  CLI::App* sub = app.add_subcommand(
      "test",
      "Fit the standard segregation models (sporadic; no_transmission, mendelian: dominant, recessive, "
      "codominant; tau_ab_free, homog_general, general of the Mendelian type best by AIC), each started "
      "from the models nested in it; compare them by likelihood-ratio tests; give the verdict on a major "
      "gene; rank the families by their support for it; write every person's carrier probabilities; and write "
      "the report page PREFIX.html, with profile plots and pedigree drawings, for a browser. The "
      "model options are kinseg fit's: --fix, --start and --bounds apply to each model that estimates the "
      "parameter named; --starts is each model's grid (tau_ab_free, homog_general and general, which also "
      "start from every model nested in them, take half of it); profile-likelihood intervals are computed for "
      "the selected Mendelian model only (--no-profile: none)");
  add_data_options(*sub, options->data);
  add_model_options(*sub, options->model);
  sub->add_option("--alpha", options->alpha, "Level of the verdict's tests (default 0.05)")->option_text("A");
  sub->add_option("--out", options->out,
                  "Prefix of the files written: PREFIX.models.tsv, .tests.tsv, .estimates.tsv, .families.tsv, "
                  ".genotypes.tsv, .penetrances.tsv, .json, .log and the report page PREFIX.html (default kinseg)")
      ->option_text("PREFIX");
  // Two flags rather than one with its negation, whose help line would show
  // the negation's value.
  sub->add_flag_callback("--html", [options] { options->html = true; },
                         "Write the report page PREFIX.html: the data, the tables, the verdict, the profile "
                         "likelihoods and pedigree drawings in one file for a browser (the default)");
  sub->add_flag_callback("--no-html", [options] { options->html = false; }, "Write no report page");
  sub->add_option("--draw", options->draw,
                  "Pedigrees to draw in the report besides the ten that most support a major gene, by their ids "
                  "in DATA")
      ->option_text("FAMILY[,FAMILY...]")
      ->delimiter(',');
  sub->add_option("--draw-limit", options->drawing.top,
                  "How many of the families that most support a major gene the report draws (default 10; 0: "
                  "only those named with --draw)")
      ->option_text("N")
      ->check(CLI::NonNegativeNumber);
  sub->add_flag("--trim", options->drawing.trim,
                "Draw the report's pedigrees trimmed to their informative core, as kinseg draw --trim does");
  return {sub, [options] { return run_battery(*options); }};
}

}  // namespace kinseg::cli
