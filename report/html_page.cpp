#include "report/html_page.hpp"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "pedigree/counted.hpp"
#include "report/number_format.hpp"
#include "report/pedigree_svg.hpp"
#include "report/profile_plot.hpp"
#include "report/risk_plot.hpp"
#include "report/xml_text.hpp"

namespace kinseg::report {

namespace {

const char* const kStyle = R"(
body { font-family: "DejaVu Sans", Arial, Helvetica, sans-serif; font-size: 14px; color: #111;
       margin: 0 auto; padding: 0 20px 40px; max-width: 1180px; line-height: 1.4; }
h1 { font-size: 22px; margin: 22px 0 4px; }
h2 { font-size: 18px; margin: 28px 0 8px; border-bottom: 1px solid #bbb; padding-bottom: 3px; }
h3 { font-size: 15px; margin: 18px 0 6px; }
p.meta { color: #555; margin: 2px 0; font-size: 13px; }
code { font-family: "DejaVu Sans Mono", monospace; font-size: 12px; }
table { border-collapse: collapse; margin: 6px 0 10px; }
th, td { border: 1px solid #ccc; padding: 3px 8px; text-align: left; vertical-align: top; }
th { background: #f1f1f1; font-weight: 600; }
td.num { text-align: right; font-variant-numeric: tabular-nums; white-space: nowrap; }
tr.selected td { background: #eef5ff; font-weight: 600; }
table.sortable th { cursor: pointer; white-space: nowrap; }
table.sortable th::after { content: " \2195"; color: #999; font-weight: normal; }
.verdict { border-left: 4px solid #25a; background: #f4f8fd; padding: 8px 12px; margin: 10px 0; font-size: 15px; }
.verdict.supported { border-left-color: #170; background: #f3faf1; }
table.summary-values th { background: none; font-weight: 600; }
table.summary-values .meaning { font-weight: normal; color: #444; }
ul.warnings { padding-left: 20px; color: #7a3d00; }
td.flags a { text-decoration: none; color: #25a; }
ol.test-notes { font-size: 13px; color: #333; margin: 4px 0 10px; padding-left: 28px; }
#family-table tr.more { display: none; }
#family-table.all tr.more { display: table-row; }
.print-only { display: none; }
ul.criteria { list-style: none; padding-left: 4px; }
ul.criteria li.holds::before { content: "\2713  "; color: #170; font-weight: bold; }
ul.criteria li.fails::before { content: "\2717  "; color: #b22; font-weight: bold; }
.plots { display: flex; flex-wrap: wrap; gap: 10px; }
.plots svg.risks { max-width: 100%; height: auto; }
td .ci { color: #555; font-size: 12px; }
figure.pedigree-figure .drawing { overflow-x: auto; max-width: 100%; }
figure.pedigree-figure svg.pedigree { display: block; max-width: 100%; height: auto; cursor: zoom-in; }
figure.pedigree-figure.full svg.pedigree { max-width: none; cursor: zoom-out; }
.scroll { overflow-x: auto; max-width: 100%; }
figure { margin: 12px 0 18px; }
figcaption { font-size: 13px; color: #333; margin-bottom: 4px; }
.note { color: #555; font-size: 13px; }
@media print {
  body { max-width: none; padding: 0; font-size: 11px; }
  .scroll { overflow: visible; }
  figure.pedigree-figure svg.pedigree { max-width: 100% !important; max-height: 24cm; width: auto; height: auto; }
  figure.pedigree-figure .drawing { overflow: visible; }
  figure.large { page: wide; break-before: page; break-after: page; }
  h2 { break-after: avoid; }
  figure, tr, .plots svg { break-inside: avoid; }
  table.sortable th::after { content: ""; }
  p.screen-only, #family-more { display: none; }
  .print-only { display: block; }
  #family-table.all tr.more { display: none; }
}
/* A drawing wider than the page prints alone on a page turned sideways. */
@page wide { size: A4 landscape; }
)";

// A click on a drawing shows it at its own size or scales it back; a click
// on a table's header sorts the table by that column (numbers as numbers,
// "NA" last), a second click reverses.
const char* const kSortScript = R"(
document.querySelectorAll('figure.pedigree-figure').forEach(function (figure) {
  var svg = figure.querySelector('svg.pedigree');
  if (svg) svg.addEventListener('click', function () { figure.classList.toggle('full'); });
});
var more = document.getElementById('family-more');
if (more) more.addEventListener('click', function () {
  var table = document.getElementById('family-table');
  var all = table.classList.toggle('all');
  more.textContent = more.getAttribute(all ? 'data-less' : 'data-more');
});
document.querySelectorAll('table.sortable').forEach(function (table) {
  table.querySelectorAll('th').forEach(function (th, col) {
    th.addEventListener('click', function () {
      var body = table.tBodies[0];
      var rows = Array.prototype.slice.call(body.rows);
      var up = th.getAttribute('data-order') !== 'up';
      table.querySelectorAll('th').forEach(function (h) { h.removeAttribute('data-order'); });
      th.setAttribute('data-order', up ? 'up' : 'down');
      function key(row) {
        var t = row.cells[col].textContent.trim();
        var n = t === 'inf' ? Infinity : t === '-inf' ? -Infinity : parseFloat(t);
        return isNaN(n) || !/^[-+0-9.inf]/.test(t) ? t : n;
      }
      rows.sort(function (a, b) {
        var x = key(a), y = key(b);
        if (x === 'NA' || y === 'NA') return x === y ? 0 : x === 'NA' ? 1 : -1;
        var d = typeof x === 'number' && typeof y === 'number' ? x - y : String(x).localeCompare(String(y));
        if (isNaN(d)) d = 0;
        return up ? d : -d;
      });
      rows.forEach(function (r) { body.appendChild(r); });
      var shown = parseInt(table.getAttribute('data-shown') || '0', 10);
      if (shown > 0) rows.forEach(function (r, i) { r.classList.toggle('more', i >= shown); });
    });
  });
});
)";

std::string e(const std::string& s) { return xml_escape(s); }
std::string num(double x) { return "<td class=\"num\">" + format_number(x) + "</td>"; }
std::string num(int x) { return "<td class=\"num\">" + std::to_string(x) + "</td>"; }
std::string text(const std::string& s) { return "<td>" + e(s) + "</td>"; }

void header_row(std::ostream& o, std::initializer_list<const char*> names) {
  o << "<thead><tr>";
  for (const char* n : names) o << "<th>" << n << "</th>";
  o << "</tr></thead>\n";
}

void data_section(std::ostream& o, const DataSection& d) {
  o << "<section id=\"data\">\n<h2>Data</h2>\n";
  o << "<table class=\"summary\"><tbody>\n";
  o << "<tr><th>file</th>" << text(d.file) << "</tr>\n";
  o << "<tr><th>pedigrees</th>" << num(d.pedigrees) << "</tr>\n";
  o << "<tr><th>persons</th>" << num(d.persons) << "</tr>\n";
  o << "<tr><th>affected</th>" << num(d.affected) << "</tr>\n";
  o << "<tr><th>unaffected</th>" << num(d.unaffected) << "</tr>\n";
  o << "<tr><th>trait unknown</th>" << num(d.unknown_trait) << "</tr>\n";
  o << "<tr><th>probands</th>" << num(d.probands) << "</tr>\n";
  o << "<tr><th>pedigrees with loops</th>" << num(d.pedigrees_with_loops) << "</tr>\n";
  o << "</tbody></table>\n";
  if (!d.columns.empty()) {
    o << "<h3>Columns read</h3>\n<table class=\"columns\">";
    header_row(o, {"as", "column"});
    o << "<tbody>\n";
    for (const ColumnLine& c : d.columns) o << "<tr>" << text(c.role) << text(c.column) << "</tr>\n";
    o << "</tbody></table>\n";
  }
  for (const std::string& n : d.notes) o << "<p class=\"note\">" << e(n) << "</p>\n";
  o << "</section>\n";
}

void models_section(std::ostream& o, const ReportInput& in) {
  o << "<section id=\"models\">\n<h2>Models</h2>\n";
  o << "<table id=\"model-table\" class=\"sortable\">";
  header_row(o, {"model", "k", "ln L", "&minus;2 ln L", "AIC", "&Delta;AIC", "status", "estimates"});
  o << "<tbody>\n";
  for (const ModelRow& m : in.models) {
    o << "<tr" << (m.selected ? " class=\"selected\"" : "") << ">" << text(m.model) << num(m.k) << num(m.lnl)
      << num(m.minus2lnl) << num(m.aic) << num(m.delta_aic) << text(m.status) << "<td><code>" << e(m.estimates)
      << "</code></td></tr>\n";
  }
  o << "</tbody></table>\n";
  if (!in.selected_model.empty())
    o << "<p class=\"note\">The highlighted row is the selected model, " << e(in.selected_model)
      << ": the estimates, profiles and carrier probabilities below are under it.</p>\n";
  o << "</section>\n";
}

// The flags of the tests as numbered notes under the table: each distinct
// flag written once, the table's cell holding only its numbers.
void tests_section(std::ostream& o, const ReportInput& in) {
  o << "<section id=\"tests\">\n<h2>Tests and verdict</h2>\n";
  std::vector<std::string> notes;
  auto note_number = [&](const std::string& flag) {
    for (size_t i = 0; i < notes.size(); ++i)
      if (notes[i] == flag) return i + 1;
    notes.push_back(flag);
    return notes.size();
  };
  o << "<table id=\"test-table\">";
  header_row(o, {"null", "alternative", "statistic", "reference", "p", "notes"});
  o << "<tbody>\n";
  for (const TestRow& t : in.tests) {
    o << "<tr>" << text(t.null_model) << text(t.alternative) << num(t.statistic) << text(t.reference) << num(t.p)
      << "<td class=\"flags\">";
    size_t from = 0;
    bool first = true;
    while (from < t.flags.size()) {
      size_t end = t.flags.find("; ", from);
      if (end == std::string::npos) end = t.flags.size();
      const size_t n = note_number(t.flags.substr(from, end - from));
      o << (first ? "" : " ") << "<a href=\"#test-note-" << n << "\">[" << n << "]</a>";
      first = false;
      from = end + 2;
    }
    o << "</td></tr>\n";
  }
  o << "</tbody></table>\n";
  if (!notes.empty()) {
    o << "<ol class=\"test-notes\">\n";
    for (size_t i = 0; i < notes.size(); ++i)
      o << "<li id=\"test-note-" << i + 1 << "\">" << e(notes[i]) << "</li>\n";
    o << "</ol>\n";
  }
  if (!in.verdict.criteria.empty()) {
    o << "<p>The verdict (at the top of the page) applies three criteria at level "
      << format_number(in.verdict.alpha) << ":</p>\n<ul class=\"criteria\">\n";
    for (const Criterion& c : in.verdict.criteria)
      o << "<li class=\"" << (c.holds ? "holds" : "fails") << "\">" << e(c.text) << "</li>\n";
    o << "</ul>\n";
  }
  o << "</section>\n";
}

// The answer first: the verdict, the selected model's allele frequency and
// penetrances (or risks) with their intervals, and what to be wary of.
void summary_section(std::ostream& o, const ReportInput& in) {
  const PageSummary& s = in.summary;
  o << "<section id=\"summary\">\n<h2>Summary</h2>\n";
  o << "<div id=\"verdict\" class=\"verdict" << (s.major_gene ? " supported" : "") << "\">"
    << e(s.verdict.empty() ? in.verdict.text : s.verdict) << "</div>\n";
  if (!s.values.empty()) {
    o << "<table id=\"summary-table\" class=\"summary-values\">";
    header_row(o, {"", "estimate", "95% interval"});
    o << "<tbody>\n";
    for (const SummaryValue& v : s.values) {
      o << "<tr><th>" << e(v.name) << (v.meaning.empty() ? "" : " <span class=\"meaning\">" + e(v.meaning) + "</span>")
        << "</th>" << num(v.estimate) << "<td class=\"num\">";
      if (std::isnan(v.low) && std::isnan(v.high))
        o << "NA";
      else
        o << format_number(v.low) << " to " << format_number(v.high);
      o << "</td></tr>\n";
    }
    o << "</tbody></table>\n";
  }
  if (!s.model.empty() || !s.values_note.empty()) {
    o << "<p class=\"note\">";
    if (!s.model.empty()) o << "Under the selected model, " << e(s.model) << ".";
    if (!s.values_note.empty()) o << (s.model.empty() ? "" : " ") << e(s.values_note);
    o << "</p>\n";
  }
  if (!s.warnings.empty()) {
    o << "<ul class=\"warnings\">\n";
    for (const std::string& w : s.warnings) o << "<li>" << e(w) << "</li>\n";
    o << "</ul>\n";
  }
  o << "</section>\n";
}

void estimates_section(std::ostream& o, const ReportInput& in) {
  o << "<section id=\"estimates\">\n<h2>Estimates";
  if (!in.selected_model.empty()) o << " under " << e(in.selected_model);
  o << "</h2>\n<table id=\"estimate-table\">";
  header_row(o, {"parameter", "estimate", "SE", "95% interval low", "95% interval high", "status"});
  o << "<tbody>\n";
  // A missing value with a reason: NA, the reason as its tooltip and as a
  // numbered note under the table (a printed page has no tooltips).
  std::vector<std::string> reasons;
  auto cell = [&](double x, const std::string& why) {
    if (!std::isnan(x) || why.empty()) return num(x);
    auto it = std::find(reasons.begin(), reasons.end(), why);
    if (it == reasons.end()) it = reasons.insert(reasons.end(), why);
    const std::string n = std::to_string(it - reasons.begin() + 1);
    return "<td class=\"num missing\" title=\"" + e(why) + "\">NA<sup>" + n + "</sup></td>";
  };
  for (const EstimateRow& r : in.estimates)
    o << "<tr>" << text(r.parameter) << num(r.estimate) << cell(r.se, r.se_missing) << cell(r.ci_low, r.ci_missing)
      << cell(r.ci_high, r.ci_missing) << text(r.status) << "</tr>\n";
  o << "</tbody></table>\n";
  if (!reasons.empty()) {
    o << "<ol class=\"note missing-reasons\">\n";
    for (const std::string& why : reasons) o << "<li>" << e(why) << "</li>\n";
    o << "</ol>\n";
  }
  if (!in.second_maximum.empty()) o << "<p class=\"note second-maximum\">" << e(in.second_maximum) << "</p>\n";
  if (!in.profiles.empty()) {
    o << "<h3>Profile likelihoods</h3>\n<p class=\"note\">ln L maximised over the other parameters at each value; "
         "the dashed blue line is the estimate, the dashed red line the level 1.92 below the maximum whose "
         "crossings bound the 95% interval.</p>\n<div class=\"plots\">\n";
    int serial = 0;
    for (const ProfileCurve& c : in.profiles) o << profile_plot_svg(c, serial++);
    o << "</div>\n";
  }
  o << "</section>\n";
}

std::string risk_cell(const RiskValue& v) {
  std::string s = "<td class=\"num\">" + format_number(v.estimate);
  if (!std::isnan(v.low) || !std::isnan(v.high))
    s += "<br><span class=\"ci\">" + format_number(v.low) + " to " + format_number(v.high) + "</span>";
  return s + "</td>";
}

// Each genotype's risk by age (a run with ages at onset): the curves, one
// plot per sex, then the risks by the asked ages in a table.
void risks_section(std::ostream& o, const ReportInput& in) {
  const RiskSection& r = in.risks;
  if (r.panels.empty()) return;
  o << "<section id=\"risks\">\n<h2>Risk by age";
  if (!r.model.empty()) o << " under " << e(r.model);
  o << "</h2>\n";
  for (const std::string& n : r.notes) o << "<p class=\"note\">" << e(n) << "</p>\n";
  o << "<div class=\"plots\">\n";
  for (size_t i = 0; i < r.panels.size(); ++i) o << risk_plot_svg(r, i, static_cast<int>(i));
  o << "</div>\n";
  if (!r.rows.empty()) {
    o << "<table id=\"risk-table\"><thead><tr><th></th>";
    for (double a : r.table_ages) o << "<th>by " << format_number(a) << "</th>";
    o << "<th>lifetime</th><th>median age at onset</th></tr></thead>\n<tbody>\n";
    for (const RiskRow& row : r.rows) {
      o << "<tr>" << text(row.who);
      for (const RiskValue& v : row.by_age) o << risk_cell(v);
      o << risk_cell(row.lifetime) << risk_cell(row.median_onset) << "</tr>\n";
    }
    o << "</tbody></table>\n";
  }
  o << "</section>\n";
}

// The first kShownFamilies rows of the family table show; the others are
// folded under a button, and sorting (which sorts them all) shows the first
// rows of the new order.
constexpr size_t kShownFamilies = 20;

void families_section(std::ostream& o, const ReportInput& in) {
  o << "<section id=\"families\">\n<h2>Families</h2>\n<p class=\"note\">Each family's ln L under the selected "
       "Mendelian model and under the sporadic model, and log10 of their ratio: the families that most support "
       "a major gene come first. Click a header to sort.</p>\n";
  const bool fold = in.families.size() > kShownFamilies;
  o << "<div class=\"scroll\"><table id=\"family-table\" class=\"sortable\"";
  if (fold) o << " data-shown=\"" << kShownFamilies << "\"";
  o << ">";
  header_row(o, {"rank", "pedigree", "persons", "affected", "probands", "ln L Mendelian", "ln L sporadic",
                 "log10 ratio"});
  o << "<tbody>\n";
  size_t rank = 0;
  for (const FamilyRow& f : in.families) {
    const bool folded = rank >= kShownFamilies;
    ++rank;
    o << "<tr" << (folded ? " class=\"more\"" : "") << ">" << num(static_cast<int>(rank))
      << text(f.pedigree) << num(f.persons) << num(f.affected) << num(f.probands) << num(f.lnl_mendelian)
      << num(f.lnl_sporadic) << num(f.log10_ratio) << "</tr>\n";
  }
  o << "</tbody></table></div>\n";
  if (fold) {
    const size_t rest = in.families.size() - kShownFamilies;
    o << "<p><button type=\"button\" id=\"family-more\" data-more=\"Show the other " << rest
      << (rest == 1 ? " family" : " families") << "\" data-less=\"Show the first " << kShownFamilies
      << " only\">Show the other " << rest << (rest == 1 ? " family" : " families") << "</button></p>\n";
    o << "<p class=\"note print-only\">The first " << kShownFamilies << " of " << in.families.size()
      << " families" << (in.families_file.empty() ? "" : "; all of them in " + e(in.families_file)) << ".</p>\n";
  }
  o << "</section>\n";
}

// Wider than this, a drawing is printed on a page of its own, turned: about
// 1.4 times the width of a portrait A4 page's text (717 px at 96 to the
// inch), beyond which scaling it to a portrait page makes its labels too small.
constexpr double kOwnPageWidth = 1000;

void drawings_section(std::ostream& o, const ReportInput& in) {
  o << "<section id=\"pedigrees\">\n<h2>Pedigrees</h2>\n";
  if (!in.drawings.empty())
    o << "<p class=\"note screen-only\">Each drawing is scaled to the page's width; click it to see it at its "
         "own size (and scroll it sideways), click again to scale it back.</p>\n";
  o << pedigree_key_svg();
  for (const DrawingItem& d : in.drawings) {
    o << "<figure class=\"pedigree-figure" << (d.width > kOwnPageWidth ? " large" : "") << "\" data-pedigree=\""
      << e(d.pedigree) << "\"><figcaption>Pedigree " << e(d.pedigree);
    if (!d.caption.empty()) o << ": " << e(d.caption);
    if (d.folded > 0)
      o << "; " << e(persons(d.folded)) << " of unknown trait folded into the dashed stubs";
    if (d.unlinked > 0)
      o << "; " << e(persons(d.unlinked)) << " tied to no one else in the pedigree, drawn apart under the others";
    o << "</figcaption><div class=\"drawing\">" << d.svg << "</div></figure>\n";
  }
  o << "</section>\n";
}

}  // namespace

std::string html_page(const ReportInput& in) {
  std::ostringstream o;
  o << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
       // Nothing on this page is fetched: a policy that forbids it keeps it so.
       "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'; "
       "script-src 'unsafe-inline'; img-src data:\">\n"
    << "<title>" << e(in.title) << "</title>\n<style>" << kStyle << "</style>\n</head>\n<body>\n";
  o << "<h1>" << e(in.title) << "</h1>\n";
  if (!in.generated.empty()) o << "<p class=\"meta\">" << e(in.generated) << "</p>\n";
  if (!in.command.empty()) o << "<p class=\"meta\"><code>" << e(in.command) << "</code></p>\n";
  if (!in.version.empty()) o << "<p class=\"meta\">" << e(in.version) << "</p>\n";
  summary_section(o, in);
  data_section(o, in.data);
  models_section(o, in);
  tests_section(o, in);
  estimates_section(o, in);
  risks_section(o, in);
  families_section(o, in);
  drawings_section(o, in);
  o << "<script>" << kSortScript << "</script>\n</body>\n</html>\n";
  return o.str();
}

}  // namespace kinseg::report
