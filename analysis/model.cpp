#include "analysis/model.hpp"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "analysis/message_text.hpp"
#include "analysis/search_box.hpp"

namespace kinseg {

namespace {

constexpr double kLogitBound = 20.0;
constexpr double kQLow = 1e-4;
constexpr double kQHigh = 1.0 - 1e-4;

bool is_probability(const std::string& name) { return name == "q" || name == "h" || name.rfind("tr", 0) == 0; }
bool is_spread(const std::string& name) { return name == "s" || (name.size() == 2 && name[0] == 's'); }

}  // namespace

std::string derived_text(const std::string& name) {
  if (name == "tr2") return "tr2 is computed from q, tr1 and tr3 so that the type frequencies stay the same";
  const std::string l = name.substr(0, 1);
  return name + " is computed from " + l + "1, " + l + "3 and h: " + name + " = " + l + "3 + h (" + l + "1 - " + l + "3)";
}

namespace {

}  // namespace

std::string transmission_name(Transmission t) {
  switch (t) {
    case Transmission::sporadic: return "sporadic";
    case Transmission::no_transmission: return "no_transmission";
    case Transmission::mendelian: return "mendelian";
    case Transmission::tau_ab_free: return "tau_ab_free";
    case Transmission::homog_general: return "homog_general";
    case Transmission::general: return "general";
  }
  return "";
}

std::string effects_name(GenotypeEffects e) {
  switch (e) {
    case GenotypeEffects::codominant: return "codominant";
    case GenotypeEffects::dominant: return "dominant";
    case GenotypeEffects::recessive: return "recessive";
    case GenotypeEffects::additive: return "additive";
    case GenotypeEffects::unordered: return "unordered";
  }
  return "";
}

std::string parameter_role_name(ParameterRole r) {
  switch (r) {
    case ParameterRole::estimated: return "estimated";
    case ParameterRole::fixed: return "fixed";
    case ParameterRole::linked: return "linked";
    case ParameterRole::derived: return "derived";
  }
  return "";
}

ModelError::ModelError(const std::vector<std::string>& problems)
    : std::runtime_error(join(problems, "\n")), problems_(problems) {}

Model::Model(const std::string& model_name, const ModelOptions& options) : options_(options) {
  std::vector<std::string> problems;
  const auto colon = model_name.find(':');
  const std::string trans = model_name.substr(0, colon);
  const std::string type = colon == std::string::npos ? "" : model_name.substr(colon + 1);
  const std::vector<std::pair<std::string, Transmission>> transmissions = {
      {"sporadic", Transmission::sporadic},       {"no_transmission", Transmission::no_transmission},
      {"mendelian", Transmission::mendelian},     {"tau_ab_free", Transmission::tau_ab_free},
      {"homog_general", Transmission::homog_general}, {"general", Transmission::general}};
  bool known = false;
  for (const auto& [name, t] : transmissions)
    if (name == trans) transmission_ = t, known = true;
  if (!known)
    problems.push_back("model '" + model_name + "': unknown transmission '" + trans +
                       "' (expected sporadic, no_transmission, mendelian, tau_ab_free, homog_general or general)");
  if (type == "dominant") {
    effects_ = GenotypeEffects::dominant;
  } else if (type == "recessive") {
    effects_ = GenotypeEffects::recessive;
  } else if (type == "additive") {
    effects_ = GenotypeEffects::additive;
  } else if (type == "unordered") {
    effects_ = GenotypeEffects::unordered;
  } else if (type == "codominant" || colon == std::string::npos) {
    effects_ = GenotypeEffects::codominant;
  } else {
    problems.push_back("model '" + model_name + "': unknown type '" + type +
                       "' (expected codominant, dominant, recessive, additive or unordered)");
  }
  if (known && transmission_ == Transmission::sporadic && colon != std::string::npos)
    problems.push_back("model '" + model_name + "': sporadic has one susceptibility for all and takes no type");
  if (!problems.empty()) throw ModelError(problems);

  build(problems);
  apply_options(problems);
  if (problems.empty()) decide_turning_round();
  if (problems.empty()) check_constraints(problems);
  if (!problems.empty()) throw ModelError(problems);
  free_.clear();
  position_.assign(parameters_.size(), -1);
  for (size_t i = 0; i < parameters_.size(); ++i)
    if (parameters_[i].role == ParameterRole::estimated) {
      position_[i] = static_cast<int>(free_.size());
      free_.push_back(static_cast<int>(i));
    }
}

std::string Model::name() const {
  if (transmission_ == Transmission::sporadic) return "sporadic";
  return transmission_name(transmission_) + ":" + effects_name(effects_);
}

void Model::build(std::vector<std::string>& problems) {
  auto add = [&](const std::string& name, ParameterRole role, double low, double high, double scale) {
    Parameter p;
    p.name = name;
    p.role = role;
    p.low = low;
    p.high = high;
    p.scale = scale;
    parameters_.push_back(p);
    return static_cast<int>(parameters_.size()) - 1;
  };
  const bool sporadic = transmission_ == Transmission::sporadic;
  if (!sporadic) q_ = add("q", ParameterRole::estimated, kQLow, kQHigh, 0.1);

  // The three genotypes' baselines and, with a sex effect, increments: linked
  // as the type says (the heterozygote's derived through h when ORDERED; the
  // ages at onset keep it free).
  auto genotype_terms = [&](const char* letter, int (&index)[3], double low = -kLogitBound,
                            double high = kLogitBound, double scale = 1.0, bool ordered = true) {
    for (int g = 0; g < 3; ++g)
      index[g] = add(std::string(letter) + std::to_string(g + 1), ParameterRole::estimated, low, high, scale);
    auto link = [&](int g, int to) {
      parameters_[index[g]].role = ParameterRole::linked;
      parameters_[index[g]].link = index[to];
    };
    if (sporadic) {
      link(1, 0);
      link(2, 0);
    } else if (effects_ == GenotypeEffects::dominant) {
      link(1, 0);
    } else if (effects_ == GenotypeEffects::recessive) {
      link(1, 2);
    } else if (ordered && (effects_ == GenotypeEffects::codominant || effects_ == GenotypeEffects::additive)) {
      parameters_[index[1]].role = ParameterRole::derived;
    }
  };
  genotype_terms("w", w_);
  if (!sporadic && (effects_ == GenotypeEffects::codominant || effects_ == GenotypeEffects::additive)) {
    h_ = add("h", effects_ == GenotypeEffects::additive ? ParameterRole::fixed : ParameterRole::estimated, 0, 1, 0.1);
    parameters_[h_].value = 0.5;
  }
  if (options_.sex_effect) genotype_terms("v", v_);

  switch (transmission_) {
    case Transmission::sporadic:
    case Transmission::mendelian:
      break;
    case Transmission::no_transmission:
      for (int g = 0; g < 3; ++g) {
        tr_[g] = add("tr" + std::to_string(g + 1), ParameterRole::linked, 0, 1, 0.1);
        parameters_[tr_[g]].link = q_;
      }
      break;
    case Transmission::tau_ab_free:
      tr_[0] = add("tr1", ParameterRole::fixed, 0, 1, 0.1);
      parameters_[tr_[0]].value = 1.0;
      tr_[1] = add("tr2", ParameterRole::estimated, 0, 1, 0.1);
      tr_[2] = add("tr3", ParameterRole::fixed, 0, 1, 0.1);
      parameters_[tr_[2]].value = 0.0;
      break;
    case Transmission::homog_general:
      tr_[0] = add("tr1", ParameterRole::estimated, 0, 1, 0.1);
      tr_[1] = add("tr2", ParameterRole::derived, 0, 1, 0.1);
      tr_[2] = add("tr3", ParameterRole::estimated, 0, 1, 0.1);
      break;
    case Transmission::general:
      for (int g = 0; g < 3; ++g) tr_[g] = add("tr" + std::to_string(g + 1), ParameterRole::estimated, 0, 1, 0.1);
      break;
  }

  for (const auto& c : options_.covariates) {
    if (c.name.empty()) {
      problems.push_back("a covariate without a name");
      continue;
    }
    for (int j : d_)
      if (parameters_[j].name == "d." + c.name) problems.push_back("covariate '" + c.name + "' given twice");
    const double largest = std::isfinite(c.largest) && c.largest > 0 ? c.largest : 1.0;
    if (!std::isfinite(kLogitBound / largest)) {
      problems.push_back("covariate '" + c.name + "': its largest value in size, " + significant(largest, 4) +
                         ", is too small for its coefficient's default bounds (" + significant(kLogitBound, 4) + "/" +
                         significant(largest, 4) + " is not a finite number); rescale the covariate");
      continue;
    }
    d_.push_back(add("d." + c.name, ParameterRole::estimated, -kLogitBound / largest, kLogitBound / largest, 1.0 / largest));
  }
  if (options_.regressive)
    for (int r = 0; r < 2; ++r) ro_[r] = add("ro" + std::to_string(r + 1), ParameterRole::estimated, -kLogitBound, kLogitBound, 1.0);

  const OnsetOptions& on = options_.onset;
  if (on.on) {
    if (!(std::isfinite(on.youngest) && std::isfinite(on.oldest) && on.youngest <= on.oldest)) {
      problems.push_back("no ages to fit an age of onset to");
      return;
    }
    genotype_terms("m", m_, on.youngest - kMeanMargin, on.oldest + kMeanMargin, 5.0, false);
    if (on.spread_by_type) {
      genotype_terms("s", s_, kSpreadLow, kSpreadHigh, 1.0, false);
    } else {
      s_[0] = s_[1] = s_[2] = add("s", ParameterRole::estimated, kSpreadLow, kSpreadHigh, 1.0);
    }
  }
}

int Model::find(const std::string& name) const {
  for (size_t i = 0; i < parameters_.size(); ++i)
    if (parameters_[i].name == name) return static_cast<int>(i);
  return -1;
}

void Model::apply_options(std::vector<std::string>& problems) {
  std::vector<std::string> names;
  for (const auto& p : parameters_) names.push_back(p.name);
  const std::string model = name();
  // The parameter NAME as an option may set it: estimated and not held.
  auto settable = [&](const std::string& option, const std::string& pname) -> int {
    const int i = find(pname);
    if (i < 0) {
      problems.push_back(option + " " + pname + ": not a parameter of " + model + " (its parameters: " +
                         join(names, " ") + ")");
      return -1;
    }
    const Parameter& p = parameters_[i];
    if (p.role == ParameterRole::linked) {
      problems.push_back(option + " " + pname + ": in " + model + " " + pname + " equals " +
                         parameters_[p.link].name + "; set " + parameters_[p.link].name + " instead");
      return -1;
    }
    if (p.role == ParameterRole::derived) {
      problems.push_back(option + " " + pname + ": in " + model + " " + derived_text(pname));
      return -1;
    }
    if (p.role == ParameterRole::fixed && !p.fixed_by_user) {
      problems.push_back(option + " " + pname + ": " + pname + " is " + significant(p.value, 10) + " in " + model);
      return -1;
    }
    return i;
  };
  auto domain = [&](const std::string& option, const std::string& pname, double v) {
    if (!std::isfinite(v)) {
      problems.push_back(option + " " + pname + ": not a finite number");
      return false;
    }
    if (pname == "q" && !(v > 0 && v < 1)) {
      problems.push_back(option + " q: " + significant(v, 10) + " is not strictly between 0 and 1");
      return false;
    }
    if (is_spread(pname) && !(v > 0)) {
      problems.push_back(option + " " + pname + ": " + significant(v, 10) + " is not a positive spread");
      return false;
    }
    if (is_probability(pname) && pname != "q" && !(v >= 0 && v <= 1)) {
      problems.push_back(option + " " + pname + ": " + significant(v, 10) + " is not between 0 and 1");
      return false;
    }
    return true;
  };

  std::vector<std::string> seen;
  auto once = [&](const std::string& option, const std::string& pname) {
    const std::string key = option + " " + pname;
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) {
      problems.push_back(key + ": given twice");
      return false;
    }
    seen.push_back(key);
    return true;
  };

