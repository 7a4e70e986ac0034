#include "tools/settings.hpp"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

namespace kinsim {

const std::array<std::string, kParams>& param_names() {
  static const std::array<std::string, kParams> names = {
      "Q",  "W1", "W2", "W3", "V1", "V2", "V3", "Tr1", "Tr2", "Tr3",
      "D1", "D2", "D3", "D4", "D5", "D6", "D7", "D8",  "Ro1", "Ro2"};
  return names;
}

std::array<Param, kParams> Settings::default_params() {
  std::array<Param, kParams> p{};
  p[kQ - 1].value = 0.5;
  p[kTr1 - 1].value = 1.0;
  p[kTr1].value = 0.5;
  p[kTr1 + 1].value = 0.0;
  return p;
}

namespace {

std::string trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return std::string(s.substr(b, e - b));
}

std::vector<std::string> words(const std::string& s) {
  std::istringstream in(s);
  std::vector<std::string> w;
  for (std::string t; in >> t;) w.push_back(t);
  return w;
}

bool parse_long(const std::string& t, long& out) {
  if (t.empty()) return false;
  for (size_t k = 0; k < t.size(); ++k)
    if (!std::isdigit(static_cast<unsigned char>(t[k])) &&
        !(k == 0 && (t[k] == '-' || t[k] == '+')))
      return false;
  errno = 0;
  char* end = nullptr;
  long v = std::strtol(t.c_str(), &end, 10);
  if (errno == ERANGE || *end != '\0' || end == t.c_str()) return false;
  out = v;
  return true;
}

bool parse_int(const std::string& t, int& out) {
  long v = 0;
  if (!parse_long(t, v) || v < -2147483647L || v > 2147483647L) return false;
  out = static_cast<int>(v);
  return true;
}

bool parse_u64(const std::string& t, uint64_t& out) {
  if (t.empty()) return false;
  for (char c : t)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  errno = 0;
  char* end = nullptr;
  unsigned long long v = std::strtoull(t.c_str(), &end, 10);
  if (errno == ERANGE || *end != '\0') return false;
  out = static_cast<uint64_t>(v);
  return true;
}

// Decimal reals only (no hexadecimal forms, infinities or NaNs).
bool parse_real(const std::string& t, double& out) {
  if (t.empty()) return false;
  bool digit = false;
  for (char c : t) {
    if (std::isdigit(static_cast<unsigned char>(c)))
      digit = true;
    else if (c != '+' && c != '-' && c != '.' && c != 'e' && c != 'E')
      return false;
  }
  if (!digit) return false;
  errno = 0;
  char* end = nullptr;
  double v = std::strtod(t.c_str(), &end);
  if (*end != '\0' || !std::isfinite(v)) return false;
  out = v;
  return true;
}

class Parser {
 public:
  Parser(const std::string& source) : source_(source) {}

  Settings run(std::string_view text) {
    size_t pos = 0;
    while (pos <= text.size()) {
      size_t nl = text.find('\n', pos);
      if (nl == std::string_view::npos) nl = text.size();
      ++line_;
      std::string_view raw = text.substr(pos, nl - pos);
      pos = nl + 1;
      if (size_t hash = raw.find('#'); hash != std::string_view::npos) raw = raw.substr(0, hash);
      std::string l = trim(raw);
      if (l.empty()) continue;
      size_t eq = l.find('=');
      if (eq == std::string::npos) fail("expected \"name = value\", found \"" + l + "\"");
      std::string name = trim(std::string_view(l).substr(0, eq));
      std::string value = trim(std::string_view(l).substr(eq + 1));
      if (name.empty()) fail("a line without a name before \"=\"");
      if (!seen_.emplace(name, line_).second)
        fail("\"" + name + "\" is set again (first on line " + std::to_string(seen_[name]) + ")");
      if (value.empty()) fail("no value for \"" + name + "\"");
      set(name, value);
    }
    finish_covariates();
    return s_;
  }

 private:
  [[noreturn]] void fail(const std::string& what) const {
    throw Error(source_ + ":" + std::to_string(line_) + ": " + what);
  }
  [[noreturn]] void bad(const std::string& name, const std::string& value,
                        const std::string& expected) const {
    fail("\"" + name + " = " + value + "\": expected " + expected);
  }

