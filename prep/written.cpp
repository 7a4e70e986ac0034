#include "prep/written.hpp"

#include "format/records.hpp"

namespace kinsort {

void WRITTEN(const KinsortState& s, kin::Console& con) {
  kin::RecordWriter w(kin::kPreparedFileWritten, con);
  const int nped = s.BUF1(1);
  const int nw = s.BUF4(1);
  const int n = s.DATA.N;

  // 1: pedigree boundaries, NPED leading.
  w.put(nped);
  for (int i = 1; i <= nped + 2; ++i) w.put(s.BUF1(i));
  w.end_record();
  // 2: ways per pedigree, cumulative.
  for (int i = 1; i <= nped + 2; ++i) w.put(s.BUF3(i));
  w.end_record();
  // 3: way boundaries, led by the number of elements that follow.
  w.put(nw + 2);
  for (int i = 1; i <= nw + 2; ++i) w.put(s.BUF4(i));
  w.end_record();
  // 4: all member lists.
  const int len = s.BUF4(nw + 2);
  w.put(len);
  for (int i = 1; i <= len; ++i) w.put(s.BUF6(i));
  w.end_record();
  // 5: link persons.
  for (int i = 1; i <= nw; ++i) w.put(s.BUF5(i));
  w.end_record();
  // 6 to 8: trait, proband code, sex of every person.
  w.put(n);
  for (int i = 1; i <= n; ++i) w.put(s.DATA(i, kTrait));
  w.end_record();
  for (int i = 1; i <= n; ++i) w.put(s.DATA(i, kProb));
  w.end_record();
  for (int i = 1; i <= n; ++i) w.put(s.DATA(i, kSex));
  w.end_record();
  // 9: number of covariates; then one record per covariate.
  w.put(s.DATA.NCOV);
  w.end_record();
  for (int j = 1; j <= s.DATA.NCOV; ++j) {
    w.put(n);
    for (int i = 1; i <= n; ++i) w.put(s.DATA(i, kCov1 + j - 1));
    w.end_record();
  }
  w.close();
}

}  // namespace kinsort
