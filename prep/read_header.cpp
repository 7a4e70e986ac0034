#include <string>

#include "common/free_input.hpp"
#include "common/free_output.hpp"
#include "common/edit_output.hpp"
#include "prep/read_file.hpp"

namespace kinsort {

namespace {

std::string padded(std::string_view name) {
  std::string s(name.substr(0, kNameLen));
  s.resize(kNameLen, ' ');
  return s;
}

}  // namespace

void read_header(KinsortState& s, kin::Console& con) {
  TaskBlock& t = s.task;
  const std::string file = data_file_name(t);
  t.col_sex = t.col_prob = t.col_trait = 0;
  for (int j = 1; j <= kMaxCov; ++j) t.col_cov(j) = 0;

  // The header: every blank ends a column name and starts the next one.
  // Characters of columns beyond the last stored one are dropped.
  std::string name[kMaxColumns];
  int col = 1;
  {
    kin::FreeInput in(file, con);
    for (char c : in.next_line()) {
      if (c == ' ') {
        ++col;
      } else if (col <= kMaxColumns) {
        name[col - 1].push_back(c);
      }
    }
  }
  t.ncol = col;
  if (t.ncol > kMaxColumns) {
    kin::stop_with_pause(con, kin::free_line({" ERROR: number of columns is more than declared"}));
  }
  // A longer name would be cut and might then match a name it was not meant
  // to be, so it is refused.
  for (int c = 1; c <= t.ncol; ++c) {
    if (name[c - 1].size() > static_cast<size_t>(kNameLen)) {
      kin::stop_with_pause(con, kin::free_line({" ERROR of data names: column " + std::to_string(c) +
                                                " of " + file + " has a name longer than " +
                                                std::to_string(kNameLen) + " characters: " +
                                                name[c - 1]}));
    }
  }
  for (int c = 1; c <= kMaxColumns; ++c) t.col_name[c - 1] = padded(name[c - 1]);

  // The passport columns; all four are checked before the run stops.
  static const char* const kPassport[4] = {"ped", "id", "fa", "mo"};
  bool wrong = false;
  for (int c = 1; c <= 4; ++c) {
    if (t.col_name[c - 1] != padded(kPassport[c - 1])) {
      kin::say(con, kin::free_line({std::string(" ERROR of passport data names: ") + kPassport[c - 1] +
                                        "= ",
                                    t.col_name[c - 1]}));
      wrong = true;
    }
  }
  if (wrong) kin::stop_plain(kin::kStopError);

  // The searched columns; a later column overwrites an earlier one.
  const std::string prob = padded("prob"), sex = padded("sex");
  for (int c = 5; c <= t.ncol; ++c) {
    const std::string& n = t.col_name[c - 1];
    if (n == prob) t.col_prob = c;
    if (n == sex) t.col_sex = c;
    if (n == t.trait_name) t.col_trait = c;
    for (int j = 1; j <= s.DATA.NCOV; ++j) {
      if (n == t.cov_name[j - 1]) t.col_cov(j) = c;
    }
  }

  if (t.col_sex == 0) kin::say(con, kin::free_line({" ERROR of data names: sex column absent"}));
  if (t.col_trait == 0) kin::say(con, kin::free_line({" ERROR of data names: trait column absent"}));
  for (int j = 1; j <= s.DATA.NCOV; ++j) {
    if (t.col_cov(j) == 0) {
      kin::say(con, kin::edit("(A,I1,A)", {" ERROR of data names: covariate ", j, " column absent"}));
    }
  }
}

}  // namespace kinsort