  for (const auto& f : options_.fix) {
    if (!once("--fix", f.name)) continue;
    const int i = settable("--fix", f.name);
    if (i < 0 || !domain("--fix", f.name, f.value)) continue;
    parameters_[i].role = ParameterRole::fixed;
    parameters_[i].fixed_by_user = true;
    parameters_[i].value = f.value;
  }
  for (const auto& b : options_.bounds) {
    if (!once("--bounds", b.name)) continue;
    const int i = settable("--bounds", b.name);
    if (i < 0) continue;
    if (parameters_[i].role == ParameterRole::fixed) {
      problems.push_back("--bounds " + b.name + ": " + b.name + " is fixed by --fix");
      continue;
    }
    if (!domain("--bounds", b.name, b.low) || !domain("--bounds", b.name, b.high)) continue;
    const std::string box = box_problem(b.name, b.low, b.high);
    if (!box.empty()) {
      problems.push_back("--bounds " + box);
      continue;
    }
    parameters_[i].low = b.low;
    parameters_[i].high = b.high;
    parameters_[i].scale = search_scale(parameters_[i].scale, b.low, b.high);
  }
  for (const auto& s : options_.start) {
    if (!once("--start", s.name)) continue;
    const int i = settable("--start", s.name);
    if (i < 0) continue;
    if (parameters_[i].role == ParameterRole::fixed) {
      problems.push_back("--start " + s.name + ": " + s.name + " is fixed by --fix");
      continue;
    }
    if (!domain("--start", s.name, s.value)) continue;
    const Parameter& p = parameters_[i];
    if (s.value < p.low || s.value > p.high) {
      problems.push_back("--start " + s.name + "=" + significant(s.value, 10) + ": outside its bounds " + significant(p.low, 10) +
                         ":" + significant(p.high, 10));
      continue;
    }
    parameters_[i].start = s.value;
  }
}

