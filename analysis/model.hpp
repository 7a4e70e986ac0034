// A named segregation model: which parameters of the point are estimated, which
// are held, which follow others, within which bounds, and how the free vector
// of an optimiser maps to the point the likelihood reads.
//
//   TRANSMISSION: sporadic         one susceptibility, no major type: W1 = W2 = W3
//                                  (and V1 = V2 = V3); Q is not a parameter
//                 no_transmission  the types are not transmitted: Tr1 = Tr2 = Tr3 = Q
//                 mendelian        Tr = 1, 1/2, 0
//                 tau_ab_free      Tr1 = 1, Tr3 = 0, Tr2 estimated
//                 homog_general    Tr1, Tr3 estimated; Tr2 keeps the type frequencies
//                                  the same in every generation:
//                                  Tr2 = [Q - Q^2 Tr1 - (1-Q)^2 Tr3] / [2Q(1-Q)],
//                                  and a point where it leaves [0, 1] is refused
//                 general          Tr1, Tr2, Tr3 estimated
//   TYPE:         codominant       ordered: W1 >= W2 >= W3, the heterozygote
//                                  between the homozygotes, W2 = W3 + H (W1 - W3)
//                                  with the dominance H in [0, 1] estimated
//                                  (the default; H = 1 dominant, H = 0
//                                  recessive); with a sex effect V2 = V3 +
//                                  H (V1 - V3), the same H
//                 additive         codominant with H = 1/2
//                 unordered        W1, W2, W3 estimated freely
//                 dominant         W1 = W2 (and V1 = V2)
//                 recessive        W2 = W3 (and V2 = V3)
// W2 (and V2) stay parameters of every table: derived in the codominant and
// additive models.
//
// Orientation. Genotype 1 carries two copies of the allele of frequency Q and
// is the homozygote of the higher mean susceptibility over the persons of
// known trait: S1 >= S3, where S_g = W_g + f V_g and f is the share of sex 2
// among them (ModelOptions::sex2_share; the covariates add the same to every
// genotype and drop out of the comparison). Without a sex effect that is
// W1 >= W3; with a trait recorded in women only (f = 1) it is W1 + V1 >=
// W3 + V3. So Q is the frequency of the allele that raises the risk of the
// persons analysed, "dominant" means one copy of it is enough (W1 = W2 >= W3)
// and "recessive" means two are needed (W1 >= W2 = W3). For dominant and
// recessive models the order S1 >= S3 is part of the model: without it the two
// would be mirror images of each other with the same likelihood (exchanging
// the alleles turns W1 = W2 into W2 = W3). The codominant, additive and
// unordered models are closed under the exchange (Q -> 1-Q, W1 <-> W3,
// V1 <-> V3, H -> 1-H, Tr1 -> 1-Tr3, Tr2 -> 1-Tr2, Tr3 -> 1-Tr1, the same
// likelihood), so their search runs free and a maximum with S1 < S3 is turned
// round, unless --fix or --bounds are not symmetric under the exchange: then
// the order is a constraint of the codominant and additive models, and the
// unordered fit is left as found, with a message.
//
// Age of onset (ModelOptions::onset): the logistic penetrance is then the
// susceptibility, the probability of falling ill at some age, and among the
// susceptible of genotype g the age at onset is logistic with mean Mg and
// spread S (or Sg, one per genotype). The M's and S's follow the TYPE's links
// (dominant M1 = M2, recessive M2 = M3, sporadic one M and one S; the other
// types leave the three free).
//
// Parameter names: q w1 w2 w3 h v1 v2 v3 tr1 tr2 tr3 d.COLUMN ro1 ro2 m1 m2 m3
// s (or s1 s2 s3), in that order (h in the codominant and additive models
// only; the m's and s's with an age of onset only). Default bounds: q in
// [1e-4, 1 - 1e-4], Tr in [0, 1], logits (W, V, Ro) in [-20, 20], a
// covariate's coefficient such that it moves the logit by at most 20 over the
// covariate's largest absolute value in the sample, the M's within the
// observed ages widened by 20 years, the S's in [0.5, 30].
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/point.hpp"

