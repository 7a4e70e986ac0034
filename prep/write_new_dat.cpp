#include <string>

#include "common/edit_output.hpp"
#include "common/text_file.hpp"
#include "prep/read_file.hpp"

namespace kinsort {

namespace {

// The values as the edit descriptors (20I6) write them: six columns each,
// twenty to a line.
std::string i6_lines(const int32_t* v, int count) {
  std::string line;
  for (int k = 0; k < count; ++k) {
    if (k > 0 && k % 20 == 0) line += '\n';
    line += kin::edit_I(v[k], 6);
  }
  line += '\n';
  return line;
}

}  // namespace

void write_new_dat(const KinsortState& s, kin::Console& con) {
  const DataBlock& d = s.DATA;
  kin::OutFile out("new_dat", con);
  const int32_t head[2] = {d.N, d.NCOV + 1};
  out.write(i6_lines(head, 2));
  int32_t v[kDataColumns];
  const int count = 7 + d.NCOV;
  for (int i = 1; i <= d.N; ++i) {
    for (int c = 1; c <= count; ++c) v[c - 1] = d(i, c);
    out.write(i6_lines(v, count));
  }
  out.close();
}

}  // namespace kinsort