  int as_int(const std::string& n, const std::string& v) const {
    int x = 0;
    if (!parse_int(v, x)) bad(n, v, "an integer");
    return x;
  }
  double as_real(const std::string& n, const std::string& v) const {
    double x = 0;
    if (!parse_real(v, x)) bad(n, v, "a number");
    return x;
  }

  static int slot_of(const std::string& name) {
    const auto& names = param_names();
    for (int i = 0; i < kParams; ++i)
      if (names[static_cast<size_t>(i)] == name) return i + 1;
    return 0;
  }

  void set(const std::string& n, const std::string& v) {
    if (n == "seed") {
      uint64_t x = 0;
      if (!parse_u64(v, x)) bad(n, v, "a whole number from 0 to 18446744073709551615");
      s_.seed = x;
    } else if (n == "families") {
      s_.families = as_int(n, v);
    } else if (n == "generations") {
      s_.generations = as_int(n, v);
    } else if (n == "children") {
      auto w = words(v);
      if (w.size() == 3 && w[0] == "range") {
        s_.children = Settings::kRange;
        s_.children_min = as_int(n, w[1]);
        s_.children_max = as_int(n, w[2]);
      } else if (w.size() == 3 && w[0] == "poisson") {
        s_.children = Settings::kPoisson;
        s_.children_mean = as_real(n, w[1]);
        s_.children_min = as_int(n, w[2]);
      } else {
        bad(n, v, "\"range MIN MAX\" or \"poisson MEAN MIN\"");
      }
    } else if (n == "marry") {
      s_.marry = as_real(n, v);
    } else if (n == "cousins") {
      s_.cousins = as_real(n, v);
    } else if (n == "isolate") {
      s_.isolate = as_int(n, v);
    } else if (n == "spouses") {
      std::istringstream in{std::string(v)};
      std::string extra;
      if (!(in >> s_.spouses[0] >> s_.spouses[1] >> s_.spouses[2]) || (in >> extra))
        bad(n, v, "\"FIRST SECOND OUTSIDE\": three probabilities");
    } else if (n == "limits") {
      if (v == "programs")
        s_.limits = Settings::kProgramLimits;
      else if (v == "none")
        s_.limits = Settings::kNoLimits;
      else
        bad(n, v, "\"programs\" or \"none\"");
    } else if (n == "ascertainment") {
      auto w = words(v);
      if (w.size() == 1 && w[0] == "none") {
        s_.ascertainment = Settings::kNone;
      } else if (w.size() == 1 && w[0] == "first") {
        s_.ascertainment = Settings::kFirst;
      } else if (w.size() == 2 && w[0] == "single") {
        s_.ascertainment = Settings::kSingle;
        s_.pi = as_real(n, w[1]);
      } else {
        bad(n, v, "\"none\", \"first\" or \"single PI\"");
      }
    } else if (n == "unknown") {
      s_.unknown = as_real(n, v);
    } else if (n == "max_draws") {
      long x = 0;
      if (!parse_long(v, x)) bad(n, v, "an integer");
      s_.max_draws = x;
    } else if (n == "data_file") {
      s_.data_file = v;
    } else if (n == "truth_file") {
      s_.truth_file = v;
    } else if (n.size() == 4 && n.compare(0, 3, "cov") == 0 && n[3] >= '1' && n[3] <= '8') {
      auto w = words(v);
      Covariate c;
      if (w.size() == 3 && w[1] == "binary") {
        c.kind = Covariate::kBinary;
        c.p = as_real(n, w[2]);
      } else if (w.size() == 4 && w[1] == "range") {
        c.kind = Covariate::kRange;
        c.lo = as_int(n, w[2]);
        c.hi = as_int(n, w[3]);
      } else {
        bad(n, v, "\"NAME binary P\" or \"NAME range LO HI\"");
      }
      c.name = w[0];
      covs_[static_cast<size_t>(n[3] - '1')] = c;
    } else if (int slot = slot_of(n)) {
      s_.param(slot).value = as_real(n, v);
    } else if (size_t dot = n.find('.'); dot != std::string::npos && slot_of(n.substr(dot + 1))) {
      Param& p = s_.param(slot_of(n.substr(dot + 1)));
      const std::string field = n.substr(0, dot);
      if (field == "fit") {
        if (v == "est")
          p.use = Use::kEstimated;
        else if (v == "fixed")
          p.use = Use::kFixed;
        else if (v == "off")
          p.use = Use::kOff;
        else
          bad(n, v, "\"est\", \"fixed\" or \"off\"");
      } else if (field == "start") {
        p.start = as_real(n, v);
      } else if (field == "step") {
        p.step = as_real(n, v);
      } else if (field == "low") {
        p.low = as_real(n, v);
      } else if (field == "high") {
        p.high = as_real(n, v);
      } else if (field == "link") {
        if (!slot_of(v)) bad(n, v, "the name of a parameter");
        p.link = slot_of(v);
      } else {
        fail("unknown setting \"" + n + "\"");
      }
    } else if (n == "npar") {
      s_.npar = as_int(n, v);
    } else if (n == "iprint") {
      s_.iprint = as_int(n, v);
    } else if (n == "maxit") {
      s_.maxit = as_int(n, v);
    } else if (n == "epsx") {
      s_.epsx = as_real(n, v);
    } else if (n == "alpha") {
      s_.alpha = as_real(n, v);
    } else if (n == "epsf") {
      s_.epsf = as_real(n, v);
    } else {
      fail("unknown setting \"" + n + "\"");
    }
  }

