#include "kinseg/point_option.hpp"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <set>

namespace kinseg::cli {

namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

double number(const std::string& name, const std::string& text) {
  errno = 0;
  char* end = nullptr;
  const double x = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(x))
    throw PointOptionError("--at " + name + "=" + text + ": the value is not a finite number");
  return x;
}

}  // namespace

Point parse_point(const std::vector<std::string>& at, const Sample& sample,
                  const std::vector<std::string>& covar) {
  Point p;
  p.d.assign(static_cast<size_t>(sample.ncov()), 0.0);
  std::set<std::string> seen;
  bool tr[3] = {false, false, false};
  bool onset[3] = {false, false, false};
  int spread = 0;  // 1: s given; bits 2, 4, 8: s1, s2, s3 given
  for (const std::string& entry : at) {
    const size_t eq = entry.find('=');
    if (eq == std::string::npos)
      throw PointOptionError("--at \"" + entry + "\": expected NAME=VALUE");
    const std::string given = entry.substr(0, eq);
    const std::string name = given.rfind("d.", 0) == 0 || given.rfind("D.", 0) == 0
                                 ? "d." + given.substr(2)
                                 : lower(given);
    const double x = number(given, entry.substr(eq + 1));
    if (!seen.insert(name).second) throw PointOptionError("--at names " + given + " twice");
    if (name == "q") {
      p.q = x;
    } else if (name.size() == 2 && (name[0] == 'w' || name[0] == 'v') && name[1] >= '1' && name[1] <= '3') {
      (name[0] == 'w' ? p.w : p.v)[name[1] - '1'] = x;
      if (name[0] == 'v') p.sex_effect = true;
    } else if (name.size() == 3 && name.rfind("tr", 0) == 0 && name[2] >= '1' && name[2] <= '3') {
      p.tau[name[2] - '1'] = x;
      tr[name[2] - '1'] = true;
    } else if (sample.has_onset() && name.size() == 2 && name[0] == 'm' && name[1] >= '1' && name[1] <= '3') {
      p.m[name[1] - '1'] = x;
      onset[name[1] - '1'] = true;
    } else if (sample.has_onset() && name == "s") {
      for (double& v : p.s) v = x;
      spread = 1;
    } else if (sample.has_onset() && name.size() == 2 && name[0] == 's' && name[1] >= '1' && name[1] <= '3') {
      p.s[name[1] - '1'] = x;
      spread |= 2 << (name[1] - '1');
    } else if (name == "ro1" || name == "ro2") {
      p.ro[name == "ro1" ? 0 : 1] = x;
    } else if (name.rfind("d.", 0) == 0) {
      const std::string col = name.substr(2);
      int j = -1;
      for (int i = 0; i < sample.ncov() && j < 0; ++i)
        if (col == sample.covariate_names[static_cast<size_t>(i)] ||
            (static_cast<size_t>(i) < covar.size() && col == covar[static_cast<size_t>(i)]))
          j = i;
      if (j < 0)
        throw PointOptionError("--at " + given + ": " + col + " is not a covariate named in --covar");
      p.d[static_cast<size_t>(j)] = x;
    } else {
      throw PointOptionError("--at " + given +
                             ": unknown parameter; the parameters are q w1 w2 w3 v1 v2 v3 tr1 tr2 tr3 "
                             "ro1 ro2, d.COLUMN for a covariate of --covar" +
                             std::string(sample.has_onset() ? " and m1 m2 m3 s (or s1 s2 s3) for the age at onset"
                                                            : "; m1 m2 m3 s with --onset"));
    }
  }
  if (tr[0] || tr[1] || tr[2]) {
    if (!(tr[0] && tr[1] && tr[2]))
      throw PointOptionError("--at: give tr1, tr2 and tr3 together (without them transmission is Mendelian)");
    p.free_transmission = true;
  }
  if (sample.has_onset()) {
    // The age-of-onset model is the data's: its means and spreads must be given.
    if (!(onset[0] && onset[1] && onset[2]))
      throw PointOptionError("--at: with --onset give m1, m2 and m3, the mean ages at onset of the genotypes");
    if (spread != 1 && spread != 14)
      throw PointOptionError("--at: with --onset give the spread s, or s1, s2 and s3 (one per genotype), not both");
    p.onset = true;
  }
  return p;
}

}  // namespace kinseg::cli
