#include <string>

#include "common/free_input.hpp"
#include "common/free_output.hpp"
#include "prep/read_file.hpp"

namespace kinsort {

void load_data(KinsortState& s, kin::Console& con) {
  const TaskBlock& t = s.task;
  DataBlock& d = s.DATA;
  const std::string file = data_file_name(t);
  kin::FreeInput in(file, con);
  in.next_line();  // the header

  // One row: ped, id, fa, mo, then the values of columns 5 to the last.
  int32_t v[kMaxColumns];
  kin::FreeTarget target[kMaxColumns];
  for (int c = 0; c < kMaxColumns; ++c) target[c] = kin::as_int(v[c]);
  // A column picked from the row, or `absent` when the dictionary has none.
  auto column = [&v](int c, int32_t absent) { return c > 0 ? v[c - 1] : absent; };

  int n = 0;
  while (!in.at_end()) {
    // A value the row leaves out (an empty value, or a slash that ends the
    // row early) reads as 0, never as the previous person's value.
    for (int c = 0; c < t.ncol; ++c) v[c] = 0;
    in.read(target, static_cast<size_t>(t.ncol));
    ++n;
    if (n > kMaxPersons) {
      kin::stop_with_pause(con, kin::free_line({" ERROR: number of persons is more than declared"}));
    }
    d(n, kPed) = v[0];
    d(n, kId) = v[1];
    d(n, kFa) = v[2];
    d(n, kMo) = v[3];
    d(n, kSex) = column(t.col_sex, 1);
    d(n, kProb) = column(t.col_prob, 2);
    d(n, kTrait) = column(t.col_trait, 0);  // without a trait column every trait is invalid
    for (int j = 1; j <= d.NCOV; ++j) d(n, kCov1 + j - 1) = column(t.col_cov(j), 0);
  }
  d.N = n;
  if (n == 0) {
    kin::stop_with_pause(con, kin::free_line({" ERROR: file " + file + " holds no data rows"}));
  }

  bool bad = false;
  for (int i = 1; i <= n; ++i) {
    const int32_t trait = d(i, kTrait);
    if (trait <= 0 || trait > 3) bad = true;
  }
  if (bad) kin::stop_with_pause(con, kin::free_line({" ERROR: analyzed trait is not binary trait"}));
}

}  // namespace kinsort
