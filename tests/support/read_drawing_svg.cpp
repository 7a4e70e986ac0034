// Reading back a pedigree drawing from the SVG that pedigree_svg() writes:
// its person groups, lines and arrows, as coordinates for the drawing checks.
// Only the elements and attributes that writer uses are understood.
#include <cctype>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/drawing_checks.hpp"

namespace kinseg::report {

namespace {

std::string unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '&') {
      out += s[i];
      continue;
    }
    const size_t end = s.find(';', i);
    if (end == std::string::npos) throw std::invalid_argument("a bad character reference in the SVG");
    const std::string name = s.substr(i + 1, end - i - 1);
    if (name == "amp") out += '&';
    else if (name == "lt") out += '<';
    else if (name == "gt") out += '>';
    else if (name == "quot") out += '"';
    else if (name == "apos" || name == "#39") out += '\'';
    else throw std::invalid_argument("an unexpected character reference &" + name + "; in the SVG");
    i = end;
  }
  return out;
}

struct Tag {
  std::string name;
  bool closing = false, empty = false;
  std::map<std::string, std::string> attr;

  const std::string& get(const std::string& key) const {
    auto it = attr.find(key);
    if (it == attr.end()) throw std::invalid_argument("<" + name + "> without " + key + " in the SVG");
    return it->second;
  }
  double number(const std::string& key) const {
    const std::string& v = get(key);
    char* end = nullptr;
    const double x = std::strtod(v.c_str(), &end);
    if (end == v.c_str() || *end != '\0') throw std::invalid_argument("<" + name + "> " + key + "=\"" + v + "\"");
    return x;
  }
  std::string cls() const {
    auto it = attr.find("class");
    return it == attr.end() ? "" : it->second;
  }
};

Tag parse_tag(const std::string& text) {
  Tag t;
  size_t i = 0;
  if (i < text.size() && text[i] == '/') {
    t.closing = true;
    ++i;
  }
  while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])) && text[i] != '/') t.name += text[i++];
  while (i < text.size()) {
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i >= text.size()) break;
    if (text[i] == '/') {
      t.empty = true;
      ++i;
      continue;
    }
    std::string key;
    while (i < text.size() && text[i] != '=' && !std::isspace(static_cast<unsigned char>(text[i]))) key += text[i++];
    if (i >= text.size() || text[i] != '=' || i + 1 >= text.size() || (text[i + 1] != '"' && text[i + 1] != '\''))
      throw std::invalid_argument("an attribute without a quoted value in <" + t.name + ">");
    const char quote = text[i + 1];
    const size_t end = text.find(quote, i + 2);
    if (end == std::string::npos) throw std::invalid_argument("an unclosed attribute in <" + t.name + ">");
    t.attr[key] = unescape(text.substr(i + 2, end - i - 2));
    i = end + 1;
  }
  return t;
}

std::vector<double> numbers(const std::string& points) {
  std::vector<double> v;
  const char* p = points.c_str();
  while (*p) {
    if (*p == ',' || std::isspace(static_cast<unsigned char>(*p))) {
      ++p;
      continue;
    }
    char* end = nullptr;
    v.push_back(std::strtod(p, &end));
    if (end == p) throw std::invalid_argument("bad points \"" + points + "\" in the SVG");
    p = end;
  }
  return v;
}

LineKind kind_of(const std::string& cls) {
  if (cls == "marriage") return LineKind::kMarriage;
  if (cls == "descent") return LineKind::kDescent;
  if (cls == "sibship") return LineKind::kSibship;
  if (cls == "drop") return LineKind::kDrop;
  if (cls == "pass") return LineKind::kPassThrough;
  throw std::invalid_argument("a line of unknown class \"" + cls + "\" in the SVG");
}

}  // namespace

Drawing read_drawing_svg(const std::string& svg) {
  Drawing d;
  struct Group {
    std::string cls, id;
  };
  std::vector<Group> groups;
  bool seen_svg = false;
  size_t i = 0;
  while ((i = svg.find('<', i)) != std::string::npos) {
    if (svg.compare(i, 4, "<!--") == 0) {
      i = svg.find("-->", i);
      if (i == std::string::npos) throw std::invalid_argument("an unclosed comment in the SVG");
      continue;
    }
    const size_t end = svg.find('>', i);
    if (end == std::string::npos) throw std::invalid_argument("an unclosed tag in the SVG");
    const std::string text = svg.substr(i + 1, end - i - 1);
    i = end + 1;
    if (text.empty() || text[0] == '?' || text[0] == '!') continue;
    const Tag t = parse_tag(text);
    if (t.name == "svg" && !t.closing) seen_svg = true;
    if (t.name == "g") {
      if (t.closing) {
        if (groups.empty()) throw std::invalid_argument("</g> without <g> in the SVG");
        groups.pop_back();
      } else if (!t.empty) {
        Group g{t.cls(), ""};
        if (g.cls == "person" || g.cls == "arrow") g.id = t.get("data-id");
        if (g.cls == "arrow") d.arrows.push_back(DrawnArrow{g.id, 0, 0, 0, 0});
        groups.push_back(g);
      }
      continue;
    }
    if (t.closing || groups.empty()) continue;
    const Group& g = groups.back();
    if (g.cls == "person" && t.cls() == "symbol") {
      DrawnSymbol s;
      s.id = g.id;
      if (t.name == "rect") {
        s.shape = SymbolShape::kSquare;
        s.size = t.number("width");
        s.x = t.number("x") + 0.5 * s.size;
        s.y = t.number("y") + 0.5 * t.number("height");
      } else if (t.name == "circle") {
        s.shape = SymbolShape::kCircle;
        s.size = 2 * t.number("r");
        s.x = t.number("cx");
        s.y = t.number("cy");
      } else if (t.name == "polygon") {
        // top, right, bottom, left
        const std::vector<double> p = numbers(t.get("points"));
        if (p.size() != 8) throw std::invalid_argument("a diamond without four corners in the SVG");
        s.shape = SymbolShape::kDiamond;
        s.x = p[0];
        s.y = p[3];
        s.size = p[5] - p[1];
      } else {
        throw std::invalid_argument("a symbol drawn as <" + t.name + "> in the SVG");
      }
      d.symbols.push_back(s);
    } else if (g.cls == "lines" && t.name == "line") {
      d.lines.push_back(LineSegment{t.number("x1"), t.number("y1"), t.number("x2"), t.number("y2"), kind_of(t.cls())});
    } else if (g.cls == "arrow" && t.name == "line") {
      d.arrows.back().tail_x = t.number("x1");
      d.arrows.back().tail_y = t.number("y1");
    } else if (g.cls == "arrow" && t.cls() == "arrowhead") {
      const std::vector<double> p = numbers(t.get("points"));
      if (p.size() < 2) throw std::invalid_argument("an arrowhead without points in the SVG");
      d.arrows.back().tip_x = p[0];
      d.arrows.back().tip_y = p[1];
    }
  }
  if (!seen_svg) throw std::invalid_argument("no <svg> element");
  return d;
}

}  // namespace kinseg::report
