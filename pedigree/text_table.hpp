// A text table held in memory and cut into rows of fields: fields separated by
// commas, semicolons or tabs (a separator each, so two in a row make an empty
// field) or by runs of blanks and tabs; a field may be quoted with double
// quotes (a doubled quote inside stands for one); blanks around a field are not
// part of it. Lines end with LF, CR LF or CR; the last line needs no line end;
// a byte-order mark at the start is skipped; lines holding nothing but blanks
// are passed over.
//
// The fields are views into the table's own buffer (a quoted field is
// unquoted in place), valid while the table lives; nothing is allocated per
// field, so that a file of a million rows is cut quickly.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kinseg {

enum class Separator { kComma, kSemicolon, kTab, kBlanks };

// The separator's name as the user writes it after --sep (comma, semicolon,
// tab, blanks).
const char* separator_name(Separator s);

// The separator named by the user's text (comma or ",", semicolon or ";",
// tab or "\t", blanks, blank, space, whitespace or " "); false when none.
bool parse_separator(std::string_view text, Separator& s);

struct TableRow {
  int line = 0;                          // the row's line in the file, from 1
  std::vector<std::string_view> fields;
  bool unclosed_quote = false;           // a quoted field ran to the end of its line
};

class TextTable {
 public:
  explicit TextTable(std::string text);

  // The lines of the table before any is cut into fields: the first `count`
  // lines that hold more than blanks, as raw text with their line numbers
  // (used to decide the file's format).
  std::vector<std::pair<int, std::string_view>> first_lines(int count) const;

  // Cuts the next row that holds more than blanks; false at the end.
  bool next(Separator sep, TableRow& row);

  size_t bytes() const { return text_.size(); }
  // The buffer the rows' fields view.
  const char* data() const { return text_.data(); }

 private:
  std::string text_;
  size_t pos_ = 0;
  int line_ = 0;
};

// The fields of one line of text cut with `sep` (copies, for the format
// detection and the tests).
std::vector<std::string> split_line(std::string_view line, Separator sep);

}  // namespace kinseg
