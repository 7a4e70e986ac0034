// The files of a simulation run: the pedigree data file and task.inp for
// kinsort, maxpar.inp and par.inp for kinfit, and the truth file for the user.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <set>
#include <tuple>

#include "common/table_limits.hpp"
#include "tools/simulate.hpp"

namespace kinsim {

namespace {

constexpr long kMaxPedigrees = std::min<long>(kinsort::kMaxPedigrees, kinfit::N_FAM);
constexpr long kMaxPersons = std::min<long>(kinsort::kMaxPersons, kinfit::N_SIZE);
constexpr long kMaxWays = std::min<long>(kinsort::kMaxWays, kinfit::N_SIZE - 2);
constexpr long kMaxEntries = std::min<long>(kinsort::kMaxMembers, kinfit::N_SIZE);

std::string data_file(const Sample& sample, const Settings& s) {
  std::string out = "ped id fa mo sex prob trait";
  for (const Covariate& c : s.covariates) out += " " + c.name;
  out += "\n";
  // Written number by number into one buffer: a sample may hold millions of rows.
  const size_t ncov = static_cast<size_t>(sample.ncov);
  out.reserve(out.size() + sample.persons.size() * (24 + 4 * ncov));
  char row[16 * (7 + kMaxCovs)];
  for (const Person& p : sample.persons) {
    char* at = row;
    auto put = [&](int v) {
      at = std::to_chars(at, row + sizeof row, v).ptr;
      *at++ = ' ';
    };
    for (int v : {p.ped, p.id, p.fa, p.mo, p.sex, p.prob, p.trait}) put(v);
    for (size_t j = 0; j < ncov; ++j) put(p.cov[j]);
    at[-1] = '\n';
    out.append(row, at);
  }
  return out;
}

std::string task_file(const Settings& s) {
  std::string out = s.data_file + "\ntrait\n" + std::to_string(s.ncov()) + "\n";
  for (const Covariate& c : s.covariates) out += c.name + "\n";
  return out;
}

std::string maxpar_file(const Settings& s) {
  return std::to_string(s.iprint) + "\n" + format_real(s.epsx) + "\n" + std::to_string(s.maxit) +
         "\n" + format_real(s.alpha) + "\n" + format_real(s.epsf) + "\n" + std::to_string(s.npar) +
         "\n";
}

std::string par_file(const Settings& s, const Sample& sample) {
  // Ascertainment through probands is corrected by conditioning on their traits.
  const int mode = s.ascertainment == Settings::kNone ? 0 : 1;
  std::string out = std::to_string(sample.kept) + " " + std::to_string(mode) + "\n";
  for (int f = 1; f <= sample.kept; ++f) out += (f % 20 == 0 || f == sample.kept) ? "1\n" : "1";
  for (const ParLine& l : par_lines(s))
    out += std::to_string(l.link) + " " + std::to_string(l.iuse) + " " + std::to_string(l.iest) +
           " " + format_real(l.x) + " " + format_real(l.step) + " " + format_real(l.gl) + " " +
           format_real(l.gr) + "\n";
  return out;
}

std::string truth_file(const Settings& s, const Sample& sample, uint64_t seed) {
  long affected = 0, unknown = 0;
  for (const Person& p : sample.persons) {
    affected += p.trait == 2;
    unknown += p.trait == 3;
  }
  // Counts as comments, values as settings lines: the file reads as settings.
  std::string out = "# kinsim: the values this sample was drawn with\n";
  out += "# " + std::to_string(sample.kept) + " families kept of " + std::to_string(sample.drawn) +
         " drawn; " + std::to_string(sample.persons.size()) + " persons, " +
         std::to_string(affected) + " affected, " + std::to_string(unknown) + " of unknown trait";
  if (s.cousins > 0.0)
    out += "; " + std::to_string(sample.cousin_marriages) +
           (sample.cousin_marriages == 1 ? " marriage" : " marriages") + " of first cousins";
  out += "\n";
  out += "seed = " + std::to_string(seed) + "\n";
  out += "families = " + std::to_string(sample.kept) + "\n";
  for (int i = 1; i <= kParams; ++i)
    out += param_names()[static_cast<size_t>(i - 1)] + " = " + format_real(s.param(i).value) + "\n";
  return out;
}

void write(const std::string& name, const std::string& content) {
  std::FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) throw FileError(name + ": cannot create the file");
  const bool ok = std::fwrite(content.data(), 1, content.size(), f) == content.size();
  if (std::fclose(f) != 0 || !ok) throw FileError(name + ": cannot write the file");
}

[[noreturn]] void too_many(const std::string& what, long n, long limit) {
  throw Error("the sample has " + std::to_string(n) + " " + what + "; kinsort and kinfit hold " +
              std::to_string(limit) + " at most; lower families, children, marry or generations");
}

}  // namespace

std::string format_real(double x) {
  if (x == 0.0) return "0.0";
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, x);
  std::string t(buf, res.ptr);
  const size_t e = t.find('e');
  if (e == std::string::npos) return t.find('.') == std::string::npos ? t + ".0" : t;
  std::string mant = t.substr(0, e);
  if (mant.find('.') == std::string::npos) mant += ".0";
  std::string exp = t.substr(e + 1);
  const bool neg = exp[0] == '-';
  if (exp[0] == '-' || exp[0] == '+') exp.erase(0, 1);
  exp.erase(0, std::min(exp.find_first_not_of('0'), exp.size() - 1));
  return mant + "E" + (neg ? "-" : "") + exp;
}

void check_limits(const Sample& sample) {
  if (sample.kept > kMaxPedigrees) too_many("pedigrees", sample.kept, kMaxPedigrees);
  const long persons = static_cast<long>(sample.persons.size());
  if (persons > kMaxPersons) too_many("persons", persons, kMaxPersons);
  std::set<std::tuple<int, int, int>> couples;
  long children = 0;
  for (const Person& p : sample.persons)
    if (p.fa != 0) {
      couples.emplace(p.ped, p.fa, p.mo);
      ++children;
    }
  const long ways = static_cast<long>(couples.size());
  if (ways > kMaxWays) too_many("nuclear families", ways, kMaxWays);
  // Each nuclear family lists its two parents and its children.
  const long entries = 2 * ways + children;
  if (entries > kMaxEntries)
    too_many("entries in the member lists of its nuclear families", entries, kMaxEntries);
}

Files render(const Settings& s, const Sample& sample, uint64_t seed) {
  return Files{data_file(sample, s), task_file(s), maxpar_file(s), par_file(s, sample),
               truth_file(s, sample, seed)};
}

Sample simulate(const Settings& s, uint64_t seed) {
  validate(s);
  if (s.limits == Settings::kNoLimits) {
    // Neither kinsort nor kinfit could read such a sample: no control files.
    Sample sample = draw_sample(s, seed);
    write(s.data_file, data_file(sample, s));
    write(s.truth_file, truth_file(s, sample, seed));
    return sample;
  }
  if (s.families > kMaxPedigrees)
    throw Error("families = " + std::to_string(s.families) + ": kinsort and kinfit hold " +
                std::to_string(kMaxPedigrees) + " pedigrees at most");
  Sample sample = draw_sample(s, seed, kMaxPersons);
  check_limits(sample);
  const Files f = render(s, sample, seed);
  write(s.data_file, f.data);
  write("task.inp", f.task);
  write("maxpar.inp", f.maxpar);
  write("par.inp", f.par);
  write(s.truth_file, f.truth);
  return sample;
}

}  // namespace kinsim
