// kinseg check DATA: reads the pedigree file, lists every problem on standard
// error, and prints the summary a user checks before an analysis; --json FILE
// writes the same facts (and the problems) for programs.
#include <iostream>
#include <memory>

#include "kinseg/check_json.hpp"
#include "kinseg/check_text.hpp"
#include "kinseg/command.hpp"
#include "kinseg/data_options.hpp"
#include "pedigree/data_summary.hpp"
#include "pedigree/whole_files.hpp"

namespace kinseg::cli {

namespace {

struct CheckOptions {
  DataOptions data;
  std::string json;
  int max_width = kDefaultMaxWidth;
};

int run_check(const CheckOptions& o) {
  if (!o.json.empty() && outputs_status({o.json}) != kDone) return kUsage;
  DataRead read;
  const int status = load_data(o.data, read, std::cerr);
  if (status == kUsage) return status;
  std::unique_ptr<DataSummary> summary;
  LoopCosts costs;
  int refused = 0;
  if (status == kDone) {
    summary = std::make_unique<DataSummary>(summarize(read));
    costs = loop_costs(read.sample, *summary, o.max_width);
    // What eval, fit and test would refuse, as they would say it.
    for (size_t i = 0; i < summary->loops.size(); ++i)
      if (costs.refused(i)) {
        ++refused;
        std::cerr << "kinseg: error: " << read.sample.file << ": "
                  << too_wide_text(summary->loops[i].id, costs.cost[i], o.max_width) << "\n";
      }
  }
  if (!o.json.empty()) {
    const std::string text =
        check_json(read, summary.get(), &costs).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) +
        "\n";
    try {
      write_whole_file(o.json, text);
    } catch (const FileError& e) {
      std::cerr << "kinseg: " << e.what() << "\n";
      return kUsage;
    }
  }
  // Refused data print no summary; the JSON report has it, with the refusals.
  if (summary && refused == 0) write_check_text(read, *summary, costs, std::cout);
  if (standard_output_status() != kDone) return kUsage;
  return refused > 0 ? kRefused : status;
}

}  // namespace

Command add_check_command(CLI::App& app) {
  auto options = std::make_shared<CheckOptions>();
  CLI::App* sub = app.add_subcommand(
      "check",
      "Read a pedigree file, list every problem in it (exit status 1 when the data are refused), and print "
      "how it was read and a summary: pedigrees, persons, founders, generations, nuclear families, sizes, "
      "trait by sex, probands, covariates, and for each pedigree with loops its cost to the analyses: "
      "loops, width (the most persons one table of its elimination runs over), memory and predicted "
      "time per evaluation (exit status 1 when one is wider than --max-width)");
  add_data_options(*sub, options->data);
  sub->add_option("--json", options->json,
                  "Also write the report, with every problem, as JSON to FILE (written whole or not at all)")
      ->option_text("FILE");
  sub->add_option("--max-width", options->max_width,
                  "The width limit of eval, fit and test, against which the pedigrees with loops are checked")
      ->check(CLI::Range(1, kMaxWidth))
      ->option_text("K")
      ->capture_default_str();
  return {sub, [options] { return run_check(*options); }};
}

}  // namespace kinseg::cli
