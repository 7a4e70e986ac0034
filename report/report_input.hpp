// What the HTML report shows, as plain data: the caller (the command that ran
// the analysis) fills it from its results, and the page only lays it out and
// writes every number with format_number(), the rule of the TSV and JSON
// files. A value that does not exist (no SE for a parameter at a bound, no
// p-value) is NaN and shows as "NA"; optional text left empty is not shown.
#pragma once

#include <string>
#include <vector>

namespace kinseg::report {

// Which column of the user's file was read as what.
struct ColumnLine {
  std::string role;    // e.g. "pedigree", "person", "father", "trait", "covariate"
  std::string column;  // the column's name or number in the file
};

struct DataSection {
  std::string file;
  int pedigrees = 0, persons = 0;
  int affected = 0, unaffected = 0, unknown_trait = 0;
  int probands = 0;
  int pedigrees_with_loops = 0;
  std::vector<ColumnLine> columns;
  std::vector<std::string> notes;  // further lines, e.g. the trait codes or the ascertainment
};

// One row of the model table.
struct ModelRow {
  std::string model;  // e.g. "mendelian:dominant"
  int k = 0;          // free parameters
  double lnl = 0, minus2lnl = 0, aic = 0, delta_aic = 0;
  std::string status;             // e.g. "converged", "at bound: Q"
  std::string estimates;          // the estimated parameters, "q=0.1 w1=2.5 ..."
  bool selected = false;          // the model the estimates and drawings are of
};

// One likelihood-ratio test.
struct TestRow {
  std::string null_model, alternative;
  double statistic = 0;
  std::string reference;  // e.g. "chi2(2)", "0.25 chi2(0) + 0.5 chi2(1) + 0.25 chi2(2)"
  double p = 0;
  std::string flags;      // e.g. "Q at bound"
};

struct Criterion {
  std::string text;  // e.g. "sporadic rejected against mendelian:dominant (p = 0.0012)"
  bool holds = false;
};

// The verdict as the page shows it.
struct VerdictView {
  std::string text;  // the conclusion in words
  double alpha = 0.05;
  std::vector<Criterion> criteria;
};

// An estimate of the selected model.
struct EstimateRow {
  std::string parameter;
  double estimate = 0, se = 0, ci_low = 0, ci_high = 0;  // NaN when none
  std::string status;
  // Why the SE, or an end of the interval, is NaN, when the status does not
  // say it; shown as a numbered note under the table.
  std::string se_missing, ci_missing;
};

struct ProfilePoint {
  double value = 0, lnl = 0;
};

// The profile likelihood of one parameter: ln L maximised over the others, at
// each value.
struct ProfileCurve {
  std::string parameter;
  std::vector<ProfilePoint> points;
  double estimate = 0, max_lnl = 0;
  double cut_lnl = 0;               // the level whose crossings bound the 95% interval
  double ci_low = 0, ci_high = 0;   // NaN when not found
};

// A family's support for a major gene.
struct FamilyRow {
  std::string pedigree;
  int persons = 0, affected = 0, probands = 0;
  double lnl_mendelian = 0, lnl_sporadic = 0;
  double log10_ratio = 0;  // log10 of the likelihood ratio, Mendelian against sporadic
};

struct DrawingItem {
  std::string pedigree;
  std::string caption;  // why it is drawn, e.g. "rank 1 of 60"
  std::string svg;      // from pedigree_svg()
  double width = 0;     // the drawing's own width in pixels (its layout's); wider than the page: printed
                        // on a page of its own, turned
  int unlinked = 0;     // persons tied to no one, drawn apart
  int folded = 0;       // persons folded into stubs (a trimmed drawing)
};

// A value of the summary at the top of the page: an estimate with its 95%
// interval (NaN ends when there is none) and what it is, in words. The
// caller puts there what its results hold: the allele frequency, and the
// penetrances or the risks by age of the genotypes.
struct SummaryValue {
  std::string name;     // e.g. "q"
  std::string meaning;  // e.g. "frequency of the risk allele"
  double estimate = 0, low = 0, high = 0;
};

// The page's first section: the answer, before the tables it comes from.
struct PageSummary {
  std::string verdict;               // in words, as VerdictView::text
  bool major_gene = false;           // the verdict supports a major gene
  std::string model;                 // the selected model, whose values follow
  std::vector<SummaryValue> values;
  std::string values_note;           // for whom the values hold, e.g. "a man with every covariate at 0"
  std::vector<std::string> warnings;  // short, each once
};

// One point of a genotype's risk curve: the risk of having fallen ill by
// the age, with its 95% interval (NaN ends when the fit has none).
struct RiskPoint {
  double age = 0, risk = 0, low = 0, high = 0;
};

// A genotype's risk by age, as the plot draws it.
struct RiskCurve {
  std::string label;    // e.g. "carriers"
  std::string meaning;  // e.g. "one or two copies of the risk allele"
  int genotype = 0;     // 1, 2, 3 (two, one, no copy of the risk allele); 0: everyone (no major gene)
  std::vector<RiskPoint> points;  // by increasing age
};

// The curves of one sex (or of everyone, without a sex effect), one plot.
struct RiskPanel {
  std::string title;  // e.g. "women"; empty for a single panel that needs none
  std::vector<RiskCurve> curves;
};

// A value of the risk table: an estimate with its 95% interval (NaN ends
// when there is none).
struct RiskValue {
  double estimate = 0, low = 0, high = 0;
};

// A row of the risk table under the plot: the risks by the asked ages, the
// lifetime risk and the median age at onset of one genotype (and sex).
struct RiskRow {
  std::string who;  // e.g. "carriers, women"
  std::vector<RiskValue> by_age;  // at RiskSection::table_ages
  RiskValue lifetime, median_onset;
};

// Each genotype's risk by age under the selected model (a run with ages at
// onset); the page shows no such section when `panels` is empty.
struct RiskSection {
  std::string model;
  std::vector<RiskPanel> panels;
  std::vector<double> table_ages;  // the asked ages, marked on the plots and the table's columns
  std::vector<RiskRow> rows;
  std::vector<std::string> notes;  // for whom the risks hold, how the intervals were computed
};

struct ReportInput {
  std::string title;      // e.g. "Segregation analysis of study.txt"
  std::string command;    // the command line that made the page
  std::string version;    // the program's version
  std::string generated;  // date and time, as the caller wants it shown
  PageSummary summary;
  DataSection data;
  std::vector<ModelRow> models;
  std::vector<TestRow> tests;
  VerdictView verdict;
  std::string selected_model;
  std::vector<EstimateRow> estimates;
  std::string second_maximum;  // the selected model's second maximum, in words; empty: none
  std::vector<ProfileCurve> profiles;
  RiskSection risks;
  std::vector<FamilyRow> families;  // in the order to show (most support first)
  std::string families_file;        // where every family's row is, for the printed page (e.g. "study.families.tsv")
  std::vector<DrawingItem> drawings;
};

}  // namespace kinseg::report
