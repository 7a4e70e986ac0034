// The settings of a simulation: the shape of the pedigrees, the ascertainment,
// the covariates, the model values the sample is drawn with, and the fitting
// controls written to kinfit's control files. Read from a "name = value" text
// (see tools/README.md) or filled in by a caller.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kinsim {

// A setting or a drawn sample that cannot be used; the message says why.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file that cannot be read or written.
class FileError : public Error {
 public:
  using Error::Error;
};

inline constexpr int kParams = 20;   // named parameter slots of the fitted model
inline constexpr int kMaxCovs = 8;   // covariates, one coefficient D1..D8 each
inline constexpr int kNameLen = 20;  // column and data file names
inline constexpr int kMaxGenerations = 5;
inline constexpr int kMaxIsolateGenerations = 20;
inline constexpr int kMaxIsolateFounders = 10000;
inline constexpr int kMaxChildren = 50;
// Persons of one pedigree, and of a whole sample drawn without the programs'
// limits: beyond them memory, not the user's design, would decide.
inline constexpr long kMaxPedigreePersons = 1000000;
inline constexpr long kMaxSamplePersons = 10000000;

// Slot numbers of the parameters (1-based, in the fitted model's order).
enum Slot { kQ = 1, kW1 = 2, kV1 = 5, kTr1 = 8, kD1 = 11, kRo1 = 19, kRo2 = 20 };

// The parameter names in slot order: Q W1 W2 W3 V1 V2 V3 Tr1 Tr2 Tr3 D1..D8 Ro1 Ro2.
const std::array<std::string, kParams>& param_names();

struct Covariate {
  enum Kind { kBinary, kRange };
  std::string name;
  Kind kind = kBinary;
  double p = 0.5;      // kBinary: probability of the value 1
  int lo = 0, hi = 1;  // kRange: uniform integer lo..hi
};

// How a parameter enters par.inp: estimated, fixed at its start value, or
// absent from the fitted model.
enum class Use { kEstimated, kFixed, kOff };

struct Param {
  double value = 0.0;               // the value the sample is drawn with
  std::optional<Use> use;           // unset: estimated when the term is in the model
  std::optional<double> start;      // unset: the drawn value
  std::optional<double> step;       // unset: 0.05 for Q and Tr, 0.5 otherwise
  std::optional<double> low, high;  // unset: [0, 1] for Q and Tr, [-10, 10] otherwise
  std::optional<int> link;          // slot whose value this parameter takes in the fit
};

struct Settings {
  std::optional<uint64_t> seed;
  int families = 100;
  int generations = 1;
  enum Children { kRange, kPoisson } children = kRange;
  int children_min = 1, children_max = 4;  // kRange
  double children_mean = 2.0;              // kPoisson: children_min + Poisson(mean - min)
  double marry = 0.5;
  // Probability that a child who marries, and has an unmarried first cousin of
  // the other sex who marries too, marries that cousin instead of a spouse from
  // outside: a consanguineous loop. 0: pedigrees stay trees of nuclear families.
  double cousins = 0.0;
  // Above 0: each pedigree is an isolate grown from this many founders over
  // `generations` generations (up to kMaxIsolateGenerations), spouses chosen
  // among relatives: a first cousin with probability spouses[0], a second
  // cousin with spouses[1], a spouse from outside with spouses[2], else anyone
  // of the generation (see draw.cpp).
  int isolate = 0;
  std::array<double, 3> spouses{0.0, 0.0, 0.5};
  enum Ascertainment { kNone, kFirst, kSingle } ascertainment = kNone;
  double pi = 1.0;  // kSingle: probability that an affected member is a proband
  double unknown = 0.0;
  long max_draws = 0;  // 0: 1000 draws per family kept
  std::string data_file = "sample.dat";
  std::string truth_file = "truth.txt";
  // kProgramLimits: the sample must fit kinsort and kinfit, whose control files are
  // written with it. kNoLimits: only the data file and the truth file are written,
  // and the sample may be as large as kinsim can draw (kMaxSamplePersons).
  enum Limits { kProgramLimits, kNoLimits } limits = kProgramLimits;
  std::vector<Covariate> covariates;
  std::array<Param, kParams> params = default_params();  // params[i-1] is slot i
  // maxpar.inp
  int iprint = 0;
  double epsx = 1.0e-4;
  int maxit = 500;
  double alpha = 0.5;
  double epsf = 1.0e-5;
  int npar = kParams;

  Param& param(int slot) { return params[static_cast<size_t>(slot - 1)]; }
  const Param& param(int slot) const { return params[static_cast<size_t>(slot - 1)]; }
  int ncov() const { return static_cast<int>(covariates.size()); }
  long draw_limit() const { return max_draws > 0 ? max_draws : 1000L * families; }

  // Q = 0.5, Tr = 1, 0.5, 0 (Mendelian), every other value 0.
  static std::array<Param, kParams> default_params();
};

// One parameter line of par.inp.
struct ParLine {
  int link, iuse, iest;
  double x, step, gl, gr;
};

// Reads settings from text; `source` names it in messages ("FILE:LINE: ...").
// Unknown or repeated names and malformed values are refused.
Settings parse_settings(std::string_view text, const std::string& source);
// Reads the settings file; a file that cannot be read throws FileError.
Settings read_settings(const std::string& path);

// Refuses settings that make no sample or that kinfit could not start from.
void validate(const Settings& s);

// The par.inp lines of slots 1..npar (defaults applied; see tools/README.md).
std::vector<ParLine> par_lines(const Settings& s);

}  // namespace kinsim
