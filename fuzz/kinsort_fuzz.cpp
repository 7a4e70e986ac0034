// Fuzz target: kinsort on a task file and a data file. An input is task.inp,
// a line "%%", then the data file, which is written as s.dat (the name that
// the seeds' task files give; a task file that names another file meets a
// missing file). Without a separator there is no data file. The run goes as
// far as kinsort goes, up to its prepared file, in a scratch directory; a stop
// ends the run with a status instead of ending the process.
//
// Checked besides crashes, hangs and sanitizer reports: a run that ends
// normally leaves new_dat and a prepared file of whole records, exactly as
// many as its covariate count says; a run stopped by an error leaves no
// prepared file unless it stopped at a loop, which it reports in def.err. The
// prepared file is then handed to kinfit's reader, which must accept or
// refuse it without harm, and which must accept it, holding every person's
// codes as kinsort read them, when the sample is a clean one (clean_sample).
#include <cstdint>
#include <string>
#include <vector>

#include "fit/blocks.hpp"
#include "fit/wwdat.hpp"
#include "fuzz/harness.hpp"
#include "prep/kinsort.hpp"

namespace {

using kinfuzz::require;

uint32_t u32(const std::string& b, size_t p) {
  uint32_t v = 0;
  for (int k = 0; k < 4; ++k) v |= static_cast<uint32_t>(static_cast<unsigned char>(b[p + static_cast<size_t>(k)])) << (8 * k);
  return v;
}

// Checks the record frames of a prepared file; returns its records' values.
std::vector<std::vector<int32_t>> frames(const std::string& b) {
  std::vector<std::vector<int32_t>> recs;
  size_t p = 0;
  while (p < b.size()) {
    require(b.size() - p >= 8, "prepared file: a record frame is cut short");
    const uint32_t n = u32(b, p);
    require(n % 4 == 0 && b.size() - p - 8 >= n && u32(b, p + 4 + n) == n,
            "prepared file: a damaged record frame");
    std::vector<int32_t> r;
    for (size_t q = p + 4; q < p + 4 + n; q += 4) r.push_back(static_cast<int32_t>(u32(b, q)));
    recs.push_back(std::move(r));
    p += 8 + n;
  }
  return recs;
}

// True when kinfit has no reason to refuse the sample that kinsort holds: at
// most as many pedigrees as kinfit holds; in each pedigree the ids 1, 2, 3, ...
// in row order; every person with a father has a mother, both members of the
// pedigree other than the person; sex codes 1 or 2.
bool clean_sample(const kinsort::KinsortState& s) {
  const kinsort::DataBlock& d = s.DATA;
  const int nped = s.BUF1(1);
  if (nped > kinfit::N_FAM) return false;
  for (int k = 1; k <= nped; ++k) {
    const int o = s.BUF1(k + 1), n = s.BUF1(k + 2) - o;
    for (int i = 1; i <= n; ++i) {
      const int p = o + i;
      if (d(p, kinsort::kId) != i) return false;
      const int32_t fa = d(p, kinsort::kFa), mo = d(p, kinsort::kMo);
      if (fa != 0 && (fa < 1 || fa > n || mo < 1 || mo > n || fa == i || mo == i || fa == mo)) return false;
      if (d(p, kinsort::kSex) < 1 || d(p, kinsort::kSex) > 2) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kinfuzz::enter_scratch_dir("kinsort");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (const char* f : {"task.inp", "s.dat", "iway.dat", "new_dat", "def.err"}) kinfuzz::remove_file(f);
  const auto parts = kinfuzz::split_parts(data, size, 2);
  kinfuzz::write_file("task.inp", parts[0].bytes);
  if (parts[1].present) kinfuzz::write_file("s.dat", parts[1].bytes);

  kinsort::KinsortState& ks = kinfuzz::fresh_state<kinsort::KinsortState>();
  int status;
  {
    kinfuzz::QuietConsole qc;
    status = kinsort::run_kinsort(ks, qc.con);
  }

  bool have_iway = false, have_def = false;
  const std::string iway = kinfuzz::read_file("iway.dat", &have_iway);
  const std::string def = kinfuzz::read_file("def.err", &have_def);
  if (status == kin::kNormalEnd) {
    require(have_iway, "a normal end without a prepared file");
    bool have_new = false;
    kinfuzz::read_file("new_dat", &have_new);
    require(have_new, "a normal end without new_dat");
  } else if (have_iway) {
    require(status == kin::kStopError && have_def && !def.empty(),
            "a prepared file left by a run stopped for another reason than a loop");
  }
  if (!have_iway) return 0;

  const auto recs = frames(iway);
  require(recs.size() >= 9 && recs[8].size() == 1, "prepared file: no covariate count in record 9");
  require(recs.size() == 9 + static_cast<size_t>(recs[8][0]),
          "prepared file: the number of records differs from what its covariate count says");

  kinfit::KinfitState& fs = kinfuzz::fresh_state<kinfit::KinfitState>();
  kinfuzz::QuietConsole qc;
  try {
    kinfit::read_prepared(fs, qc.con, "iway.dat", iway);
  } catch (const kin::RunStop& stop) {
    require(stop.status != kin::kNormalEnd, "the reader stopped with a normal status");
    require(status != kin::kNormalEnd || !clean_sample(ks), "kinfit refuses kinsort's file of a clean sample");
    return 0;
  }
  if (status == kin::kNormalEnd) {
    const kinsort::DataBlock& d = ks.DATA;
    require(fs.BUF1(1) == ks.BUF1(1) && fs.HIPOT.NCOV == d.NCOV, "the reader's counts differ from kinsort's");
    for (int p = 1; p <= d.N; ++p) {
      require(fs.TRAIT(p) == d(p, kinsort::kTrait) && fs.PROB(p) == d(p, kinsort::kProb) &&
                  fs.SEX(p) == d(p, kinsort::kSex),
              "the reader's codes of a person differ from kinsort's");
      for (int j = 1; j <= d.NCOV; ++j)
        require(fs.COV(j, p) == d(p, kinsort::kCov1 + j - 1), "the reader's covariates differ from kinsort's");
    }
  }
  return 0;
}
