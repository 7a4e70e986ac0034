#include "kinseg/battery_page.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

#include "analysis/message_text.hpp"
#include "kinseg/fit_output.hpp"
#include "kinseg/penetrance_files.hpp"
#include "pedigree/counted.hpp"
#include "pedigree/file_format.hpp"
#include "pedigree/trait_coding.hpp"
#include "report/number_format.hpp"
#include "report/pedigree_svg.hpp"

namespace kinseg::cli {

using report::format_number;

namespace {

constexpr double kNA = std::numeric_limits<double>::quiet_NaN();

double value(const std::optional<double>& x) { return x ? *x : kNA; }

std::string column_text(const kinseg::ColumnUse& u) {
  std::string s = u.name;
  if (s != "column " + std::to_string(u.column + 1)) s += " (column " + std::to_string(u.column + 1) + ")";
  return s + (u.given ? ", as named on the command line" : "");
}

report::DataSection data_section(const DataRead& read, const DataSummary& s, const RunFacts& facts) {
  report::DataSection d;
  d.file = read.sample.file;
  d.pedigrees = s.pedigrees;
  d.persons = s.persons;
  for (int sex = 0; sex < 3; ++sex) {
    d.affected += s.trait_by_sex[sex][0];
    d.unaffected += s.trait_by_sex[sex][1];
    d.unknown_trait += s.trait_by_sex[sex][2];
  }
  d.probands = s.probands;
  d.pedigrees_with_loops = static_cast<int>(s.loops.size());
  for (int i = 0; i < kRoles; ++i) {
    const kinseg::ColumnUse& u = read.columns.role[i];
    if (u.column >= 0) d.columns.push_back({role_name(static_cast<ColumnRole>(i)), column_text(u)});
  }
  for (const kinseg::ColumnUse& u : read.columns.covariates)
    if (u.column >= 0) d.columns.push_back({"covariate", column_text(u)});

  d.notes.push_back("Read as " + std::string(file_kind_name(read.format.kind)) + ", " +
                    std::to_string(read.rows) + " rows; trait: " + trait_reading_text(read.trait_coding.reading) +
                    ".");
  if (s.added > 0)
    d.notes.push_back(persons(s.added) + " added for parents named but absent from the file.");
  d.notes.push_back(facts.ascertainment == "proband"
                        ? "Ascertainment: through probands; each family's likelihood is conditioned on its "
                          "probands' traits."
                        : "Ascertainment: none; the families' likelihoods are not conditioned.");
  if (!s.without_proband.empty() && facts.ascertainment == "proband")
    d.notes.push_back(counted(static_cast<long>(s.without_proband.size()), "pedigree has", "pedigrees have") +
                      " no proband.");
  for (const CovariateSummary& c : s.covariates)
    d.notes.push_back("Covariate " + c.name + ": " + std::to_string(c.present) + " values, " +
                      std::to_string(c.missing) + " missing, mean " + format_number(c.mean) + ", range " +
                      format_number(c.min) + " to " + format_number(c.max) + ".");
  for (const std::string& line : definition_lines(read.definition)) {
    std::string sentence = line;
    sentence[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(sentence[0])));
    d.notes.push_back(sentence + ".");
  }
  for (const PedigreeLoops& l : s.loops)
    d.notes.push_back("Pedigree " + l.id + ": " + std::to_string(l.loops) + (l.loops == 1 ? " loop" : " loops") +
                      ", its genotypes summed out exactly.");
  return d;
}

// The summary's values: the frequency of the risk allele with its profile
// interval, then the penetrances at the covariates' reference values and the
// implied and observed prevalence (kinseg/penetrance_files.hpp).
std::vector<report::SummaryValue> summary_values(const FitResult& fit) {
  std::vector<report::SummaryValue> out;
  if (!fit.lnl) return out;
  if (const ParameterEstimate* q = fit.find("q"))
    out.push_back({"q", "frequency of the risk allele", q->estimate, q->ci_low ? *q->ci_low : kNA,
                   q->ci_high ? *q->ci_high : kNA});
  if (fit.penetrances)
    for (const report::SummaryValue& v : penetrance_summary_values(*fit.penetrances)) out.push_back(v);
  return out;
}

}  // namespace

std::vector<int> families_to_draw(const BatteryResult& result, const Sample& sample,
                                  const std::vector<std::string>& named, int top) {
  std::vector<int> out;
  for (const FamilySupport& f : result.families) {
    if (static_cast<int>(out.size()) >= top) break;
    out.push_back(f.pedigree);
  }
  for (const std::string& id : named)
    for (int k = 0; k < sample.pedigrees(); ++k)
      if (sample.pedigree_ids[static_cast<size_t>(k)] == id && std::find(out.begin(), out.end(), k) == out.end())
        out.push_back(k);
  return out;
}

