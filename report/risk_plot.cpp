#include "report/risk_plot.hpp"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <vector>

#include "report/number_format.hpp"
#include "report/plot_axes.hpp"
#include "report/xml_text.hpp"

namespace kinseg::report {

namespace {

constexpr double kWidth = 560, kHeight = 360;
constexpr double kLeft = 62, kRight = 16, kTop = 30, kBottom = 46;
constexpr double kPlotWidth = kWidth - kLeft - kRight, kPlotHeight = kHeight - kTop - kBottom;
constexpr double kLegendRow = 16;  // the legend's rows, under the axis's label

std::string c(double v) { return svg_coord(v); }

struct Style {
  const char* colour;
  const char* dash;  // empty: solid
};

// The curve of highest risk first (genotype 1) in red and solid, the lowest
// (genotype 3) in blue and dashed, a middle one in orange with longer dashes:
// told apart in colour and, printed in grey, by their dashes.
Style style_of(size_t index, size_t count) {
  if (count == 1) return {"#111", ""};
  if (index == 0) return {"#b22", ""};
  if (index + 1 == count) return {"#25a", "6 3"};
  return {"#c60", "2 3"};
}

// The top of the risk axis: the smallest round value above every curve and
// band, the same for every panel; 1 when the bands reach that high.
double risk_axis_top(const RiskSection& s) {
  double high = 0;
  for (const RiskPanel& p : s.panels)
    for (const RiskCurve& curve : p.curves)
      for (const RiskPoint& pt : curve.points)
        for (double v : {pt.risk, pt.high})
          if (std::isfinite(v)) high = std::max(high, v);
  for (double top : {0.05, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.8})
    if (high <= top) return top;
  return 1;
}

struct Range {
  double lo = 0, hi = 0;
};

Range age_range(const RiskSection& s) {
  Range r{INFINITY, -INFINITY};
  for (const RiskPanel& p : s.panels)
    for (const RiskCurve& curve : p.curves)
      for (const RiskPoint& pt : curve.points)
        if (std::isfinite(pt.age)) {
          r.lo = std::min(r.lo, pt.age);
          r.hi = std::max(r.hi, pt.age);
        }
  if (!(r.lo < r.hi)) r = {std::isfinite(r.lo) ? r.lo - 1 : 0, std::isfinite(r.lo) ? r.lo + 1 : 1};
  return r;
}

bool has_band(const RiskCurve& curve) {
  for (const RiskPoint& p : curve.points)
    if (std::isfinite(p.low) && std::isfinite(p.high)) return true;
  return false;
}

}  // namespace

std::string risk_plot_svg(const RiskSection& section, size_t panel_index, int serial) {
  std::ostringstream o;
  const RiskPanel& panel = section.panels.at(panel_index);
  const std::string title = panel.title.empty() ? "risk by age" : panel.title;
  size_t legend_rows = panel.curves.size();
  for (const RiskCurve& curve : panel.curves)
    if (has_band(curve)) {
      ++legend_rows;
      break;
    }
  const double height = kHeight + kLegendRow * static_cast<double>(legend_rows) + 6;
  o << "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"risks\" data-panel=\"" << xml_escape(panel.title)
    << "\" width=\"" << kWidth << "\" height=\"" << c(height) << "\" viewBox=\"0 0 " << kWidth << " " << c(height)
    << "\" font-family=\"DejaVu Sans, Arial, Helvetica, sans-serif\" font-size=\"11\">\n";
  o << "<title>Risk by age under " << xml_escape(section.model) << (panel.title.empty() ? "" : ": ")
    << xml_escape(panel.title) << "</title>\n";
  o << "<text x=\"" << c(kLeft) << "\" y=\"18\" font-weight=\"bold\" font-size=\"13\">" << xml_escape(title)
    << "</text>\n";
  o << "<rect x=\"" << c(kLeft) << "\" y=\"" << c(kTop) << "\" width=\"" << c(kPlotWidth) << "\" height=\""
    << c(kPlotHeight) << "\" fill=\"#fff\" stroke=\"#555\"/>\n";

  const Range ages = age_range(section);
  const double top = risk_axis_top(section);
  auto X = [&](double a) { return kLeft + (a - ages.lo) / (ages.hi - ages.lo) * kPlotWidth; };
  auto Y = [&](double r) { return kTop + (top - r) / top * kPlotHeight; };

  // The grid and the ticks: ages every 10 years (5 over a short range),
  // risks at a round step.
  double step = ages.hi - ages.lo > 40 ? 10 : 5;
  for (double t = std::ceil(ages.lo / step) * step; t <= ages.hi + 1e-9; t += step)
    o << "<g class=\"x-tick\"><line x1=\"" << c(X(t)) << "\" y1=\"" << c(kTop) << "\" x2=\"" << c(X(t))
      << "\" y2=\"" << c(kTop + kPlotHeight + 4) << "\" stroke=\"#e2e2e2\"/><text x=\"" << c(X(t)) << "\" y=\""
      << c(kTop + kPlotHeight + 16) << "\" text-anchor=\"middle\">" << tick_text(t, step) << "</text></g>\n";
  for (double t : axis_ticks(0, top, 5, step))
    o << "<g class=\"y-tick\"><line x1=\"" << c(kLeft - 4) << "\" y1=\"" << c(Y(t)) << "\" x2=\""
      << c(kLeft + kPlotWidth) << "\" y2=\"" << c(Y(t)) << "\" stroke=\"#e2e2e2\"/><text x=\"" << c(kLeft - 6)
      << "\" y=\"" << c(Y(t) + 4) << "\" text-anchor=\"end\">" << tick_text(t, step) << "</text></g>\n";
  o << "<rect x=\"" << c(kLeft) << "\" y=\"" << c(kTop) << "\" width=\"" << c(kPlotWidth) << "\" height=\""
    << c(kPlotHeight) << "\" fill=\"none\" stroke=\"#555\"/>\n";
  o << "<text x=\"" << c(kLeft + kPlotWidth / 2) << "\" y=\"" << c(kHeight - 10)
    << "\" text-anchor=\"middle\">age (years)</text>\n";
  o << "<text x=\"14\" y=\"" << c(kTop + kPlotHeight / 2) << "\" text-anchor=\"middle\" transform=\"rotate(-90 14 "
    << c(kTop + kPlotHeight / 2) << ")\">probability of having fallen ill by that age</text>\n";

  const std::string clip = "risk-clip-" + std::to_string(serial);
  o << "<clipPath id=\"" << clip << "\"><rect x=\"" << c(kLeft) << "\" y=\"" << c(kTop) << "\" width=\""
    << c(kPlotWidth) << "\" height=\"" << c(kPlotHeight) << "\"/></clipPath>\n<g clip-path=\"url(#" << clip
    << ")\">\n";
  for (double a : section.table_ages)
    if (a >= ages.lo && a <= ages.hi)
      o << "<line class=\"marked\" x1=\"" << c(X(a)) << "\" y1=\"" << c(kTop) << "\" x2=\"" << c(X(a))
        << "\" y2=\"" << c(kTop + kPlotHeight) << "\" stroke=\"#999\" stroke-dasharray=\"1 3\"/>\n";

  // The bands under every curve, then the curves over them.
  const size_t n = panel.curves.size();
  for (size_t i = 0; i < n; ++i) {
    const RiskCurve& curve = panel.curves[i];
    if (!has_band(curve)) continue;
    std::vector<const RiskPoint*> pts;
    for (const RiskPoint& p : curve.points)
      if (std::isfinite(p.age) && std::isfinite(p.low) && std::isfinite(p.high)) pts.push_back(&p);
    o << "<polygon class=\"band\" data-genotype=\"" << curve.genotype << "\" fill=\"" << style_of(i, n).colour
      << "\" fill-opacity=\"0.15\" stroke=\"none\" points=\"";
    for (size_t k = 0; k < pts.size(); ++k) o << (k ? " " : "") << c(X(pts[k]->age)) << "," << c(Y(pts[k]->low));
    for (size_t k = pts.size(); k-- > 0;) o << " " << c(X(pts[k]->age)) << "," << c(Y(pts[k]->high));
    o << "\"/>\n";
  }
  for (size_t i = 0; i < n; ++i) {
    const RiskCurve& curve = panel.curves[i];
    const Style st = style_of(i, n);
    o << "<polyline class=\"risk\" data-genotype=\"" << curve.genotype << "\" fill=\"none\" stroke=\"" << st.colour
      << "\" stroke-width=\"2\"" << (*st.dash ? std::string(" stroke-dasharray=\"") + st.dash + "\"" : "")
      << " points=\"";
    bool first = true;
    for (const RiskPoint& p : curve.points)
      if (std::isfinite(p.age) && std::isfinite(p.risk)) {
        o << (first ? "" : " ") << c(X(p.age)) << "," << c(Y(p.risk));
        first = false;
      }
    o << "\"/>\n";
    for (const RiskPoint& p : curve.points)
      if (std::find(section.table_ages.begin(), section.table_ages.end(), p.age) != section.table_ages.end() &&
          std::isfinite(p.risk))
        o << "<circle cx=\"" << c(X(p.age)) << "\" cy=\"" << c(Y(p.risk)) << "\" r=\"2.6\" fill=\"" << st.colour
          << "\"/>";
    o << "\n";
  }
  o << "</g>\n";
  // The asked ages over the frame's top edge.
  for (double a : section.table_ages)
    if (a >= ages.lo && a <= ages.hi)
      o << "<text class=\"marked-age\" x=\"" << c(X(a)) << "\" y=\"" << c(kTop - 3)
        << "\" text-anchor=\"middle\" fill=\"#555\" font-size=\"10\">" << format_number(a) << "</text>\n";

  // The legend under the plot, where no curve can run through it: one line
  // per genotype, and the band's shade.
  bool any_band = false;
  for (const RiskCurve& curve : panel.curves) any_band = any_band || has_band(curve);
  o << "<g class=\"legend\">\n";
  const double lx = kLeft;
  for (size_t i = 0; i < n; ++i) {
    const RiskCurve& curve = panel.curves[i];
    const Style st = style_of(i, n);
    const double y = kHeight + kLegendRow * (static_cast<double>(i) + 0.5);
    o << "<line x1=\"" << c(lx) << "\" y1=\"" << c(y) << "\" x2=\"" << c(lx + 24) << "\" y2=\"" << c(y)
      << "\" stroke=\"" << st.colour << "\" stroke-width=\"2\""
      << (*st.dash ? std::string(" stroke-dasharray=\"") + st.dash + "\"" : "") << "/><text x=\"" << c(lx + 30)
      << "\" y=\"" << c(y + 4) << "\"><tspan font-weight=\"bold\">" << xml_escape(curve.label) << "</tspan>"
      << (curve.meaning.empty() ? "" : ": " + xml_escape(curve.meaning)) << "</text>\n";
  }
  if (any_band) {
    const double y = kHeight + kLegendRow * (static_cast<double>(n) + 0.5);
    o << "<rect x=\"" << c(lx) << "\" y=\"" << c(y - 5) << "\" width=\"24\" height=\"10\" fill=\"#777\" "
         "fill-opacity=\"0.2\"/><text x=\""
      << c(lx + 30) << "\" y=\"" << c(y + 4) << "\">95% interval (shaded)</text>\n";
  }
  o << "</g>\n</svg>\n";
  return o.str();
}

}  // namespace kinseg::report