namespace kinseg {

enum class Transmission { sporadic, no_transmission, mendelian, tau_ab_free, homog_general, general };
enum class GenotypeEffects { codominant, dominant, recessive, additive, unordered };

std::string transmission_name(Transmission t);
std::string effects_name(GenotypeEffects e);

// The bound of its own range a parameter lies on.
enum class BoundSide { none, lower, upper };

struct NamedValue {
  std::string name;
  double value = 0.0;
};

struct NamedRange {
  std::string name;
  double low = 0.0;
  double high = 0.0;
};

// The covariate columns entering the model, with the largest absolute value of
// each in the sample (it scales the bounds and search steps of its coefficient;
// 0 or absent means 1).
struct ModelCovariate {
  std::string name;
  double largest = 1.0;
};

// The age-of-onset terms and what the data say about them.
struct OnsetOptions {
  bool on = false;
  bool spread_by_type = false;  // s1 s2 s3 in place of one s
  double youngest = 0.0;        // the observed ages (of onset or last observation)
  double oldest = 100.0;
  double mean_start = 50.0;     // where the M's and S's start
  double spread_start = 5.0;
};

inline constexpr double kSpreadLow = 0.5;
inline constexpr double kSpreadHigh = 30.0;
inline constexpr double kMeanMargin = 20.0;

struct ModelOptions {
  bool sex_effect = false;             // V1-V3
  // The share of sex 2 among the persons of known trait: it weighs the sex
  // increments in the orientation S_g = W_g + f V_g (SampleSummary::sex2_share).
  double sex2_share = 0.0;
  std::vector<ModelCovariate> covariates;  // one coefficient d.NAME each
  bool regressive = false;             // Ro1, Ro2
  OnsetOptions onset;                  // M1-M3, S or S1-S3
  std::vector<NamedValue> fix;         // --fix NAME=VALUE
  std::vector<NamedValue> start;       // --start NAME=VALUE
  std::vector<NamedRange> bounds;      // --bounds NAME=LO:HI
};

// How a parameter of the model gets its value.
enum class ParameterRole {
  estimated,  // a coordinate of the free vector
  fixed,      // held: by --fix, or by the model (Tr1 = 1, Tr3 = 0 in tau_ab_free)
  linked,     // equal to another parameter (w2 = w1 in a dominant model)
  derived,    // computed from others (tr2 in homog_general, w2 from w1, w3 and h)
};

std::string parameter_role_name(ParameterRole r);

struct Parameter {
  std::string name;
  ParameterRole role = ParameterRole::estimated;
  double low = 0.0, high = 0.0;      // bounds of an estimated parameter
  double scale = 1.0;                // a typical change: first search step, difference steps
  double value = 0.0;                // a fixed parameter's value
  std::optional<double> start;       // --start
  int link = -1;                     // a linked parameter: the index of the one it equals
  bool fixed_by_user = false;
};

// The model's refusals, all of them at once: one line each.
class ModelError : public std::runtime_error {
 public:
  explicit ModelError(const std::vector<std::string>& problems);
  const std::vector<std::string>& problems() const { return problems_; }

 private:
  std::vector<std::string> problems_;
};

class Model {
 public:
  // NAME is TRANSMISSION[:TYPE]. Throws ModelError listing every problem.
  Model(const std::string& model_name, const ModelOptions& options);

  Transmission transmission() const { return transmission_; }
  GenotypeEffects effects() const { return effects_; }
  std::string name() const;  // e.g. "mendelian:dominant"; "sporadic"
  const ModelOptions& options() const { return options_; }

  // Every parameter of the model, in the order of the names above.
  const std::vector<Parameter>& parameters() const { return parameters_; }
  int find(const std::string& name) const;  // index in parameters(), -1 when absent

