// kinseg export DATA --kinsort DIR: writes the sample as kinsort's input (the
// data file kinseg.dat, task.inp, and idmap.tsv from the new numbers back to
// the original ids), refusing what kinsort or kinfit cannot take.
#include <iostream>
#include <memory>

#include "kinseg/command.hpp"
#include "kinseg/data_options.hpp"
#include "pedigree/counted.hpp"
#include "pedigree/kinsort_export.hpp"

namespace kinseg::cli {

namespace {

struct ExportOptions {
  DataOptions data;
  std::string kinsort;
};

int run_export(const ExportOptions& o) {
  DataRead read;
  const int status = load_data(o.data, read, std::cerr);
  if (status != kDone) return status;
  DataProblems refusals(read.problems.file());
  check_kinsort_fit(read.sample, refusals);
  if (refusals.refused()) {
    print_problems(refusals, std::cerr);
    return kRefused;
  }
  try {
    write_kinsort_files(read.sample, o.kinsort);
  } catch (const FileError& e) {
    std::cerr << "kinseg: " << e.what() << "\n";
    return kUsage;
  }
  std::cerr << "kinseg: wrote " << o.kinsort << "/" << kKinsortDataFile << ", task.inp and idmap.tsv ("
            << persons(read.sample.persons()) << " in " << counted(read.sample.pedigrees(), "pedigree") << ")\n";
  return kDone;
}

}  // namespace

Command add_export_command(CLI::App& app) {
  auto options = std::make_shared<ExportOptions>();
  CLI::App* sub = app.add_subcommand(
      "export",
      "Write the pedigree file as kinsort's input into a directory: kinseg.dat (persons renumbered 1..n "
      "within pedigrees 1..P, codes translated), task.inp and idmap.tsv (pedigree, id, new pedigree, new "
      "id). Refused (exit status 1, nothing written) for covariates that are not whole numbers, unknown "
      "sexes, pedigrees with loops, or a sample beyond kinsort's or kinfit's tables");
  add_data_options(*sub, options->data);
  sub->add_option("--kinsort", options->kinsort, "The directory to write into (created when missing)")
      ->option_text("DIR")
      ->required();
  return {sub, [options] { return run_export(*options); }};
}

}  // namespace kinseg::cli
