#include "common/free_input.hpp"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "common/text_file.hpp"

namespace kin {

FreeInput::FreeInput(std::string name, Console& con) : name_(std::move(name)), con_(con) {
  split(read_input_file(name_, con_));
}

FreeInput::FreeInput(std::string name, std::string_view content, Console& con)
    : name_(std::move(name)), con_(con) {
  split(content);
}

void FreeInput::split(std::string_view content) {
  size_t p = 0;
  while (p < content.size()) {
    size_t e = content.find('\n', p);
    if (e == std::string_view::npos) e = content.size();
    std::string_view line = content.substr(p, e - p);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines_.emplace_back(line);
    p = e + 1;
  }
}

void FreeInput::fail(long line, std::string_view what) { file_error(con_, name_, line, what); }

void FreeInput::bad_digit(long line, char ch) {
  fail(line, std::string("'") + ch + "' is not a digit");
}

std::string_view FreeInput::next_line() {
  if (at_end()) file_error(con_, name_, "the file ends before all values were read");
  return lines_[next_++];
}

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

bool parse_int(const std::string& t, int32_t& out) {
  size_t p = 0;
  if (p < t.size() && (t[p] == '+' || t[p] == '-')) ++p;
  if (p == t.size()) return false;
  for (size_t k = p; k < t.size(); ++k)
    if (t[k] < '0' || t[k] > '9') return false;
  errno = 0;
  long long v = std::strtoll(t.c_str(), nullptr, 10);
  if (errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return false;
  out = static_cast<int32_t>(v);
  return true;
}

// Real forms: [sign] digits [. [digits]] | [sign] . digits, then optionally an
// exponent: a letter E, D or Q with an optional sign, or a sign alone, then digits.
bool parse_real(const std::string& t, double& out) {
  std::string c;
  size_t p = 0;
  if (p < t.size() && (t[p] == '+' || t[p] == '-')) c.push_back(t[p++]);
  size_t mant = 0;
  while (p < t.size() && t[p] >= '0' && t[p] <= '9') c.push_back(t[p++]), ++mant;
  if (p < t.size() && t[p] == '.') {
    c.push_back(t[p++]);
    while (p < t.size() && t[p] >= '0' && t[p] <= '9') c.push_back(t[p++]), ++mant;
  }
  if (mant == 0) return false;
  if (p < t.size()) {
    char e = t[p];
    bool letter = e == 'E' || e == 'e' || e == 'D' || e == 'd' || e == 'Q' || e == 'q';
    if (!letter && e != '+' && e != '-') return false;
    c.push_back('E');
    if (letter) ++p;
    if (p < t.size() && (t[p] == '+' || t[p] == '-')) c.push_back(t[p++]);
    size_t ed = 0;
    while (p < t.size() && t[p] >= '0' && t[p] <= '9') c.push_back(t[p++]), ++ed;
    if (ed == 0 || p != t.size()) return false;
  }
  errno = 0;
  double v = std::strtod(c.c_str(), nullptr);
  if (!std::isfinite(v)) return false;
  out = v;
  return true;
}

}  // namespace

void FreeInput::read(const FreeTarget* targets, size_t count) {
  if (at_end()) file_error(con_, name_, "the file ends before all values were read");
  size_t ln = next_;  // current line
  size_t pos = 0;     // current column in it
  bool need_sep = false;
  // A value waiting to be repeated: its text, whether it was quoted, whether it is empty.
  long repeat_left = 0;
  std::string rep_text;
  bool rep_quoted = false, rep_null = false;

  auto at_eof = [&] { return ln >= lines_.size(); };
  auto cur = [&]() -> const std::string& { return lines_[ln]; };
  // Skips blanks and line ends; false at the end of the file.
  auto skip_space = [&] {
    for (;;) {
      if (at_eof()) return false;
      while (pos < cur().size() && is_blank(cur()[pos])) ++pos;
      if (pos < cur().size()) return true;
      ++ln;
      pos = 0;
    }
  };
  auto eof_fail = [&] {
    next_ = lines_.size();
    file_error(con_, name_, "the file ends before all values were read");
  };

  for (const FreeTarget* tp = targets; tp != targets + count; ++tp) {
    const FreeTarget& t = *tp;
    std::string text;
    bool quoted = false, null = false;
    long lineno = static_cast<long>(ln) + 1;
    if (repeat_left > 0) {
      text = rep_text;
      quoted = rep_quoted;
      null = rep_null;
      --repeat_left;
    } else {
      if (!skip_space()) eof_fail();
      if (need_sep && cur()[pos] == ',') {
        ++pos;
        if (!skip_space()) eof_fail();
      }
      lineno = static_cast<long>(ln) + 1;
      char c = cur()[pos];
      if (c == '/') break;  // the read ends here
      if (c == ',') {
        null = true;
        ++pos;
        need_sep = false;
      } else {
        if (c == '\'' || c == '"') {
          quoted = true;
          ++pos;
          for (;;) {
            if (pos >= cur().size()) {  // a quoted text goes on on the next line
              ++ln;
              pos = 0;
              if (at_eof()) eof_fail();
              continue;
            }
            char d = cur()[pos++];
            if (d == c) {
              if (pos < cur().size() && cur()[pos] == c) {
                text.push_back(c);
                ++pos;
                continue;
              }
              break;
            }
            text.push_back(d);
          }
        } else {
          while (pos < cur().size()) {
            char d = cur()[pos];
            if (is_blank(d) || d == ',' || d == '/') break;
            text.push_back(d);
            ++pos;
          }
          // A repeat count: digits, then an asterisk.
          size_t star = text.find('*');
          if (star != std::string::npos && star > 0 &&
              text.find_first_not_of("0123456789") == star) {
            long r = std::strtol(text.substr(0, star).c_str(), nullptr, 10);
            if (r <= 0 || star > 9) fail(lineno, "bad repeat count in '" + text + "'");
            std::string rest = text.substr(star + 1);
            rep_null = rest.empty();
            rep_quoted = false;
            if (rep_null && pos < cur().size() && (cur()[pos] == '\'' || cur()[pos] == '"')) {
              // r*'quoted text'
              char q = cur()[pos++];
              rep_null = false;
              rep_quoted = true;
              while (pos < cur().size() && cur()[pos] != q) rest.push_back(cur()[pos++]);
              if (pos < cur().size()) ++pos;
            }
            rep_text = rest;
            repeat_left = r - 1;
            text = rep_text;
            quoted = rep_quoted;
            null = rep_null;
          }
        }
        need_sep = true;
      }
    }
    if (null) continue;
    switch (t.kind) {
      case FreeTarget::kInt:
        if (quoted || !parse_int(text, *static_cast<int32_t*>(t.p)))
          fail(lineno, "'" + text + "' is not an integer");
        break;
      case FreeTarget::kReal:
        if (quoted || !parse_real(text, *static_cast<double*>(t.p)))
          fail(lineno, "'" + text + "' is not a number");
        break;
      case FreeTarget::kText: {
        std::string& s = *static_cast<std::string*>(t.p);
        s = text.substr(0, static_cast<size_t>(t.len));
        s.resize(static_cast<size_t>(t.len), ' ');
        break;
      }
    }
  }
  // The rest of the last line used is skipped.
  next_ = ln + 1;
}

}  // namespace kin