void Model::check_constraints(std::vector<std::string>& problems) {
  if (orientation_constrained()) {
    const Parameter& w1 = parameters_[w_[0]];
    const Parameter& w3 = parameters_[w_[2]];
    const double w1_high = w1.role == ParameterRole::fixed ? w1.value : w1.high;
    const double w3_low = w3.role == ParameterRole::fixed ? w3.value : w3.low;
    const std::string why = "in " + name() + " genotype 1 is the homozygote of higher risk, w1 >= w3";
    if (!options_.sex_effect && w1_high < w3_low) {
      problems.push_back("the values or bounds of w1 and w3 leave no room for w1 >= w3 (" + why + ")");
    } else {
      auto given = [](const Parameter& p) -> std::optional<double> {
        if (p.role == ParameterRole::fixed) return p.value;
        return p.start;
      };
      const auto a = given(w1), b = given(w3);
      if (!options_.sex_effect && a && b && *a < *b)
        problems.push_back("w1 = " + significant(*a, 10) + " below w3 = " + significant(*b, 10) + " (" + why +
                           "; exchange the alleles, or use the other type)");
    }
  }
  if (transmission_ == Transmission::homog_general) {
    const Parameter& q = parameters_[q_];
    const Parameter& t1 = parameters_[tr_[0]];
    const Parameter& t3 = parameters_[tr_[2]];
    if (q.role == ParameterRole::fixed && t1.role == ParameterRole::fixed && t3.role == ParameterRole::fixed) {
      const double tr2 = homog_tr2(q.value, t1.value, t3.value);
      if (!(tr2 >= 0 && tr2 <= 1))
        problems.push_back("the fixed q, tr1 and tr3 give tr2 = " + significant(tr2, 10) + ", outside 0..1");
    }
  }
}

