// The sample at the programs' limits that the benchmarks time: 604 pedigrees,
// 4096 persons, 8 covariates, ascertained through probands, drawn by the
// simulator and prepared by kinsort in the current directory, then read by
// kinfit as a run reads it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>

#include "common/console.hpp"
#include "common/text_file.hpp"
#include "fit/blocks.hpp"
#include "tools/settings.hpp"

namespace kinbench {

inline constexpr int kPedigrees = 604;
inline constexpr size_t kPersons = 4096;

kinsim::Settings limit_sample_settings();

// Draws the sample and prepares it in the current directory; returns the seed.
uint64_t prepare_limit_sample();

// A kinfit state with the sample read and the families scanned, at the start
// point, as the maximiser sees it.
struct Prepared {
  std::unique_ptr<kinfit::KinfitState> s = std::make_unique<kinfit::KinfitState>();
  std::ostringstream out;
  std::istringstream in;
  kin::Console con{out, in};
  std::optional<kin::OutFile> par_err;
  int known = 0;  // members of known trait in the analysed families
  Prepared();
};

// The prepared run, read on first use from the current directory.
Prepared& prepared();

// A fresh directory under /tmp, made the current one while the benchmarks
// run; at the end the former current directory is restored and the fresh one
// removed with all it holds. ok() is false (and the reason printed) when it
// could not be made.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  bool ok() const { return !dir_.empty(); }

 private:
  std::filesystem::path dir_, old_;
};

}  // namespace kinbench
