// The two table shapes every output of kinseg writes: a tab-separated file
// (one header line of keys, one line per row; a number that does not exist is
// NA) and a table for people on the console and in the logs (columns padded to
// their widest cell, text to the left, numbers to the right).
#pragma once

#include <string>
#include <vector>

namespace kinseg::cli {

// A tab-separated file. Tabs and line ends inside a field become blanks; an
// empty field is written NA.
class TsvTable {
 public:
  explicit TsvTable(const std::vector<std::string>& keys);
  void add(const std::vector<std::string>& fields);
  const std::string& str() const { return text_; }

 private:
  std::string text_;
};

// A table for people. RIGHT marks the columns aligned to the right (numbers);
// trailing blanks are dropped from every line.
class ConsoleTable {
 public:
  ConsoleTable(std::vector<std::string> header, std::vector<bool> right);
  void add(std::vector<std::string> cells);
  std::string str() const;

 private:
  std::vector<bool> right_;
  std::vector<std::vector<std::string>> rows_;
};

// "yes" or "no", a flag in a tab-separated file.
inline std::string yes_no(bool b) { return b ? "yes" : "no"; }

}  // namespace kinseg::cli
