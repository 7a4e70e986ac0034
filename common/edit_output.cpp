#include "common/edit_output.hpp"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace kin {

namespace {

std::string stars(int w) { return std::string(static_cast<size_t>(w > 0 ? w : 0), '*'); }

std::string right(const std::string& s, int w) {
  if (static_cast<int>(s.size()) > w) return stars(w);
  return std::string(static_cast<size_t>(w) - s.size(), ' ') + s;
}

// Text of a non-finite value, right-justified, or asterisks.
std::string non_finite(double v, int w) {
  std::string s = std::isnan(v) ? "NaN" : (v < 0 ? "-Infinity" : "Infinity");
  if (static_cast<int>(s.size()) > w && !std::isnan(v)) s = v < 0 ? "-Inf" : "Inf";
  return right(s, w);
}

}  // namespace

std::string edit_I(long long v, int w) { return right(std::to_string(v), w); }

std::string edit_F(double v, int w, int d) {
  if (!std::isfinite(v)) return non_finite(v, w);
  std::vector<char> buf(static_cast<size_t>(d) + 400);
  std::snprintf(buf.data(), buf.size(), "%.*f", d, std::fabs(v));
  std::string s = buf.data();
  if (std::signbit(v)) s = "-" + s;
  if (static_cast<int>(s.size()) > w) {
    // The zero before the point is the first thing to give way.
    size_t z = (s[0] == '-') ? 1 : 0;
    if (s.compare(z, 2, "0.") == 0) s.erase(z, 1);
  }
  return right(s, w);
}

std::string edit_E(double v, int w, int d) {
  if (!std::isfinite(v)) return non_finite(v, w);
  if (d < 1) throw std::logic_error("E edit descriptor needs at least one digit");
  std::string digits;
  int exp10 = 0;
  if (v == 0.0) {
    digits.assign(static_cast<size_t>(d), '0');
  } else {
    // d significant digits of the exact binary value, rounded to nearest.
    std::vector<char> buf(static_cast<size_t>(d) + 32);
    std::snprintf(buf.data(), buf.size(), "%.*e", d - 1, std::fabs(v));
    std::string t = buf.data();
    size_t e = t.find('e');
    for (size_t k = 0; k < e; ++k)
      if (t[k] != '.') digits.push_back(t[k]);
    exp10 = std::atoi(t.c_str() + e + 1) + 1;
  }
  std::string ex;
  int ae = std::abs(exp10);
  char eb[16];
  if (ae <= 99) {
    std::snprintf(eb, sizeof eb, "E%c%02d", exp10 < 0 ? '-' : '+', ae);
  } else if (ae <= 999) {
    std::snprintf(eb, sizeof eb, "%c%03d", exp10 < 0 ? '-' : '+', ae);
  } else {
    return stars(w);
  }
  ex = eb;
  std::string s = std::string(std::signbit(v) ? "-" : "") + "0." + digits + ex;
  if (static_cast<int>(s.size()) > w) {
    size_t z = std::signbit(v) ? 1 : 0;
    s.erase(z, 1);  // leave out the zero before the point
  }
  return right(s, w);
}

std::string edit_A(std::string_view s, int w) {
  if (w < 0) return std::string(s);
  if (static_cast<int>(s.size()) >= w) return std::string(s.substr(0, static_cast<size_t>(w)));
  return std::string(static_cast<size_t>(w) - s.size(), ' ') + std::string(s);
}