  // Covariates are numbered cov1, cov2, ... without gaps.
  void finish_covariates() {
    size_t count = 0;
    for (size_t j = 0; j < covs_.size(); ++j)
      if (covs_[j]) count = j + 1;
    for (size_t j = 0; j < count; ++j) {
      if (!covs_[j])
        throw Error(source_ + ": cov" + std::to_string(j + 1) + " is missing while cov" +
                    std::to_string(count) +
                    " is set (covariates are numbered from 1 without gaps)");
      s_.covariates.push_back(*covs_[j]);
    }
  }

  std::string source_;
  int line_ = 0;
  Settings s_;
  std::map<std::string, int> seen_;
  std::array<std::optional<Covariate>, kMaxCovs> covs_;
};

// Names that this tool, kinsort or kinfit read or write, compared ignoring case.
bool reserved_file(const std::string& name) {
  std::string l;
  for (char c : name) l.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  for (const char* r : {"task.inp", "maxpar.inp", "par.inp", "new_dat", "iway.dat", "def.err",
                        "par.err", "max.dat", "sigma.dat", "lh_fam.dat"})
    if (l == r) return true;
  return false;
}

bool same_ignoring_case(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t k = 0; k < a.size(); ++k)
    if (std::tolower(static_cast<unsigned char>(a[k])) !=
        std::tolower(static_cast<unsigned char>(b[k])))
      return false;
  return true;
}

// Names go unquoted into task.inp and the data header, so they are kept to
// letters, digits, '_', '-' and '.'.
bool plain_name(const std::string& n) {
  if (n.empty()) return false;
  for (char c : n)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-' && c != '.')
      return false;
  return true;
}

// Shortest text that reads back as x.
std::string num(double x) {
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, x);
  return std::string(buf, res.ptr);
}

[[noreturn]] void refuse(const std::string& what) { throw Error(what); }

bool is_probability(double p) { return p >= 0.0 && p <= 1.0; }

Use use_of(const Settings& s, int slot) {
  const Param& p = s.param(slot);
  if (p.use) return *p.use;
  if (p.link && *p.link != slot) return Use::kFixed;
  auto any_nonzero = [&](int first, int last) {
    for (int i = first; i <= last; ++i)
      if (s.param(i).value != 0.0) return true;
    return false;
  };
  if (slot <= 4) return Use::kEstimated;
  if (slot < kTr1) return any_nonzero(kV1, kV1 + 2) ? Use::kEstimated : Use::kOff;
  if (slot < kD1) {
    const bool mendelian = s.param(kTr1).value == 1.0 && s.param(kTr1 + 1).value == 0.5 &&
                           s.param(kTr1 + 2).value == 0.0;
    return mendelian ? Use::kOff : Use::kEstimated;
  }
  if (slot < kRo1) return slot - kD1 < s.ncov() ? Use::kEstimated : Use::kOff;
  return p.value != 0.0 ? Use::kEstimated : Use::kOff;
}