bool Model::orientation_constrained() const {
  if (transmission_ == Transmission::sporadic || effects_ == GenotypeEffects::unordered) return false;
  return effects_ == GenotypeEffects::dominant || effects_ == GenotypeEffects::recessive || !can_turn_round_;
}

double Model::susceptibility(const std::vector<double>& v, int g) const {
  return v[w_[g]] + (options_.sex_effect ? options_.sex2_share * v[v_[g]] : 0.0);
}

void Model::decide_turning_round() {
  can_turn_round_ = false;
  if (transmission_ == Transmission::sporadic || effects_ == GenotypeEffects::dominant ||
      effects_ == GenotypeEffects::recessive)
    return;
  const double eps = 1e-12;
  auto mirror_pair = [&](int a, int b, bool complement) {
    // Parameters a and b exchange (b may equal a): same role, and bounds or
    // value carried onto each other (through x -> 1 - x when COMPLEMENT).
    if (a < 0 && b < 0) return true;
    const Parameter& pa = parameters_[a];
    const Parameter& pb = parameters_[b];
    if (pa.role != pb.role) return false;
    auto map = [&](double v) { return complement ? 1.0 - v : v; };
    if (pa.role == ParameterRole::fixed) return std::abs(map(pa.value) - pb.value) <= eps;
    if (pa.role != ParameterRole::estimated) return true;
    const double lo = complement ? map(pa.high) : pa.low;
    const double hi = complement ? map(pa.low) : pa.high;
    return std::abs(lo - pb.low) <= eps && std::abs(hi - pb.high) <= eps;
  };
  if (!mirror_pair(q_, q_, true)) return;
  if (h_ >= 0 && !mirror_pair(h_, h_, true)) return;
  if (!mirror_pair(w_[0], w_[2], false)) return;
  if (options_.sex_effect && !mirror_pair(v_[0], v_[2], false)) return;
  if (options_.onset.on && (!mirror_pair(m_[0], m_[2], false) || !mirror_pair(s_[0], s_[2], false))) return;
  if (tr_[0] >= 0) {
    if (!mirror_pair(tr_[0], tr_[2], true)) return;
    if (!mirror_pair(tr_[1], tr_[1], true)) return;
  }
  can_turn_round_ = true;
}

