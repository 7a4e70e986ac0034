#include "fit/wwdat.hpp"

#include <string>

#include "common/free_output.hpp"
#include "fit/work_table.hpp"
#include "format/records.hpp"

namespace kinfit {

namespace {

[[noreturn]] void exceed(kin::Console& con, const char* what) {
  kin::stop_with_message(con, kin::free_line({std::string(what) + " exceed. Correct and recompile"}));
}

void read_records(KinfitState& s, kin::Console& con, kin::RecordReader& rd) {
  // 1: families over person rows.
  rd.next_record();
  const int nped = rd.get();
  if (nped > N_FAM) exceed(con, "N_FAM");
  for (int i = 1; i <= nped + 2; ++i) s.BUF1(i) = rd.get();
  // 2: families over ways.
  rd.next_record();
  for (int i = 1; i <= nped + 2; ++i) s.BUF3(i) = rd.get();
  // 3: ways over the member list, led by NW + 2.
  rd.next_record();
  const int k = rd.get();
  if (k > N_SIZE) exceed(con, "N_SIZE");
  for (int i = 1; i <= k; ++i) s.BUF14(i) = rd.get();
  // 4: the member lists.
  rd.next_record();
  const int len = rd.get();
  if (len > N_SIZE) exceed(con, "N_SIZE");
  for (int i = 1; i <= len; ++i) s.BUF16(i) = rd.get();
  // 5: link persons. The count runs from 3 to k, not from 1 to k - 2, which
  // would overflow for a damaged k near the least integer.
  rd.next_record();
  for (int i = 3; i <= k; ++i) s.BUF15(i - 2) = rd.get();
  // 6 to 8: trait, proband code, sex.
  rd.next_record();
  const int npers = rd.get();
  if (npers > N_SIZE) exceed(con, "N_SIZE");
  for (int p = 1; p <= npers; ++p) s.TRAIT(p) = rd.get();
  rd.next_record();
  for (int p = 1; p <= npers; ++p) s.PROB(p) = rd.get();
  rd.next_record();
  for (int p = 1; p <= npers; ++p) s.SEX(p) = rd.get();
  // 9: number of covariates, then one record each.
  rd.next_record();
  s.HIPOT.NCOV = rd.get();
  if (s.HIPOT.NCOV > MAXCOV)
    kin::file_error(con, rd.name(),
                    "record 9: " + std::to_string(s.HIPOT.NCOV) +
                        " covariates; the model has coefficients for " + std::to_string(MAXCOV) +
                        " at most");
  for (int j = 1; j <= s.HIPOT.NCOV; ++j) {
    rd.next_record();
    const int nc = rd.get();
    if (nc > N_SIZE) exceed(con, "N_SIZE");
    for (int p = 1; p <= nc; ++p) s.COV(j, p) = rd.get();
  }
  check_sample(s, con, rd.name(), nped, k, len, npers);
  set_parents_counts(s);
}

}  // namespace

void WWDAT(KinfitState& s, kin::Console& con) {
  kin::RecordReader rd(kin::name_ignoring_case(kin::kPreparedFileRead), con);
  read_records(s, con, rd);
}

void read_prepared(KinfitState& s, kin::Console& con, const std::string& name, std::string bytes) {
  kin::RecordReader rd(name, std::move(bytes), con);
  read_records(s, con, rd);
}

}  // namespace kinfit
