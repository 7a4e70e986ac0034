// kinseg eval DATA --at NAME=VALUE,...: the log-likelihood of every analysed
// family at one point of the model, and the sample's total, as a table on
// standard output; with --genotypes, every person's genotype probabilities
// given the family's traits.
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine.hpp"
#include "engine/model_quantities.hpp"
#include "kinseg/engine_options.hpp"
#include "kinseg/command.hpp"
#include "kinseg/data_options.hpp"
#include "kinseg/point_option.hpp"
#include "pedigree/file_error.hpp"
#include "pedigree/whole_files.hpp"

namespace kinseg::cli {

namespace {

struct EvalOptions {
  DataOptions data;
  std::vector<std::string> at;
  EngineCommandOptions engine;
  std::string genotypes;
};

// 17 significant digits: the value reads back exactly; -inf for a refused family.
std::string number(double x) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", x);
  return buf;
}

std::string genotype_table(const Sample& s, const Engine& engine, const GenotypeProbabilities& g) {
  std::ostringstream out;
  out << "family\tid\tp1\tp2\tp3\n";
  for (int f = 0; f < engine.families(); ++f) {
    const int k = engine.pedigree(f);
    for (int p = s.first(k); p < s.end(k); ++p) {
      if (!g.known[p]) continue;
      out << s.pedigree_ids[k] << '\t' << s.ids[p];
      for (int i = 0; i < 3; ++i) out << '\t' << number(g.all[3 * static_cast<size_t>(p) + i]);
      out << '\n';
    }
  }
  return out.str();
}

int run_eval(const EvalOptions& o) {
  if (!o.genotypes.empty() && outputs_status({o.genotypes}) != kDone) return kUsage;
  DataRead read;
  const int status = load_data(o.data, read, std::cerr, o.engine.ascertainment);
  if (status != kDone) return status;
  const Sample& s = read.sample;

  Point point;
  try {
    point = parse_point(o.at, s, o.data.read.columns.covariates);
    check_point(point, s.ncov());
  } catch (const std::exception& e) {  // PointOptionError, std::invalid_argument
    std::cerr << "kinseg: " << e.what() << "\nkinseg: see kinseg eval --help\n";
    return kUsage;
  }

  const EngineOptions eo = engine_options(o.engine, read.columns[ColumnRole::kProband].column >= 0, std::cerr);
  int engine_status = kDone;
  const std::unique_ptr<Engine> engine = make_engine(s, eo, std::cerr, engine_status);
  if (!engine) return engine_status;
  for (const ScanNote& n : engine->notes()) std::cerr << "kinseg: note: " << n.text << "\n";

  const double total = engine->evaluate(point);
  std::ostringstream out;
  out << "family\tpersons\tlnl_all\tlnl_cond\tcontribution\n";
  long persons = 0;
  double all = 0.0, cond = 0.0;
  for (int f = 0; f < engine->families(); ++f) {
    const int k = engine->pedigree(f);
    const FamilyLikelihood& r = engine->results()[static_cast<size_t>(f)];
    out << s.pedigree_ids[k] << '\t' << s.size(k) << '\t' << number(r.lnl_all) << '\t' << number(r.lnl_cond)
        << '\t' << number(r.contribution) << '\n';
    persons += s.size(k);
    all = all + r.lnl_all;
    cond = cond + r.lnl_cond;
    if (r.refused)
      std::cerr << "kinseg: pedigree " << s.pedigree_ids[k]
                << ": at this point its likelihood vanishes or cannot be represented; written as -inf\n";
  }
  out << "total\t" << persons << '\t' << number(all) << '\t' << number(cond) << '\t' << number(total) << '\n';

  if (!o.genotypes.empty()) {
    try {
      write_whole_file(o.genotypes, genotype_table(s, *engine, engine->genotype_probabilities(point)));
    } catch (const FileError& e) {
      std::cerr << "kinseg: " << e.what() << "\n";
      return kUsage;
    }
  }
  std::cout << out.str();
  return standard_output_status();
}

}  // namespace

Command add_eval_command(CLI::App& app) {
  auto options = std::make_shared<EvalOptions>();
  CLI::App* sub = app.add_subcommand(
      "eval",
      "The log-likelihood of the sample at one point of the model: per analysed family ln L(all traits), "
      "ln L(traits of its conditioning set) and their difference, the family's contribution, then their "
      "totals; tab-separated on standard output, numbers with 17 significant digits. Pedigrees with loops "
      "are evaluated exactly: by loop breaking where two breakers suffice, by elimination elsewhere (kinseg check shows each pedigree's cost). A family whose likelihood vanishes or cannot be represented "
      "at the point gets -inf and a message. Families are chosen as kinfit chooses them: one with no member "
      "of known trait outside proband code 0 is not analysed; under proband ascertainment one with no "
      "affected member is excluded and one with no proband takes its first affected member as proband (a "
      "note each). Persons of unknown sex take the baselines of sex 1");
  add_data_options(*sub, options->data);
  sub->add_option("--at", options->at,
                  "The point: q (allele frequency), w1 w2 w3 (baseline logits of genotypes 1, 2, 3; genotype "
                  "1 carries two copies of the allele of frequency q), v1 v2 v3 (increments for sex 2), tr1 "
                  "tr2 tr3 (transmission probabilities, all three or none: Mendelian without them), ro1 ro2 "
                  "(on the numbers of unaffected and affected parents), d.COLUMN (coefficient of a covariate "
                  "of --covar); with --onset m1 m2 m3 (mean ages at onset of the genotypes) and s, or s1 s2 s3 "
                  "(their spreads), all required. Unnamed parameters are 0")
      ->delimiter(',')
      ->option_text("NAME=VALUE[,...]")
      ->required();
  add_engine_options(*sub, options->engine);
  sub->add_option("--genotypes", options->genotypes,
                  "Also write FILE: family, id, and p1 p2 p3, the probabilities of genotypes 1, 2, 3 given all "
                  "traits of the family, for every person of an analysed family that the point does not "
                  "refuse")
      ->option_text("FILE");
  return {sub, [options] { return run_eval(*options); }};
}

}  // namespace kinseg::cli