std::vector<std::string> Model::free_names() const {
  std::vector<std::string> out;
  for (int i : free_) out.push_back(parameters_[i].name);
  return out;
}

std::vector<double> Model::lower() const {
  std::vector<double> out;
  for (int i : free_) out.push_back(parameters_[i].low);
  return out;
}

std::vector<double> Model::upper() const {
  std::vector<double> out;
  for (int i : free_) out.push_back(parameters_[i].high);
  return out;
}

std::vector<double> Model::scales() const {
  std::vector<double> out;
  for (int i : free_) out.push_back(parameters_[i].scale);
  return out;
}

double Model::homog_tr2(double q, double tr1, double tr3) {
  return (q - q * q * tr1 - (1 - q) * (1 - q) * tr3) / (2 * q * (1 - q));
}

std::vector<double> Model::values(const std::vector<double>& x) const {
  std::vector<double> v(parameters_.size(), 0.0);
  for (size_t i = 0; i < parameters_.size(); ++i) {
    const Parameter& p = parameters_[i];
    if (p.role == ParameterRole::estimated) v[i] = x.at(position_[i]);
    if (p.role == ParameterRole::fixed) v[i] = p.value;
  }
  for (size_t i = 0; i < parameters_.size(); ++i)
    if (parameters_[i].role == ParameterRole::linked) v[i] = v[parameters_[i].link];
  if (h_ >= 0) {
    v[w_[1]] = v[w_[2]] + v[h_] * (v[w_[0]] - v[w_[2]]);
    if (options_.sex_effect) v[v_[1]] = v[v_[2]] + v[h_] * (v[v_[0]] - v[v_[2]]);
  }
  if (transmission_ == Transmission::homog_general) v[tr_[1]] = homog_tr2(v[q_], v[tr_[0]], v[tr_[2]]);
  return v;
}

std::vector<double> Model::free_vector(const std::vector<double>& values) const {
  std::vector<double> x;
  for (int i : free_) x.push_back(values.at(i));
  return x;
}

Point Model::point(const std::vector<double>& x) const {
  const std::vector<double> v = values(x);
  Point p;
  p.q = q_ >= 0 ? v[q_] : 0.5;
  for (int g = 0; g < 3; ++g) p.w[g] = v[w_[g]];
  p.sex_effect = options_.sex_effect;
  if (p.sex_effect)
    for (int g = 0; g < 3; ++g) p.v[g] = v[v_[g]];
  p.free_transmission = tr_[0] >= 0;
  if (p.free_transmission)
    for (int g = 0; g < 3; ++g) p.tau[g] = std::clamp(v[tr_[g]], 0.0, 1.0);
  for (int j : d_) p.d.push_back(v[j]);
  if (options_.regressive)
    for (int r = 0; r < 2; ++r) p.ro[r] = v[ro_[r]];
  p.onset = options_.onset.on;
  if (p.onset)
    for (int g = 0; g < 3; ++g) {
      p.m[g] = v[m_[g]];
      p.s[g] = v[s_[g]];
    }
  return p;
}