  // The free vector: the estimated parameters, in the order of parameters().
  int k() const { return static_cast<int>(free_.size()); }
  const std::vector<int>& free_parameters() const { return free_; }
  std::vector<std::string> free_names() const;
  std::vector<double> lower() const;
  std::vector<double> upper() const;
  std::vector<double> scales() const;

  // The value of every parameter at a free vector.
  std::vector<double> values(const std::vector<double>& x) const;
  // The free vector that holds the estimated parameters' values of VALUES.
  std::vector<double> free_vector(const std::vector<double>& values) const;
  // The point the likelihood reads. Covariate coefficients in the model's order.
  Point point(const std::vector<double>& x) const;

  // Within the bounds, the orientation S1 >= S3 where it is a constraint, and
  // Tr2 in [0, 1] for homog_general.
  bool feasible(const std::vector<double>& x) const;
  // The nearest feasible vector, moving only the coordinates marked movable
  // (all when MOVABLE is empty): clamped to the bounds, W1 and W3 brought
  // together when out of order, Tr1 and Tr3 moved along the direction that
  // changes Tr2 fastest. Empty when no movable coordinate can make it feasible.
  std::optional<std::vector<double>> project(const std::vector<double>& x,
                                             const std::vector<bool>& movable = {}) const;
  // The free coordinates that lie on a bound or on the edge of the model's
  // constraints (W1 and W3 when W1 = W3 in dominant and recessive models; Q,
  // Tr1 and Tr3 when Tr2 = 0 or 1 in homog_general), within TOL times each
  // parameter's scale.
  std::vector<bool> at_bound(const std::vector<double>& x, double tol = 1e-6) const;
  // A short reason for each free coordinate at a bound ("lower bound",
  // "w1 = w3", ...), empty for the others.
  std::vector<std::string> bound_reasons(const std::vector<double>& x, double tol = 1e-6) const;
  // Which of its own bounds each free parameter lies on at X (the nearer when
  // both are within the tolerance); none for one held by a constraint only.
  std::vector<BoundSide> bound_sides(const std::vector<double>& x, double tol = 1e-6) const;

  // Codominant models: the mirror image (alleles exchanged) is the same model
  // when the bounds and fixed values are symmetric under the exchange.
  bool can_turn_round() const { return can_turn_round_; }
  bool needs_turning_round(const std::vector<double>& x) const;
  std::vector<double> turned_round(const std::vector<double>& x) const;
  // Dominant and recessive models keep S1 >= S3 as a constraint; so do the
  // codominant and additive models that cannot be turned round.
  bool orientation_constrained() const;
  // The mean susceptibility S_g of genotype g (0, 1, 2) at the parameters' VALUES.
  double susceptibility(const std::vector<double>& values, int g) const;
  // Whether the heterozygote's terms follow W1, W3 and H (codominant, additive).
  bool ordered() const { return h_ >= 0; }

  // Tr2 of homog_general at Q, Tr1, Tr3 (may lie outside [0, 1]).
  static double homog_tr2(double q, double tr1, double tr3);

 private:
  void build(std::vector<std::string>& problems);
  void apply_options(std::vector<std::string>& problems);
  void check_constraints(std::vector<std::string>& problems);
  void decide_turning_round();

  Transmission transmission_ = Transmission::mendelian;
  GenotypeEffects effects_ = GenotypeEffects::codominant;
  ModelOptions options_;
  std::vector<Parameter> parameters_;
  std::vector<int> free_;       // parameters_ index of each free coordinate
  std::vector<int> position_;   // free coordinate of each parameter, -1 when not estimated
  bool can_turn_round_ = false;
  // Indices in parameters_ (-1 when absent).
  int q_ = -1, h_ = -1, w_[3] = {-1, -1, -1}, v_[3] = {-1, -1, -1}, tr_[3] = {-1, -1, -1}, ro_[2] = {-1, -1};
  int m_[3] = {-1, -1, -1}, s_[3] = {-1, -1, -1};  // s_ all the same index with one spread
  std::vector<int> d_;
};

}  // namespace kinseg
