#include "kinseg/table_writers.hpp"

#include <algorithm>

namespace kinseg::cli {

namespace {

std::string field(std::string s) {
  for (char& c : s)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return s.empty() ? "NA" : s;
}

}  // namespace

TsvTable::TsvTable(const std::vector<std::string>& keys) { add(keys); }

void TsvTable::add(const std::vector<std::string>& fields) {
  for (size_t i = 0; i < fields.size(); ++i) text_ += (i ? "\t" : "") + field(fields[i]);
  text_ += "\n";
}

ConsoleTable::ConsoleTable(std::vector<std::string> header, std::vector<bool> right) : right_(std::move(right)) {
  right_.resize(header.size(), false);
  rows_.push_back(std::move(header));
}

void ConsoleTable::add(std::vector<std::string> cells) { rows_.push_back(std::move(cells)); }

std::string ConsoleTable::str() const {
  std::vector<size_t> width(right_.size(), 0);
  for (const auto& r : rows_)
    for (size_t c = 0; c < r.size() && c < width.size(); ++c) width[c] = std::max(width[c], r[c].size());
  std::string out;
  for (const auto& r : rows_) {
    std::string line;
    for (size_t c = 0; c < r.size() && c < width.size(); ++c) {
      const std::string pad(width[c] - r[c].size(), ' ');
      const bool last = c + 1 == r.size();
      line += right_[c] ? pad + r[c] : r[c] + (last ? "" : pad);
      if (!last) line += "  ";
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line + "\n";
  }
  return out;
}

}  // namespace kinseg::cli