bool Model::feasible(const std::vector<double>& x) const {
  for (int c = 0; c < k(); ++c) {
    const Parameter& p = parameters_[free_[c]];
    if (!(x[c] >= p.low && x[c] <= p.high)) return false;
  }
  const std::vector<double> v = values(x);
  if (orientation_constrained() && susceptibility(v, 0) < susceptibility(v, 2)) return false;
  if (transmission_ == Transmission::homog_general) {
    const double tr2 = v[tr_[1]];
    if (!(tr2 >= -1e-12 && tr2 <= 1 + 1e-12)) return false;
  }
  return true;
}

std::optional<std::vector<double>> Model::project(const std::vector<double>& x, const std::vector<bool>& movable) const {
  std::vector<double> y = x;
  auto can_move = [&](int c) { return c >= 0 && (movable.empty() || movable[c]); };
  for (int c = 0; c < k(); ++c) {
    const Parameter& p = parameters_[free_[c]];
    if (std::isnan(y[c])) return std::nullopt;
    if (can_move(c)) y[c] = std::clamp(y[c], p.low, p.high);
  }
  if (orientation_constrained()) {
    // S1 below S3: W1 and W3 moved towards each other until S1 = S3 (each by
    // half the gap when both may move; what one cannot take within its bound,
    // the other takes).
    const std::vector<double> v = values(y);
    const double gap = susceptibility(v, 2) - susceptibility(v, 0);
    if (gap > 0) {
      const int c1 = position_[w_[0]], c3 = position_[w_[2]];
      const bool m1 = can_move(c1), m3 = can_move(c3);
      const Parameter& p1 = parameters_[w_[0]];
      const Parameter& p3 = parameters_[w_[2]];
      const double room1 = m1 ? p1.high - v[w_[0]] : 0.0, room3 = m3 ? v[w_[2]] - p3.low : 0.0;
      if (room1 + room3 < gap) return std::nullopt;
      double up = m1 && m3 ? 0.5 * gap : m1 ? gap : 0.0;
      up = std::clamp(up, gap - room3, room1);
      const double down = gap - up;
      if (m1) y[c1] = std::min(v[w_[0]] + up, p1.high);
      if (m3) y[c3] = std::max(v[w_[2]] - down, p3.low);
      // Rounding may leave S1 a hair below S3.
      const std::vector<double> after = values(y);
      const double left = susceptibility(after, 2) - susceptibility(after, 0);
      if (left > 0) {
        if (m1) y[c1] = std::min(y[c1] + left, p1.high);
        else y[c3] = std::max(y[c3] - left, p3.low);
      }
    }
  }
  if (transmission_ == Transmission::homog_general) {
    const std::vector<double> v = values(y);
    const double q = v[q_];
    if (!(q > 0 && q < 1)) return std::nullopt;
    const double n[2] = {q * q, (1 - q) * (1 - q)};
    const int c[2] = {position_[tr_[0]], position_[tr_[2]]};
    const double t[2] = {v[tr_[0]], v[tr_[2]]};
    const double s = n[0] * t[0] + n[1] * t[1];
    const double high = q, low = 2 * q * q - q;
    if (s > high || s < low) {
      // Move the movable ones of Tr1, Tr3 along (Q^2, (1-Q)^2), clamped to
      // their bounds, until the weighted sum reaches the edge of [low, high].
      const double target = s > high ? high : low;
      const double sign = s > high ? -1.0 : 1.0;
      auto at = [&](double lambda, double* out) {
        double sum = 0;
        for (int j = 0; j < 2; ++j) {
          out[j] = t[j];
          if (can_move(c[j])) {
            const Parameter& p = parameters_[tr_[2 * j]];
            out[j] = std::clamp(t[j] + sign * lambda * n[j], p.low, p.high);
          }
          sum += n[j] * out[j];
        }
        return sum;
      };
      auto reached = [&](double sum) { return sign < 0 ? sum <= target : sum >= target; };
      double tt[2];
      double hi = 1.0;
      int doublings = 0;
      while (!reached(at(hi, tt)) && doublings < 200) hi *= 2, ++doublings;
      if (!reached(at(hi, tt))) return std::nullopt;
      double lo = 0.0;
      for (int it = 0; it < 200 && hi - lo > 1e-15 * hi; ++it) {
        const double mid = 0.5 * (lo + hi);
        if (reached(at(mid, tt))) hi = mid;
        else lo = mid;
      }
      at(hi, tt);
      for (int j = 0; j < 2; ++j)
        if (can_move(c[j])) y[c[j]] = tt[j];
    }
  }
  if (!feasible(y)) return std::nullopt;
  return y;
}

