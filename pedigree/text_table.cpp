#include "pedigree/text_table.hpp"

#include <utility>

namespace kinseg {

const char* separator_name(Separator s) {
  switch (s) {
    case Separator::kComma: return "comma";
    case Separator::kSemicolon: return "semicolon";
    case Separator::kTab: return "tab";
    case Separator::kBlanks: return "blanks";
  }
  return "?";
}

bool parse_separator(std::string_view t, Separator& s) {
  if (t == "comma" || t == ",") s = Separator::kComma;
  else if (t == "semicolon" || t == ";") s = Separator::kSemicolon;
  else if (t == "tab" || t == "\t" || t == "\\t") s = Separator::kTab;
  else if (t == "blanks" || t == "blank" || t == "space" || t == "whitespace" || t == " ") s = Separator::kBlanks;
  else return false;
  return true;
}

namespace {

char sep_char(Separator s) {
  switch (s) {
    case Separator::kComma: return ',';
    case Separator::kSemicolon: return ';';
    case Separator::kTab: return '\t';
    case Separator::kBlanks: return ' ';
  }
  return ' ';
}

bool blank(char c) { return c == ' ' || c == '\t'; }

// The position after the line end at e (LF, CR LF or CR), or e at the end.
size_t after_line_end(const std::string& t, size_t e) {
  if (e < t.size() && t[e] == '\r') ++e;
  else if (e < t.size() && t[e] == '\n') return e + 1;
  if (e < t.size() && t[e] == '\n') ++e;
  return e;
}

// Cuts the line text[b, e) into fields, unquoting quoted fields in place.
// Returns false when a quoted field is not closed before the line's end.
bool cut(char* text, size_t b, size_t e, Separator sep, std::vector<std::string_view>& fields) {
  fields.clear();
  bool closed = true;
  const bool runs = sep == Separator::kBlanks;
  const char sc = sep_char(sep);
  // In a table cut by tabs a tab is a separator, never blank padding.
  auto pad = [&](char c) { return c == ' ' || (c == '\t' && sep != Separator::kTab); };
  size_t i = b;
  while (true) {
    while (i < e && pad(text[i])) ++i;
    if (runs && i >= e) break;
    size_t start = i, w = i, keep = i;  // blanks before `keep` are the field's own
    if (i < e && text[i] == '"') {
      // A quoted field: copied onto itself without its quotes; what follows
      // the closing quote up to the separator belongs to the field too.
      start = w = ++i;
      bool in_quotes = true;
      while (i < e) {
        const char c = text[i];
        if (in_quotes) {
          if (c == '"') {
            if (i + 1 < e && text[i + 1] == '"') {
              text[w++] = '"';
              i += 2;
            } else {
              in_quotes = false;
              keep = w;
              ++i;
            }
            continue;
          }
        } else if (runs ? blank(c) : c == sc) {
          break;
        }
        text[w++] = c;
        ++i;
      }
      if (in_quotes) {
        closed = false;
        keep = w;
      }
    } else {
      while (i < e && !(runs ? blank(text[i]) : text[i] == sc)) ++i;
      w = i;
    }
    // Blanks after the field are padding (a quoted field keeps its own).
    size_t end = w;
    while (end > keep && end > start && pad(text[end - 1])) --end;
    fields.emplace_back(text + start, end - start);
    if (runs) continue;
    if (i >= e) break;
    ++i;  // the separator
  }
  return closed;
}

}  // namespace

TextTable::TextTable(std::string text) : text_(std::move(text)) {
  if (text_.size() >= 3 && text_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = 3;
}

std::vector<std::pair<int, std::string_view>> TextTable::first_lines(int count) const {
  std::vector<std::pair<int, std::string_view>> lines;
  size_t p = pos_;
  int line = line_;
  const size_t n = text_.size();
  while (p < n && static_cast<int>(lines.size()) < count) {
    size_t e = p;
    while (e < n && text_[e] != '\n' && text_[e] != '\r') ++e;
    ++line;
    size_t k = p;
    while (k < e && blank(text_[k])) ++k;
    if (k < e) lines.emplace_back(line, std::string_view(text_.data() + p, e - p));
    p = after_line_end(text_, e);
  }
  return lines;
}

bool TextTable::next(Separator sep, TableRow& row) {
  const size_t n = text_.size();
  while (pos_ < n) {
    const size_t b = pos_;
    size_t e = b;
    while (e < n && text_[e] != '\n' && text_[e] != '\r') ++e;
    ++line_;
    pos_ = after_line_end(text_, e);
    size_t k = b;
    while (k < e && blank(text_[k])) ++k;
    if (k == e) continue;
    row.line = line_;
    row.unclosed_quote = !cut(text_.data(), b, e, sep, row.fields);
    return true;
  }
  return false;
}

std::vector<std::string> split_line(std::string_view line, Separator sep) {
  std::string copy(line);
  std::vector<std::string_view> views;
  cut(copy.data(), 0, copy.size(), sep, views);
  return std::vector<std::string>(views.begin(), views.end());
}

}  // namespace kinseg