report::ReportInput battery_page_input(const DataRead& read, const DataSummary& summary,
                                       const BatteryResult& result, const RunFacts& facts,
                                       const std::vector<std::string>& named, const PageDrawing& drawing,
                                       const std::string& families_file) {
  const Sample& sample = read.sample;
  report::ReportInput in;
  in.title = "Segregation analysis of " + sample.file;
  in.command = facts.command;
  in.version = "kinseg " + facts.version + ", " + std::to_string(facts.threads) +
               (facts.threads == 1 ? " thread, " : " threads, ") + format_number(facts.seconds) + " s";
  in.generated = "Written " + facts.started;
  in.data = data_section(read, summary, facts);

  for (const BatteryModel& m : result.models) {
    const FitResult& f = m.fit;
    report::ModelRow row;
    row.model = m.name;
    row.k = f.k;
    row.lnl = value(f.lnl);
    row.minus2lnl = value(f.minus_two_lnl());
    row.aic = value(f.aic());
    row.delta_aic = value(m.delta_aic);
    row.status = status_name(f.status) + (m.refit ? ", refitted from a nested model" : "");
    row.estimates = estimates_text(f);
    row.selected = m.name == result.selected_model;
    in.models.push_back(row);
  }

  for (const LikelihoodRatioTest& t : result.tests)
    in.tests.push_back({t.null_model, t.alternative, value(t.statistic), t.reference_text, value(t.p),
                        t.available() ? t.flags_text() : t.unavailable});
  in.verdict.text = result.verdict.summary;
  if (!in.verdict.text.empty())  // a sentence on its own on the page
    in.verdict.text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(in.verdict.text[0])));
  in.verdict.alpha = result.alpha;
  for (const VerdictCriterion& c : result.criteria) in.verdict.criteria.push_back({c.text, c.holds});
  in.selected_model = result.selected_model;

  if (const BatteryModel* selected = result.selected()) {
    in.estimates = page_estimates(selected->fit);
    in.profiles = page_profiles(selected->fit);
    in.second_maximum = runner_up_text(selected->fit);
    if (!in.second_maximum.empty()) in.second_maximum[0] = 'A';
  }

  report::PageSummary& top = in.summary;
  top.verdict = in.verdict.text;
  top.major_gene = result.verdict.major_gene;
  if (const BatteryModel* selected = result.selected()) {
    top.model = selected->name;
    top.values = summary_values(selected->fit);
    if (!top.values.empty() && selected->fit.penetrances) {
      top.values_note = penetrance_summary_note(*selected->fit.penetrances);
      if (selected->fit.find("q"))
        top.values_note += " The interval of q is its profile-likelihood interval (NA: not computed, see the estimates).";
    }
    if (selected->fit.status != FitStatus::converged)
      top.warnings.push_back("The selected model's fit: " + status_name(selected->fit.status) +
                             " (see its estimates below).");
    if (selected->fit.runner_up)
      top.warnings.push_back("The selected model has " + runner_up_text(selected->fit) + ".");
  }
  for (const std::string& m : result.messages) top.warnings.push_back(m);
  if (read.problems.warnings() > 0)
    top.warnings.push_back(counted(read.problems.warnings(), "warning") +
                           " about the data when it was read (listed in the log).");

  for (const FamilySupport& f : result.families)
    in.families.push_back({f.id, f.persons, f.affected, f.probands, f.mendelian, f.sporadic, value(f.log10_ratio)});

  std::vector<double> carrier(static_cast<size_t>(sample.persons()), kNA);
  for (const CarrierProbability& c : result.carriers) carrier[static_cast<size_t>(c.person)] = c.carrier;
  std::vector<int> rank(static_cast<size_t>(sample.pedigrees()), 0);
  for (size_t i = 0; i < result.families.size(); ++i)
    rank[static_cast<size_t>(result.families[i].pedigree)] = static_cast<int>(i) + 1;
  in.families_file = families_file;
  const std::vector<int> drawn = families_to_draw(result, sample, named, drawing.top);
  report::DrawingOptions options;
  options.trim = drawing.trim;
  for (size_t i = 0; i < drawn.size(); ++i) {
    const int k = drawn[i];
    std::string caption;
    if (rank[static_cast<size_t>(k)] > 0) {
      const FamilySupport& f = result.families[static_cast<size_t>(rank[static_cast<size_t>(k)] - 1)];
      caption = "rank " + std::to_string(rank[static_cast<size_t>(k)]) + " of " +
                std::to_string(result.families.size()) + " in support of a major gene, log10 ratio " +
                format_number(value(f.log10_ratio));
    } else {
      caption = "not analysed";
    }
    if (std::find(named.begin(), named.end(), sample.pedigree_ids[static_cast<size_t>(k)]) != named.end())
      caption += "; named with --draw";
    std::vector<double> members;
    if (!result.carriers.empty())
      members.assign(carrier.begin() + sample.first(k), carrier.begin() + sample.end(k));
    const report::PedigreeLayout layout = report::pedigree_layout(sample, k, members, options);
    in.drawings.push_back({sample.pedigree_ids[static_cast<size_t>(k)], caption, report::pedigree_svg(layout),
                           layout.width * layout.scale, layout.unlinked, layout.folded});
  }
  return in;
}

}  // namespace kinseg::cli