bool unit_interval_slot(int slot) { return slot == kQ || (slot >= kTr1 && slot < kD1); }

ParLine line_of(const Settings& s, int slot) {
  const Param& p = s.param(slot);
  const Use use = use_of(s, slot);
  const bool unit = unit_interval_slot(slot);
  const bool linked = p.link && *p.link != slot;
  ParLine l;
  l.link = linked ? *p.link : slot;
  l.iuse = use == Use::kOff ? 0 : 1;
  l.iest = use == Use::kEstimated && !linked ? 1 : 0;
  // A linked parameter takes its target's value at every evaluation.
  const Param& source = linked ? s.param(*p.link) : p;
  l.x = use == Use::kOff ? 0.0 : source.start.value_or(source.value);
  l.step = p.step.value_or(unit ? 0.05 : 0.5);
  l.gl = p.low.value_or(unit ? 0.0 : -10.0);
  l.gr = p.high.value_or(unit ? 1.0 : 10.0);
  return l;
}

void validate_shape(const Settings& s) {
  if (s.families < 1) refuse("families = " + std::to_string(s.families) + ": at least 1 is needed");
  // Every pedigree has its founder couple.
  if (s.families > kMaxSamplePersons / 2)
    refuse("families = " + std::to_string(s.families) + ": a sample holds at most " +
           std::to_string(kMaxSamplePersons) + " persons, so " +
           std::to_string(kMaxSamplePersons / 2) + " pedigrees at most");
  if (s.isolate < 0 || s.isolate == 1 || s.isolate > kMaxIsolateFounders)
    refuse("isolate = " + std::to_string(s.isolate) + ": expected 0 (no isolate) or 2 to " +
           std::to_string(kMaxIsolateFounders) + " founders");
  for (double p : s.spouses)
    if (!is_probability(p)) refuse("spouses = " + num(p) + ": expected probabilities 0..1");
  if (s.isolate > 0 && (s.generations < 1 || s.generations > kMaxIsolateGenerations))
    refuse("generations = " + std::to_string(s.generations) + ": an isolate grows over 1 to " +
           std::to_string(kMaxIsolateGenerations) + " generations");
  else if (s.isolate == 0 && (s.generations < 1 || s.generations > kMaxGenerations))
    refuse("generations = " + std::to_string(s.generations) + ": expected 1 to " +
           std::to_string(kMaxGenerations));
  if (s.children == Settings::kRange) {
    if (s.children_min < 0 || s.children_max < s.children_min || s.children_max > kMaxChildren)
      refuse("children = range " + std::to_string(s.children_min) + " " +
             std::to_string(s.children_max) +
             ": expected 0 <= MIN <= MAX <= " + std::to_string(kMaxChildren));
  } else {
    if (s.children_min < 0 || !(s.children_mean >= s.children_min) ||
        s.children_mean - s.children_min > kMaxChildren)
      refuse("children = poisson " + num(s.children_mean) + " " + std::to_string(s.children_min) +
             ": expected 0 <= MIN <= MEAN <= MIN + " + std::to_string(kMaxChildren));
  }
  if (!is_probability(s.marry)) refuse("marry = " + num(s.marry) + ": expected a probability 0..1");
  if (!is_probability(s.cousins))
    refuse("cousins = " + num(s.cousins) + ": expected a probability 0..1");
  // The founder couple's grandchildren, the first cousins, marry only when
  // there is a generation after theirs.
  if (s.cousins > 0.0 && s.generations < 3)
    refuse("cousins = " + num(s.cousins) +
           ": first cousins are the second generation and marry only when there is a third; "
           "set generations to 3 or more");
  if (!(s.unknown >= 0.0 && s.unknown < 1.0))
    refuse("unknown = " + num(s.unknown) + ": expected a probability 0 <= p < 1");
  if (s.ascertainment == Settings::kSingle && !(s.pi > 0.0 && s.pi <= 1.0))
    refuse("ascertainment = single " + num(s.pi) + ": expected 0 < PI <= 1");
  if (s.max_draws < 0 || (s.max_draws > 0 && s.max_draws < s.families))
    refuse("max_draws = " + std::to_string(s.max_draws) + ": expected at least families = " +
           std::to_string(s.families) + " (or 0 for the default)");
}

