#include "report/pedigree_svg.hpp"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "report/number_format.hpp"
#include "report/xml_text.hpp"

namespace kinseg::report {

namespace {

// A coordinate: two decimals at most, no trailing zeros.
std::string c(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", v);
  std::string s = text;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  if (s == "-0") s = "0";
  return s;
}

const char* kind_class(LineKind k) {
  switch (k) {
    case LineKind::kMarriage: return "marriage";
    case LineKind::kDescent: return "descent";
    case LineKind::kSibship: return "sibship";
    case LineKind::kDrop: return "drop";
    case LineKind::kPassThrough: return "pass";
  }
  return "line";
}

void symbol(std::ostream& o, SymbolShape shape, double x, double y, double s, const char* fill) {
  const char* stroke = "stroke=\"#000\" stroke-width=\"1.5\"";
  switch (shape) {
    case SymbolShape::kSquare:
      o << "<rect class=\"symbol\" x=\"" << c(x - s / 2) << "\" y=\"" << c(y - s / 2) << "\" width=\"" << c(s)
        << "\" height=\"" << c(s) << "\" fill=\"" << fill << "\" " << stroke << "/>";
      break;
    case SymbolShape::kCircle:
      o << "<circle class=\"symbol\" cx=\"" << c(x) << "\" cy=\"" << c(y) << "\" r=\"" << c(s / 2) << "\" fill=\""
        << fill << "\" " << stroke << "/>";
      break;
    case SymbolShape::kDiamond:
      o << "<polygon class=\"symbol\" points=\"" << c(x) << "," << c(y - s / 2) << " " << c(x + s / 2) << ","
        << c(y) << " " << c(x) << "," << c(y + s / 2) << " " << c(x - s / 2) << "," << c(y) << "\" fill=\""
        << fill << "\" " << stroke << "/>";
      break;
  }
}

void arrow(std::ostream& o, double tx, double ty, double hx, double hy, double s) {
  const double dx = hx - tx, dy = hy - ty, len = std::hypot(dx, dy);
  const double ux = dx / len, uy = dy / len, head = 0.24 * s, wing = 0.11 * s;
  const double bx = hx - ux * head, by = hy - uy * head;
  o << "<line x1=\"" << c(tx) << "\" y1=\"" << c(ty) << "\" x2=\"" << c(bx) << "\" y2=\"" << c(by)
    << "\" stroke=\"#000\" stroke-width=\"1.5\"/>";
  o << "<polygon class=\"arrowhead\" points=\"" << c(hx) << "," << c(hy) << " " << c(bx - uy * wing) << ","
    << c(by + ux * wing) << " " << c(bx + uy * wing) << "," << c(by - ux * wing) << "\" fill=\"#000\"/>";
}

std::string trait_words(int8_t trait) {
  if (trait == kAffected) return "affected";
  if (trait == kUnaffected) return "unaffected";
  return "trait unknown";
}

std::string sex_words(SymbolShape shape) {
  if (shape == SymbolShape::kSquare) return "male";
  if (shape == SymbolShape::kCircle) return "female";
  return "sex unknown";
}

}  // namespace

std::string pedigree_svg(const PedigreeLayout& L) {
  std::ostringstream o;
  const std::string id = xml_escape(L.pedigree_id);
  const double s = L.symbol, fs = L.font;
  // The viewBox holds the drawing's own coordinates; width and height are
  // the size it is shown at, so that a page can scale it to its width.
  o << "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"pedigree\" data-pedigree=\"" << id << "\" width=\""
    << c(L.width * L.scale) << "\" height=\"" << c(L.height * L.scale) << "\" viewBox=\"0 0 " << c(L.width) << " "
    << c(L.height)
    << "\" font-family=\"DejaVu Sans, Arial, Helvetica, sans-serif\" font-size=\"" << c(fs) << "\">\n";
  o << "<title>Pedigree " << id << "</title>\n";
  o << "<rect x=\"0\" y=\"0\" width=\"" << c(L.width) << "\" height=\"" << c(L.height) << "\" fill=\"#fff\"/>\n";
  o << "<text class=\"caption\" x=\"" << c(0.6 * s) << "\" y=\"" << c(0.6 * s + 1.3 * fs)
    << "\" font-weight=\"bold\">Pedigree " << id << "</text>\n";
  if (L.carriers)
    o << "<text class=\"caption\" x=\"" << c(0.6 * s) << "\" y=\"" << c(0.6 * s + 2.6 * fs) << "\" fill=\"#444\">"
      << kCarrierNote << "</text>\n";
  if (L.unlinked > 0)
    o << "<text class=\"caption unlinked\" x=\"" << c(0.6 * s) << "\" y=\"" << c(L.unlinked_caption_y)
      << "\" fill=\"#444\">" << kUnlinkedNote << "</text>\n";

  o << "<g class=\"lines\" stroke=\"#000\" stroke-width=\"1.3\" fill=\"none\">\n";
  for (const LineSegment& l : L.lines)
    o << "<line class=\"" << kind_class(l.kind) << "\" x1=\"" << c(l.x1) << "\" y1=\"" << c(l.y1) << "\" x2=\""
      << c(l.x2) << "\" y2=\"" << c(l.y2) << "\"/>\n";
  o << "</g>\n";

  for (const PlacedPerson& p : L.persons) {
    const std::string pid = xml_escape(p.id);
    if (p.folded > 0) {
      // A stub: a dashed diamond with the number of persons it stands for.
      o << "<g class=\"person\" data-id=\"" << pid << "\" data-folded=\"" << p.folded << "\"><title>" << p.folded
        << (p.folded == 1 ? " person" : " persons")
        << " folded: a branch in which nobody's trait is known</title>";
      o << "<polygon class=\"symbol\" points=\"" << c(p.x) << "," << c(p.y - s / 2) << " " << c(p.x + s / 2) << ","
        << c(p.y) << " " << c(p.x) << "," << c(p.y + s / 2) << " " << c(p.x - s / 2) << "," << c(p.y)
        << "\" fill=\"#f4f4f4\" stroke=\"#555\" stroke-width=\"1.2\" stroke-dasharray=\"3 2\"/>";
      o << "<text class=\"count\" x=\"" << c(p.x) << "\" y=\"" << c(p.y + 0.3 * fs) << "\" text-anchor=\"middle\">"
        << p.folded << "</text>";
      o << "<text class=\"id\" x=\"" << c(p.x) << "\" y=\"" << c(p.label_baselines[0])
        << "\" text-anchor=\"middle\" fill=\"#555\">folded</text></g>\n";
      continue;
    }
    o << "<g class=\"person\" data-id=\"" << pid << "\"" << (p.unlinked ? " data-unlinked=\"1\"" : "") << ">";
    o << "<title>" << pid << ": " << sex_words(p.shape) << ", " << trait_words(p.trait)
      << (p.proband ? ", proband" : "") << (p.unlinked ? ", tied to no one else in the pedigree" : "");
    if (!std::isnan(p.carrier))
      o << "; probability of carrying at least one copy of the risk allele " << format_number(p.carrier);
    o << "</title>";
    symbol(o, p.shape, p.x, p.y, s, p.trait == kAffected ? "#000" : "#fff");
    if (p.trait != kAffected && p.trait != kUnaffected)
      o << "<text class=\"unknown\" x=\"" << c(p.x) << "\" y=\"" << c(p.y + 0.22 * s) << "\" font-size=\""
        << c(0.6 * s) << "\" text-anchor=\"middle\" font-weight=\"bold\">?</text>";
    for (size_t i = 0; i < p.labels.size(); ++i) {
      if (p.labels[i].empty()) continue;
      o << "<text class=\"" << (i == 0 ? "id" : "carrier") << "\" x=\"" << c(p.x) << "\" y=\""
        << c(p.label_baselines[i]) << "\" text-anchor=\"middle\"" << (i == 0 ? "" : " fill=\"#333\"") << ">"
        << xml_escape(p.labels[i]) << "</text>";
    }
    o << "</g>\n";
  }
  for (const ProbandArrow& a : L.arrows) {
    o << "<g class=\"arrow\" data-id=\"" << xml_escape(L.persons[static_cast<size_t>(a.member)].id) << "\">";
    arrow(o, a.tail_x, a.tail_y, a.tip_x, a.tip_y, s);
    o << "</g>\n";
  }
  o << "</svg>\n";
  return o.str();
}

std::string draw_pedigree(const Sample& sample, int k, const std::vector<double>& carrier,
                          const DrawingOptions& options) {
  return pedigree_svg(pedigree_layout(sample, k, carrier, options));
}

std::string pedigree_key_svg() {
  const double s = 18, fs = 12;
  std::ostringstream o;
  double x = 14;
  const double y = 17;
  auto item = [&](SymbolShape shape, const char* fill, bool unknown, const char* words) {
    symbol(o, shape, x, y, s, fill);
    if (unknown)
      o << "<text x=\"" << c(x) << "\" y=\"" << c(y + 0.22 * s) << "\" font-size=\"" << c(0.6 * s)
        << "\" text-anchor=\"middle\" font-weight=\"bold\">?</text>";
    o << "<text x=\"" << c(x + 0.8 * s) << "\" y=\"" << c(y + 0.35 * fs) << "\">" << words << "</text>\n";
    x += 0.8 * s + 0.62 * fs * static_cast<double>(std::string(words).size()) + 18;
  };
  item(SymbolShape::kSquare, "#fff", false, "male");
  item(SymbolShape::kCircle, "#fff", false, "female");
  item(SymbolShape::kDiamond, "#fff", false, "sex unknown");
  item(SymbolShape::kSquare, "#000", false, "affected");
  item(SymbolShape::kSquare, "#fff", false, "unaffected");
  item(SymbolShape::kSquare, "#fff", true, "trait unknown");
  symbol(o, SymbolShape::kSquare, x + 0.9 * s, y - 2, s * 0.8, "#fff");
  arrow(o, x, y + 0.45 * s, x + 0.9 * s - 0.46 * s, y - 2 + 0.46 * s, s);
  o << "<text x=\"" << c(x + 1.6 * s) << "\" y=\"" << c(y + 0.35 * fs) << "\">proband</text>\n";
  x += 1.6 * s + 0.62 * fs * 7 + 18;
  o << "<line x1=\"" << c(x) << "\" y1=\"" << c(y - 2) << "\" x2=\"" << c(x + 28) << "\" y2=\"" << c(y - 2)
    << "\" stroke=\"#000\" stroke-width=\"1.3\"/><line x1=\"" << c(x) << "\" y1=\"" << c(y + 2) << "\" x2=\""
    << c(x + 28) << "\" y2=\"" << c(y + 2) << "\" stroke=\"#000\" stroke-width=\"1.3\"/>";
  o << "<text x=\"" << c(x + 34) << "\" y=\"" << c(y + 0.35 * fs) << "\">consanguineous couple</text>\n";
  const double width = x + 34 + 0.62 * fs * 21 + 14;
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"pedigree-key\" width=\"" + c(width) +
         "\" height=\"34\" viewBox=\"0 0 " + c(width) +
         " 34\" font-family=\"DejaVu Sans, Arial, Helvetica, sans-serif\" font-size=\"" + c(fs) +
         "\">\n<title>Key to the pedigree drawings</title>\n" + o.str() + "</svg>\n";
}

}  // namespace kinseg::report