std::vector<BoundSide> Model::bound_sides(const std::vector<double>& x, double tol) const {
  std::vector<BoundSide> side(k(), BoundSide::none);
  for (int c = 0; c < k(); ++c) {
    const Parameter& p = parameters_[free_[c]];
    const double below = x[c] - p.low, above = p.high - x[c];
    if (std::min(below, above) <= tol * p.scale) side[c] = below <= above ? BoundSide::lower : BoundSide::upper;
  }
  return side;
}

std::vector<std::string> Model::bound_reasons(const std::vector<double>& x, double tol) const {
  std::vector<std::string> why(k());
  const std::vector<BoundSide> side = bound_sides(x, tol);
  for (int c = 0; c < k(); ++c)
    if (side[c] != BoundSide::none) why[c] = side[c] == BoundSide::lower ? "lower bound" : "upper bound";
  const std::vector<double> v = values(x);
  auto mark = [&](int param, const std::string& reason) {
    const int c = position_[param];
    if (c >= 0 && why[c].empty()) why[c] = reason;
  };
  if (orientation_constrained() && susceptibility(v, 0) - susceptibility(v, 2) <= tol * parameters_[w_[0]].scale) {
    const std::string reason = options_.sex_effect ? "s1 = s3" : "w1 = w3";
    mark(w_[0], reason);
    mark(w_[2], reason);
  }
  if (transmission_ == Transmission::homog_general) {
    const double tr2 = v[tr_[1]];
    const double t = tol * parameters_[tr_[1]].scale;
    if (tr2 <= t || tr2 >= 1 - t) {
      // All three enter tr2: none of them can move alone and stay on the edge.
      const std::string reason = tr2 <= t ? "tr2 = 0" : "tr2 = 1";
      mark(q_, reason);
      mark(tr_[0], reason);
      mark(tr_[2], reason);
    }
  }
  return why;
}

std::vector<bool> Model::at_bound(const std::vector<double>& x, double tol) const {
  const std::vector<std::string> why = bound_reasons(x, tol);
  std::vector<bool> out(why.size());
  for (size_t c = 0; c < why.size(); ++c) out[c] = !why[c].empty();
  return out;
}

bool Model::needs_turning_round(const std::vector<double>& x) const {
  if (!can_turn_round_) return false;
  const std::vector<double> v = values(x);
  const double s1 = susceptibility(v, 0), s3 = susceptibility(v, 2);
  if (s1 != s3) return s1 < s3;
  if (v[w_[0]] != v[w_[2]]) return v[w_[0]] < v[w_[2]];
  return options_.sex_effect && v[v_[0]] < v[v_[2]];
}

std::vector<double> Model::turned_round(const std::vector<double>& x) const {
  std::vector<double> v = values(x);
  if (q_ >= 0) v[q_] = 1.0 - v[q_];
  if (h_ >= 0) v[h_] = 1.0 - v[h_];
  std::swap(v[w_[0]], v[w_[2]]);
  if (options_.sex_effect) std::swap(v[v_[0]], v[v_[2]]);
  if (options_.onset.on) {
    std::swap(v[m_[0]], v[m_[2]]);
    std::swap(v[s_[0]], v[s_[2]]);
  }
  if (tr_[0] >= 0) {
    const double t1 = v[tr_[0]], t2 = v[tr_[1]], t3 = v[tr_[2]];
    v[tr_[0]] = 1.0 - t3;
    v[tr_[1]] = 1.0 - t2;
    v[tr_[2]] = 1.0 - t1;
  }
  return free_vector(v);
}

}  // namespace kinseg