void validate_files_and_covariates(const Settings& s) {
  const std::string& d = s.data_file;
  if (!plain_name(d) || d.size() > static_cast<size_t>(kNameLen) ||
      d.find('.') == std::string::npos)
    refuse("data_file = " + d +
           ": expected a name of at most 20 letters, digits, '_', '-' or '.', "
           "with a '.'");
  if (reserved_file(d))
    refuse("data_file = " + d + ": that name belongs to another file of the run");
  const std::string& t = s.truth_file;
  if (!plain_name(t) || t.size() > 100)
    refuse("truth_file = " + t + ": expected a name of letters, digits, '_', '-' or '.'");
  if (reserved_file(t) || same_ignoring_case(t, d))
    refuse("truth_file = " + t + ": that name belongs to another file of the run");

  if (s.ncov() > kMaxCovs)
    refuse(std::to_string(s.ncov()) + " covariates: kinsort and kinfit take 8 at most");
  for (int j = 1; j <= s.ncov(); ++j) {
    const Covariate& c = s.covariates[static_cast<size_t>(j - 1)];
    const std::string key = "cov" + std::to_string(j);
    if (!plain_name(c.name) || c.name.size() > static_cast<size_t>(kNameLen))
      refuse(key + ": name \"" + c.name +
             "\": expected at most 20 letters, digits, '_', '-' or '.'");
    for (const char* r : {"ped", "id", "fa", "mo", "sex", "prob", "trait"})
      if (c.name == r) refuse(key + ": name \"" + c.name + "\" is a column of its own");
    for (int k = 1; k < j; ++k)
      if (s.covariates[static_cast<size_t>(k - 1)].name == c.name)
        refuse(key + ": name \"" + c.name + "\" is also the name of cov" + std::to_string(k));
    if (c.kind == Covariate::kBinary && !is_probability(c.p))
      refuse(key + ": binary " + num(c.p) + ": expected a probability 0..1");
    if (c.kind == Covariate::kRange && (c.lo > c.hi || c.lo < -99999 || c.hi > 999999))
      refuse(key + ": range " + std::to_string(c.lo) + " " + std::to_string(c.hi) +
             ": expected -99999 <= LO <= HI <= 999999");
  }
}

void validate_model(const Settings& s) {
  const auto& names = param_names();
  const double q = s.param(kQ).value;
  if (!is_probability(q)) refuse("Q = " + num(q) + ": expected an allele frequency 0..1");
  for (int i = kTr1; i < kTr1 + 3; ++i)
    if (!is_probability(s.param(i).value))
      refuse(names[static_cast<size_t>(i - 1)] + " = " + num(s.param(i).value) +
             ": expected a transmission probability 0..1");
  if (s.param(kW1).value > s.param(kW1 + 2).value)
    refuse("W1 = " + num(s.param(kW1).value) + " is above W3 = " + num(s.param(kW1 + 2).value) +
           ": the fitted model keeps W1 <= W3 (exchange the alleles: Q -> 1 - Q, W1 <-> W3, "
           "V1 <-> V3, Tr1 <-> 1 - Tr3, Tr2 -> 1 - Tr2)");
  for (int j = s.ncov() + 1; j <= kMaxCovs; ++j) {
    const Param& p = s.param(kD1 + j - 1);
    const std::string& n = names[static_cast<size_t>(kD1 + j - 2)];
    if (p.value != 0.0)
      refuse(n + " = " + num(p.value) + ": there is no covariate " + std::to_string(j));
    if (p.use && *p.use != Use::kOff)
      refuse("fit." + n + ": there is no covariate " + std::to_string(j));
  }
}

