#include "report/profile_plot.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <vector>

#include "report/number_format.hpp"
#include "report/plot_axes.hpp"
#include "report/xml_text.hpp"

namespace kinseg::report {

namespace {

constexpr double kWidth = 340, kHeight = 240;
constexpr double kLeft = 78, kRight = 14, kTop = 30, kBottom = 44;

std::string c(double v) { return svg_coord(v); }

}  // namespace

std::string profile_plot_svg(const ProfileCurve& curve, int serial) {
  std::ostringstream o;
  const std::string name = xml_escape(curve.parameter);
  o << "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"profile\" data-parameter=\"" << name << "\" width=\""
    << kWidth << "\" height=\"" << kHeight << "\" viewBox=\"0 0 " << kWidth << " " << kHeight
    << "\" font-family=\"DejaVu Sans, Arial, Helvetica, sans-serif\" font-size=\"11\">\n";
  o << "<title>Profile likelihood of " << name << "</title>\n";
  o << "<text x=\"" << c(kLeft) << "\" y=\"18\" font-weight=\"bold\" font-size=\"13\">" << name << "</text>\n";
  const double pw = kWidth - kLeft - kRight, ph = kHeight - kTop - kBottom;
  o << "<rect x=\"" << c(kLeft) << "\" y=\"" << c(kTop) << "\" width=\"" << c(pw) << "\" height=\"" << c(ph)
    << "\" fill=\"#fff\" stroke=\"#555\"/>\n";

  std::vector<ProfilePoint> pts;
  for (const ProfilePoint& p : curve.points)
    if (std::isfinite(p.value) && std::isfinite(p.lnl)) pts.push_back(p);
  std::sort(pts.begin(), pts.end(), [](const ProfilePoint& a, const ProfilePoint& b) { return a.value < b.value; });
  if (pts.size() < 2 || pts.front().value == pts.back().value) {
    o << "<text x=\"" << c(kLeft + pw / 2) << "\" y=\"" << c(kTop + ph / 2)
      << "\" text-anchor=\"middle\" fill=\"#555\">no profile</text>\n</svg>\n";
    return o.str();
  }

  // Ranges: all the points across; from a little above the maximum down to
  // well below the 95% level (points further down are cut off).
  double x0 = pts.front().value, x1 = pts.back().value;
  for (double v : {curve.estimate, curve.ci_low, curve.ci_high})
    if (std::isfinite(v)) {
      x0 = std::min(x0, v);
      x1 = std::max(x1, v);
    }
  double top = curve.max_lnl, low_pt = pts.front().lnl;
  for (const ProfilePoint& p : pts) {
    top = std::max(top, p.lnl);
    low_pt = std::min(low_pt, p.lnl);
  }
  if (!std::isfinite(top)) top = pts.front().lnl;
  const double drop = std::isfinite(curve.cut_lnl) && curve.cut_lnl < top ? top - curve.cut_lnl : 1.92;
  double y0 = std::max(low_pt, top - 4 * drop);
  if (std::isfinite(curve.cut_lnl)) y0 = std::min(y0, curve.cut_lnl - 0.3 * drop);
  double y1 = top + 0.12 * (top - y0);
  if (y1 <= y0) y1 = y0 + 1;
  auto X = [&](double v) { return kLeft + (v - x0) / (x1 - x0) * pw; };
  auto Y = [&](double l) { return kTop + (y1 - l) / (y1 - y0) * ph; };

  double step;
  for (double t : axis_ticks(x0, x1, 5, step)) {
    o << "<line x1=\"" << c(X(t)) << "\" y1=\"" << c(kTop + ph) << "\" x2=\"" << c(X(t)) << "\" y2=\""
      << c(kTop + ph + 4) << "\" stroke=\"#555\"/><text x=\"" << c(X(t)) << "\" y=\"" << c(kTop + ph + 16)
      << "\" text-anchor=\"middle\">" << tick_text(t, step) << "</text>\n";
  }
  for (double t : axis_ticks(y0, y1, 4, step)) {
    o << "<line x1=\"" << c(kLeft - 4) << "\" y1=\"" << c(Y(t)) << "\" x2=\"" << c(kLeft) << "\" y2=\"" << c(Y(t))
      << "\" stroke=\"#555\"/><text x=\"" << c(kLeft - 6) << "\" y=\"" << c(Y(t) + 4)
      << "\" text-anchor=\"end\">" << tick_text(t, step) << "</text>\n";
  }
  o << "<text x=\"" << c(kLeft + pw / 2) << "\" y=\"" << c(kHeight - 8) << "\" text-anchor=\"middle\">" << name
    << "</text>\n";
  o << "<text x=\"12\" y=\"" << c(kTop + ph / 2) << "\" text-anchor=\"middle\" transform=\"rotate(-90 12 "
    << c(kTop + ph / 2) << ")\">ln L</text>\n";

  const std::string clip = "profile-clip-" + std::to_string(serial);
  o << "<clipPath id=\"" << clip << "\"><rect x=\"" << c(kLeft) << "\" y=\"" << c(kTop) << "\" width=\"" << c(pw)
    << "\" height=\"" << c(ph) << "\"/></clipPath>\n<g clip-path=\"url(#" << clip << ")\">\n";
  if (std::isfinite(curve.cut_lnl))
    o << "<line class=\"cut\" x1=\"" << c(kLeft) << "\" y1=\"" << c(Y(curve.cut_lnl)) << "\" x2=\"" << c(kLeft + pw)
      << "\" y2=\"" << c(Y(curve.cut_lnl)) << "\" stroke=\"#b22\" stroke-dasharray=\"5 3\"/>\n";
  if (std::isfinite(curve.estimate))
    o << "<line class=\"estimate\" x1=\"" << c(X(curve.estimate)) << "\" y1=\"" << c(kTop) << "\" x2=\""
      << c(X(curve.estimate)) << "\" y2=\"" << c(kTop + ph) << "\" stroke=\"#25a\" stroke-dasharray=\"2 2\"/>\n";
  o << "<polyline class=\"curve\" fill=\"none\" stroke=\"#000\" stroke-width=\"1.6\" points=\"";
  for (size_t i = 0; i < pts.size(); ++i) o << (i ? " " : "") << c(X(pts[i].value)) << "," << c(Y(pts[i].lnl));
  o << "\"/>\n";
  for (const ProfilePoint& p : pts)
    o << "<circle cx=\"" << c(X(p.value)) << "\" cy=\"" << c(Y(p.lnl)) << "\" r=\"1.8\" fill=\"#000\"/>";
  o << "\n";
  for (double v : {curve.ci_low, curve.ci_high})
    if (std::isfinite(v) && std::isfinite(curve.cut_lnl))
      o << "<line class=\"bound\" x1=\"" << c(X(v)) << "\" y1=\"" << c(Y(curve.cut_lnl) - 6) << "\" x2=\""
        << c(X(v)) << "\" y2=\"" << c(Y(curve.cut_lnl) + 6) << "\" stroke=\"#b22\" stroke-width=\"2\"/>\n";
  o << "</g>\n";
  // What the lines are.
  // The level's label at the end of its line farther from where the curve
  // crosses it, so that the curve does not run through it.
  if (std::isfinite(curve.cut_lnl)) {
    double left_room = pw, right_room = pw;
    for (double v : {curve.ci_low, curve.ci_high})
      if (std::isfinite(v)) {
        left_room = std::min(left_room, X(v) - kLeft);
        right_room = std::min(right_room, kLeft + pw - X(v));
      }
    const bool right = right_room >= left_room;
    o << "<text x=\"" << c(right ? kLeft + pw - 4 : kLeft + 4) << "\" y=\"" << c(Y(curve.cut_lnl) - 4)
      << "\" text-anchor=\"" << (right ? "end" : "start") << "\" fill=\"#b22\">95%</text>\n";
  }
  if (std::isfinite(curve.estimate))
    o << "<text x=\"" << c(kWidth - kRight) << "\" y=\"18\" text-anchor=\"end\" fill=\"#25a\">estimate "
      << format_number(curve.estimate) << "</text>\n";
  o << "</svg>\n";
  return o.str();
}

}  // namespace kinseg::report