namespace {

struct Item {
  enum Kind { kText, kSkip, kSlash, kI, kF, kE, kA } kind = kText;
  int repeat = 1;
  int w = -1;
  int d = 0;
  std::string text;
};

Item make_item(Item::Kind k) {
  Item it;
  it.kind = k;
  return it;
}

[[noreturn]] void bad_format(std::string_view f) {
  throw std::logic_error("bad edit-descriptor list: " + std::string(f));
}

std::vector<Item> parse(std::string_view f) {
  size_t a = f.find('(');
  size_t b = f.rfind(')');
  if (a == std::string_view::npos || b == std::string_view::npos || b < a) bad_format(f);
  std::string_view body = f.substr(a + 1, b - a - 1);
  std::vector<Item> items;
  size_t p = 0;
  auto number = [&](int& out) {
    size_t q = p;
    while (p < body.size() && std::isdigit(static_cast<unsigned char>(body[p]))) ++p;
    if (q == p) return false;
    out = std::atoi(std::string(body.substr(q, p - q)).c_str());
    return true;
  };
  while (p < body.size()) {
    char c = body[p];
    if (c == ' ' || c == ',') {
      ++p;
      continue;
    }
    if (c == '/') {
      items.push_back(make_item(Item::kSlash));
      ++p;
      continue;
    }
    if (c == '\'' || c == '"') {
      Item it = make_item(Item::kText);
      ++p;
      for (;;) {
        if (p >= body.size()) bad_format(f);
        if (body[p] == c) {
          if (p + 1 < body.size() && body[p + 1] == c) {
            it.text.push_back(c);
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        it.text.push_back(body[p++]);
      }
      items.push_back(it);
      continue;
    }
    int rep = 1;
    bool has_rep = number(rep);
    if (p >= body.size()) bad_format(f);
    char k = static_cast<char>(std::toupper(static_cast<unsigned char>(body[p++])));
    Item it = make_item(Item::kI);
    it.repeat = rep;
    switch (k) {
      case 'X':
        it.kind = Item::kSkip;
        it.w = has_rep ? rep : 1;
        it.repeat = 1;
        break;
      case 'I':
        it.kind = Item::kI;
        if (!number(it.w)) bad_format(f);
        break;
      case 'A':
        it.kind = Item::kA;
        if (!number(it.w)) it.w = -1;
        break;
      case 'F':
      case 'E':
        it.kind = (k == 'F') ? Item::kF : Item::kE;
        if (!number(it.w) || p >= body.size() || body[p] != '.') bad_format(f);
        ++p;
        if (!number(it.d)) bad_format(f);
        break;
      default:
        bad_format(f);
    }
    items.push_back(it);
  }
  return items;
}

bool needs_value(const Item& it) {
  return it.kind == Item::kI || it.kind == Item::kF || it.kind == Item::kE || it.kind == Item::kA;
}

std::string field(const Item& it, const EditValue& v, std::string_view f) {
  switch (it.kind) {
    case Item::kI:
      if (v.kind != EditValue::kInt) bad_format(f);
      return edit_I(v.i, it.w);
    case Item::kF:
      if (v.kind != EditValue::kReal) bad_format(f);
      return edit_F(v.r, it.w, it.d);
    case Item::kE:
      if (v.kind != EditValue::kReal) bad_format(f);
      return edit_E(v.r, it.w, it.d);
    case Item::kA:
      if (v.kind != EditValue::kText) bad_format(f);
      return edit_A(v.s, it.w);
    default:
      bad_format(f);
  }
}

}  // namespace

std::string edit(std::string_view format, std::initializer_list<EditValue> values) {
  const std::vector<Item> items = parse(format);
  bool any_data = false;
  for (const Item& it : items) any_data = any_data || needs_value(it);
  if (!any_data && values.size() != 0) bad_format(format);

  std::string out;
  std::string line;
  int blanks = 0;  // blanks of nX not yet written: written only when something follows
  const EditValue* v = values.begin();
  const EditValue* end = values.end();
  for (;;) {
    for (const Item& it : items) {
      switch (it.kind) {
        case Item::kText:
          line.append(static_cast<size_t>(blanks), ' ');
          blanks = 0;
          line += it.text;
          break;
        case Item::kSkip:
          blanks += it.w;
          break;
        case Item::kSlash:
          out += line;
          out += '\n';
          line.clear();
          blanks = 0;
          break;
        default:
          for (int r = 0; r < it.repeat; ++r) {
            if (v == end) goto done;
            line.append(static_cast<size_t>(blanks), ' ');
            blanks = 0;
            line += field(it, *v++, format);
          }
      }
    }
    if (v == end) break;
    // Values remain: a new line, from the beginning of the list.
    out += line;
    out += '\n';
    line.clear();
    blanks = 0;
  }
done:
  out += line;
  out += '\n';
  return out;
}

}  // namespace kin
