// kinseg draw DATA --family ID --out FILE.svg [--genotypes FILE] [--trim]
// [--width PX]: one
// pedigree drawn alone as SVG, in the conventions of genetic counselling, with
// the carrier probabilities of a file of genotype probabilities under the ids
// when one is given.
#include <iostream>
#include <memory>

#include "kinseg/command.hpp"
#include "kinseg/progress_line.hpp"
#include "kinseg/data_options.hpp"
#include "kinseg/genotype_file.hpp"
#include "pedigree/whole_files.hpp"
#include "report/pedigree_svg.hpp"
#include "pedigree/counted.hpp"

namespace kinseg::cli {

using kinseg::persons;

namespace {

struct DrawOptions {
  DataOptions data;
  std::string family;
  std::string out;
  std::string genotypes;
  report::DrawingOptions drawing;
};

int run_draw(const DrawOptions& o) {
  if (outputs_status({o.out}) != kDone) return kUsage;
  DataRead read;
  const int status = load_data(o.data, read, std::cerr);
  if (status != kDone) return status;
  const Sample& sample = read.sample;
  int k = -1;
  for (int i = 0; i < sample.pedigrees(); ++i)
    if (sample.pedigree_ids[static_cast<size_t>(i)] == o.family) k = i;
  if (k < 0) {
    std::cerr << "kinseg: " << o.data.data << " has no pedigree " << o.family << "\n";
    return kUsage;
  }
  std::vector<double> carrier;
  if (!o.genotypes.empty()) {
    try {
      const CarrierProbabilities read_carriers = read_carrier_probabilities(o.genotypes, sample, k);
      carrier = read_carriers.carrier;
      if (read_carriers.without > 0)
        std::cerr << "kinseg: warning: " << o.genotypes << ": no genotype probabilities for "
                  << read_carriers.without << " of the " << persons(sample.size(k)) << " of pedigree " << o.family
                  << "\n";
    } catch (const FileError& e) {
      std::cerr << "kinseg: " << e.what() << "\n";
      return kUsage;
    } catch (const GenotypeFileError& e) {
      std::cerr << "kinseg: error: " << e.what() << "\n";
      return kRefused;
    }
  }
  report::PedigreeLayout layout;
  ProgressLine progress;
  progress.during("drawing pedigree " + sample.pedigree_ids[static_cast<size_t>(k)],
                  [&] { layout = report::pedigree_layout(sample, k, carrier, o.drawing); });
  try {
    write_whole_file(o.out, report::pedigree_svg(layout));
  } catch (const FileError& e) {
    std::cerr << "kinseg: " << e.what() << "\n";
    return kUsage;
  }
  std::cerr << "kinseg: wrote " << o.out << " (pedigree " << o.family << ", " << persons(sample.size(k));
  if (o.drawing.trim) {
    int stubs = 0;
    for (const auto& p : layout.persons) stubs += p.folded > 0;
    std::cerr << "; " << persons(layout.folded) << " of unknown trait folded into " << stubs
              << (stubs == 1 ? " stub" : " stubs");
  }
  if (layout.unlinked > 0) std::cerr << "; " << persons(layout.unlinked) << " tied to no one, drawn apart";
  if (layout.scale < 1)
    std::cerr << "; scaled from " << static_cast<long>(layout.width + 0.5) << " to " << static_cast<long>(o.drawing.width)
              << " px wide";
  std::cerr << ")\n";
  return kDone;
}

}  // namespace

Command add_draw_command(CLI::App& app) {
  auto options = std::make_shared<DrawOptions>();
  CLI::App* sub = app.add_subcommand(
      "draw",
      "Draw one pedigree as SVG: square male, circle female, diamond sex unknown; filled affected, open "
      "unaffected, a question mark for an unknown trait; an arrow at each proband; spouses joined by a line "
      "(two for a consanguineous couple), children on a sibship line under them, generations in rows, the "
      "person's id under the symbol. With --genotypes, the probability of carrying the risk allele under "
      "the id");
  add_data_options(*sub, options->data);
  sub->add_option("--family", options->family, "The pedigree to draw (its id in DATA)")
      ->option_text("ID")
      ->required();
  sub->add_option("--out", options->out, "The SVG file to write")->option_text("FILE.svg")->required();
  sub->add_option("--genotypes", options->genotypes,
                  "Genotype probabilities of the persons (as kinseg eval --genotypes writes them: tab-separated, "
                  "a header naming family, id, and p1 p2 p3 or carrier); the probability of carrying at least "
                  "one copy of the risk allele, p1 + p2, is shown under each id")
      ->option_text("FILE");
  sub->add_flag("--trim", options->drawing.trim,
                "Draw the informative core: each branch in which nobody's trait is known (a child, the "
                "descendants and the spouses who married in) folded into a dashed stub giving its number of "
                "persons");
  sub->add_option("--width", options->drawing.width,
                  "The widest the drawing is shown, in pixels: a wider one is scaled down to it (the SVG's "
                  "viewBox keeps its own coordinates); default: its own width")
      ->option_text("PX")
      ->check(CLI::PositiveNumber);
  return {sub, [options] { return run_draw(*options); }};
}

}  // namespace kinseg::cli
