// Writes a report page from a ReportInput filled by hand (numbers of the
// right kinds and sizes, not from an analysis) and the hand-built pedigrees,
// for the browser test to open: sample_report OUT.html
#include <cmath>
#include <fstream>
#include <iostream>

#include "report/html_page.hpp"
#include "report/pedigree_svg.hpp"
#include "tests/support/drawn_pedigrees.hpp"

namespace {

kinseg::report::ProfileCurve profile(const std::string& name, double est, double se, double max_lnl, double lo_bound) {
  kinseg::report::ProfileCurve c;
  c.parameter = name;
  c.estimate = est;
  c.max_lnl = max_lnl;
  c.cut_lnl = max_lnl - 3.841 / 2;
  for (int i = -12; i <= 12; ++i) {
    const double v = est + i * se / 3.5;
    if (v < lo_bound) continue;
    const double z = (v - est) / se;
    // Skewed, as profiles of small samples are.
    c.points.push_back({v, max_lnl - 0.5 * z * z * (1 + 0.15 * z)});
  }
  c.ci_low = est - 1.85 * se;
  c.ci_high = est + 2.2 * se;
  return c;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: sample_report OUT.html\n";
    return 2;
  }
  kinseg::report::ReportInput in;
  in.title = "Segregation analysis of example.txt";
  in.command = "kinseg test example.txt --pedigree fam --person id --father fa --mother mo --sex sex "
               "--trait aff --proband prob --out example";
  in.version = "kinseg 0.1";
  in.generated = "written 2024-01-01 12:00";
  in.data.file = "example.txt";
  in.data.pedigrees = 7;
  in.data.persons = 302;
  in.data.affected = 80;
  in.data.unaffected = 200;
  in.data.unknown_trait = 22;
  in.data.probands = 12;
  in.data.pedigrees_with_loops = 3;
  in.data.columns = {{"pedigree", "fam"}, {"person", "id"}, {"father", "fa"}, {"mother", "mo"},
                     {"sex", "sex"},      {"trait", "aff"}, {"proband", "prob"}};
  in.data.notes = {"Ascertainment: through probands (single ascertainment correction)."};
  in.models = {
      {"sporadic", 1, -180.412, 360.824, 362.824, 21.35, "converged", "W=-1.2", false},
      {"no_transmission:codominant", 4, -176.9, 353.8, 361.8, 20.326, "converged",
       "Q=0.3 W1=1.1 W2=-0.5 W3=-2", false},
      {"mendelian:dominant", 3, -167.737, 335.474, 341.474, 0, "converged",
       "Q=0.0412 W1=1.53 W3=-2.71", true},
      {"general", 6, -166.9, 333.8, 345.8, 4.326, "at bound: Tr3", "Q=0.05 Tr1=1 Tr2=0.45", false},
  };
  in.tests = {{"sporadic", "mendelian:dominant", 25.35, "chi2(2)", 3.1e-6, "Q not identified under the null"},
              {"no_transmission", "general", 20, "chi2(3)", 0.00017, ""},
              {"mendelian", "general", 1.674, "0.25 chi2(1) + 0.5 chi2(2) + 0.25 chi2(3)", 0.55, "Tr3 at bound"}};
  in.verdict.text = "Evidence for a major gene with Mendelian transmission; dominant fits best by AIC.";
  in.verdict.criteria = {{"sporadic rejected against Mendelian (p = 3.1e-06)", true},
                         {"no transmission rejected against general (p = 0.00017)", true},
                         {"Mendelian not rejected against general (p = 0.55)", true}};
  in.selected_model = "mendelian:dominant";
  in.estimates = {{"Q", 0.0412, 0.011, 0.0231, 0.0702, "converged", "", ""},
                  {"W1", 1.53, 0.4, 0.82, 2.41, "converged", "", ""},
                  {"W3", -2.71, 0.21, -3.14, -2.31, "converged", "", ""},
                  {"Tr2", 0.5, std::nan(""), std::nan(""), std::nan(""), "fixed", "", ""}};
  in.profiles = {profile("Q", 0.0412, 0.011, -167.737, 0), profile("W1", 1.53, 0.4, -167.737, -1e9),
                 profile("W3", -2.71, 0.21, -167.737, -1e9)};
  const auto pedigrees = kintest::all_drawn_pedigrees();
  for (size_t i = 0; i < pedigrees.size(); ++i) {
    const kinseg::Sample& s = pedigrees[i].sample;
    int affected = 0, probands = 0;
    for (int p = 0; p < s.persons(); ++p) {
      affected += s.trait[static_cast<size_t>(p)] == kinseg::kAffected;
      probands += s.proband[static_cast<size_t>(p)] == kinseg::kProband;
    }
    const double ratio = 3.2 - 0.61 * static_cast<double>(i);
    in.families.push_back({s.pedigree_ids[0], s.persons(), affected, probands, -20.5 - static_cast<double>(i),
                           -20.5 - static_cast<double>(i) - ratio * std::log(10.0), ratio});
    std::vector<double> carriers;
    for (int m = 0; m < s.size(0); ++m)
      carriers.push_back(s.trait[static_cast<size_t>(m)] == kinseg::kAffected ? 0.93 : 0.08 + 0.01 * (m % 5));
    in.drawings.push_back({s.pedigree_ids[0], pedigrees[i].name + ", rank " + std::to_string(i + 1),
                           kinseg::report::draw_pedigree(s, 0, carriers)});
  }
  std::ofstream out(argv[1], std::ios::binary);
  out << kinseg::report::html_page(in);
  out.close();
  if (!out) {
    std::cerr << "sample_report: cannot write " << argv[1] << "\n";
    return 2;
  }
  return 0;
}
