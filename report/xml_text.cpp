#include "report/xml_text.hpp"

namespace kinseg::report {

namespace {

const char kReplacement[] = "\xEF\xBF\xBD";

// Length of the valid UTF-8 sequence starting at s[i], or 0.
size_t utf8_length(const std::string& s, size_t i) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  size_t len;
  unsigned long cp;
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) {
    len = 2;
    cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3;
    cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4;
    cp = c & 0x07;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (size_t j = 1; j < len; ++j) {
    const unsigned char d = static_cast<unsigned char>(s[i + j]);
    if ((d & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (d & 0x3F);
  }
  // Overlong forms, surrogates, beyond U+10FFFF, and the two non-characters
  // XML excludes.
  if ((len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || (cp >= 0xD800 && cp <= 0xDFFF) ||
      cp > 0x10FFFF || cp == 0xFFFE || cp == 0xFFFF)
    return 0;
  return len;
}

}  // namespace

std::string xml_escape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const char c = text[i];
    const size_t len = utf8_length(text, i);
    if (len == 0) {
      out += kReplacement;
      ++i;
      continue;
    }
    if (len > 1) {
      out.append(text, i, len);
      i += len;
      continue;
    }
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
          out += kReplacement;
        else
          out += c;
    }
    ++i;
  }
  return out;
}

}  // namespace kinseg::report