void validate_fitting(const Settings& s) {
  const auto& names = param_names();
  if (s.npar < 1 || s.npar > kParams)
    refuse("npar = " + std::to_string(s.npar) + ": expected 1 to " + std::to_string(kParams));
  for (int i = s.npar + 1; i <= kParams; ++i) {
    const Param& p = s.param(i);
    if (p.use || p.start || p.step || p.low || p.high || p.link)
      refuse(names[static_cast<size_t>(i - 1)] + ": fitting controls are set, but its slot " +
             std::to_string(i) + " lies beyond npar = " + std::to_string(s.npar));
  }
  for (int i = 1; i <= s.npar; ++i) {
    const Param& p = s.param(i);
    if (!p.link || *p.link == i) continue;
    const std::string& n = names[static_cast<size_t>(i - 1)];
    const std::string& target = names[static_cast<size_t>(*p.link - 1)];
    if (p.use && *p.use == Use::kOff) refuse("link." + n + ": " + n + " is off");
    if (*p.link > s.npar)
      refuse("link." + n + " = " + target +
             ": its slot lies beyond npar = " + std::to_string(s.npar));
    const Param& t = s.param(*p.link);
    if (t.link && *t.link != *p.link)
      refuse("link." + n + " = " + target + ": " + target +
             " is linked itself; link to its target");
    if (use_of(s, *p.link) == Use::kOff)
      refuse("link." + n + " = " + target + ": " + target + " is off");
  }
  const std::vector<ParLine> lines = par_lines(s);
  auto iuse = [&](int slot) {
    return slot <= s.npar ? lines[static_cast<size_t>(slot - 1)].iuse : 0;
  };
  auto x = [&](int slot) { return slot <= s.npar ? lines[static_cast<size_t>(slot - 1)].x : 0.0; };
  for (int i = 1; i <= s.npar; ++i) {
    const ParLine& l = lines[static_cast<size_t>(i - 1)];
    const std::string& n = names[static_cast<size_t>(i - 1)];
    if (l.gr == 0.0)
      refuse("high." + n +
             " = 0: kinfit reads an upper bound of 0 as 1; give a small positive or "
             "negative value");
    if (!(l.gl < l.gr))
      refuse(n + ": the bounds " + num(l.gl) + " .. " + num(l.gr) + " leave no room");
    if (l.iest && (l.x < l.gl || l.x > l.gr))
      refuse(n + ": the start value " + num(l.x) + " lies outside its bounds " + num(l.gl) +
             " .. " + num(l.gr));
  }
  if (iuse(kV1) == 0 && (iuse(kV1 + 1) || iuse(kV1 + 2)))
    refuse("V2 or V3 is in the fitted model while V1 is off: V1 switches the sex increments on");
  if (iuse(kTr1) != iuse(kTr1 + 1) || iuse(kTr1) != iuse(kTr1 + 2))
    refuse("Tr1, Tr2 and Tr3 must all be in the fitted model or all off");
  if (x(kW1) > x(kW1 + 2))
    refuse("the start value of W1 (" + num(x(kW1)) + ") is above that of W3 (" + num(x(kW1 + 2)) +
           "): kinfit refuses such a start point");
  if (iuse(kQ) && (x(kQ) < 0.0 || x(kQ) > 1.0))
    refuse("the start value of Q (" + num(x(kQ)) + ") is not an allele frequency 0..1");
  if (iuse(kQ) && x(kQ) == 1.0 && lines[kQ - 1].iest == 0 && iuse(kTr1) == 0)
    refuse("Q fixed at 1 leaves no third genotype: kinfit refuses such a start point");
  if (iuse(kTr1))
    for (int i = kTr1; i < kTr1 + 3; ++i)
      if (x(i) < 0.0 || x(i) > 1.0)
        refuse("the start value of " + names[static_cast<size_t>(i - 1)] + " (" + num(x(i)) +
               ") is not a probability 0..1");
}

}  // namespace

Settings parse_settings(std::string_view text, const std::string& source) {
  return Parser(source).run(text);
}

Settings read_settings(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) throw FileError(path + ": cannot open the settings file");
  std::string text;
  char buf[4096];
  size_t n = 0;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) throw FileError(path + ": cannot read the settings file");
  return parse_settings(text, path);
}

void validate(const Settings& s) {
  validate_shape(s);
  validate_files_and_covariates(s);
  validate_model(s);
  validate_fitting(s);
}

std::vector<ParLine> par_lines(const Settings& s) {
  std::vector<ParLine> lines;
  const int n = s.npar < 0 ? 0 : (s.npar > kParams ? kParams : s.npar);
  for (int i = 1; i <= n; ++i) lines.push_back(line_of(s, i));
  return lines;
}

}  // namespace kinsim
