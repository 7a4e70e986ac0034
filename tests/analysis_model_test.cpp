// Named models: which parameters each estimates, holds, links or derives; the
// options that change them and the ones refused; the free vector's point; the
// constraints kept by projection; and turning a fit round, checked against the
// likelihood summed over every genotype assignment.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "analysis/model.hpp"
#include "tests/support/kinfit_families.hpp"

namespace {

using kinseg::Model;
using kinseg::ModelError;
using kinseg::ModelOptions;
using kinseg::ParameterRole;

std::string roles(const Model& m) {
  std::string out;
  for (const auto& p : m.parameters()) {
    out += (out.empty() ? "" : " ") + p.name;
    switch (p.role) {
      case ParameterRole::estimated: break;
      case ParameterRole::fixed: out += "#"; break;
      case ParameterRole::linked: out += "=" + m.parameters()[p.link].name; break;
      case ParameterRole::derived: out += "~"; break;
    }
  }
  return out;
}

TEST(Model, NamedModelsAndTheirParameters) {
  struct Case {
    const char* model_name;
    const char* name;
    int k;
    const char* roles;  // NAME estimated, NAME# fixed, NAME=OTHER linked, NAME~ derived
  };
  const Case cases[] = {
      {"sporadic", "sporadic", 1, "w1 w2=w1 w3=w1"},
      {"mendelian", "mendelian:codominant", 4, "q w1 w2~ w3 h"},
      {"mendelian:codominant", "mendelian:codominant", 4, "q w1 w2~ w3 h"},
      {"mendelian:additive", "mendelian:additive", 3, "q w1 w2~ w3 h#"},
      {"mendelian:unordered", "mendelian:unordered", 4, "q w1 w2 w3"},
      {"mendelian:dominant", "mendelian:dominant", 3, "q w1 w2=w1 w3"},
      {"mendelian:recessive", "mendelian:recessive", 3, "q w1 w2=w3 w3"},
      {"no_transmission:dominant", "no_transmission:dominant", 3, "q w1 w2=w1 w3 tr1=q tr2=q tr3=q"},
      {"tau_ab_free", "tau_ab_free:codominant", 5, "q w1 w2~ w3 h tr1# tr2 tr3#"},
      {"homog_general:recessive", "homog_general:recessive", 5, "q w1 w2=w3 w3 tr1 tr2~ tr3"},
      {"general", "general:codominant", 7, "q w1 w2~ w3 h tr1 tr2 tr3"},
  };
  for (const Case& c : cases) {
    const Model m(c.model_name, {});
    EXPECT_EQ(m.name(), c.name) << c.model_name;
    EXPECT_EQ(m.k(), c.k) << c.model_name;
    EXPECT_EQ(roles(m), c.roles) << c.model_name;
  }

  ModelOptions o;
  o.sex_effect = true;
  o.covariates = {{"age", 80.0}, {"smoker", 1.0}};
  o.regressive = true;
  const Model dom("mendelian:dominant", o);
  EXPECT_EQ(roles(dom), "q w1 w2=w1 w3 v1 v2=v1 v3 d.age d.smoker ro1 ro2");
  EXPECT_EQ(dom.k(), 9);
  const Model spo("sporadic", o);
  EXPECT_EQ(roles(spo), "w1 w2=w1 w3=w1 v1 v2=v1 v3=v1 d.age d.smoker ro1 ro2");
  // A covariate's coefficient is bounded so that it moves the logit by at most
  // 20 over the covariate's range, and searched in steps of one logit.
  const auto& age = dom.parameters()[dom.find("d.age")];
  EXPECT_DOUBLE_EQ(age.high, 0.25);
  EXPECT_DOUBLE_EQ(age.low, -0.25);
  EXPECT_DOUBLE_EQ(age.scale, 1.0 / 80);
  // Default bounds of the others.
  const auto& q = dom.parameters()[dom.find("q")];
  EXPECT_GT(q.low, 0.0);
  EXPECT_LT(q.high, 1.0);
  EXPECT_EQ(dom.parameters()[dom.find("w1")].low, -20.0);
  EXPECT_EQ(dom.parameters()[dom.find("w1")].high, 20.0);
}

// The age-of-onset terms: the means and spreads linked as the type links the
// baselines, bounded by the observed ages and [0.5, 30], read into the point,
// exchanged with the baselines when an unordered fit is turned round, and a
// spread that is not positive refused; the means of the ordered types stay
// free.
TEST(Model, AgeOfOnsetParameters) {
  struct Case {
    const char* model_name;
    bool by_type;
    const char* roles;
  };
  const Case cases[] = {
      {"sporadic", false, "w1 w2=w1 w3=w1 m1 m2=m1 m3=m1 s"},
      {"mendelian:dominant", false, "q w1 w2=w1 w3 m1 m2=m1 m3 s"},
      {"mendelian:recessive", true, "q w1 w2=w3 w3 m1 m2=m3 m3 s1 s2=s3 s3"},
      {"general", true, "q w1 w2~ w3 h tr1 tr2 tr3 m1 m2 m3 s1 s2 s3"},
      {"mendelian:unordered", false, "q w1 w2 w3 m1 m2 m3 s"},
  };
  ModelOptions o;
  o.onset.on = true;
  o.onset.youngest = 18;
  o.onset.oldest = 95;
  for (const Case& c : cases) {
    o.onset.spread_by_type = c.by_type;
    const Model m(c.model_name, o);
    EXPECT_EQ(roles(m), c.roles) << c.model_name;
    const auto& m1 = m.parameters()[m.find("m1")];
    EXPECT_EQ(m1.low, -2.0);
    EXPECT_EQ(m1.high, 115.0);
    const auto& s = m.parameters()[m.find(c.by_type ? "s1" : "s")];
    EXPECT_EQ(s.low, 0.5);
    EXPECT_EQ(s.high, 30.0);
  }
  o.onset.spread_by_type = true;
  const Model dom("mendelian:dominant", o);
  // q w1 w3 m1 m3 s1 s3 free.
  const kinseg::Point p = dom.point({0.01, 1.0, -2.0, 45.0, 60.0, 6.0, 9.0});
  EXPECT_TRUE(p.onset);
  EXPECT_EQ(p.m[0], 45.0);
  EXPECT_EQ(p.m[1], 45.0);
  EXPECT_EQ(p.m[2], 60.0);
  EXPECT_EQ(p.s[1], 6.0);
  EXPECT_EQ(p.s[2], 9.0);

  o.onset.spread_by_type = false;
  const Model cod("mendelian:unordered", o);
  ASSERT_TRUE(cod.can_turn_round());
  // q w1 w2 w3 m1 m2 m3 s: the mirror image exchanges genotypes 1 and 3.
  const std::vector<double> x = {0.3, -2.0, 0.0, 1.0, 60.0, 55.0, 45.0, 7.0};
  ASSERT_TRUE(cod.needs_turning_round(x));
  EXPECT_EQ(cod.turned_round(x), (std::vector<double>{0.7, 1.0, 0.0, -2.0, 45.0, 55.0, 60.0, 7.0}));

  ModelOptions bad = o;
  bad.fix = {{"s", 0.0}};
  EXPECT_THROW(Model("mendelian", bad), ModelError);
  ModelOptions without;
  without.fix = {{"m1", 50.0}};
  EXPECT_THROW(Model("mendelian", without), ModelError);
}

TEST(Model, OptionsHoldBoundAndStartParameters) {
  ModelOptions o;
  o.sex_effect = true;
  o.fix = {{"v3", 0.25}, {"q", 0.3}};
  o.bounds = {{"w1", -5, 5}, {"tr2", 0.1, 0.9}};
  o.start = {{"w3", -2}};
  const Model m("tau_ab_free:dominant", o);
  EXPECT_EQ(roles(m), "q# w1 w2=w1 w3 v1 v2=v1 v3# tr1# tr2 tr3#");
  EXPECT_EQ(m.free_names(), (std::vector<std::string>{"w1", "w3", "v1", "tr2"}));
  EXPECT_EQ(m.lower(), (std::vector<double>{-5, -20, -20, 0.1}));
  EXPECT_EQ(m.upper(), (std::vector<double>{5, 20, 20, 0.9}));
  EXPECT_EQ(*m.parameters()[m.find("w3")].start, -2.0);
  EXPECT_TRUE(m.parameters()[m.find("v3")].fixed_by_user);

  // The point: links, fixed values, transmission, in the engine's fields.
  const kinseg::Point p = m.point({1.5, -1.0, 0.5, 0.4});
  EXPECT_EQ(p.q, 0.3);
  EXPECT_EQ(p.w[0], 1.5);
  EXPECT_EQ(p.w[1], 1.5);
  EXPECT_EQ(p.w[2], -1.0);
  EXPECT_TRUE(p.sex_effect);
  EXPECT_EQ(p.v[0], 0.5);
  EXPECT_EQ(p.v[1], 0.5);
  EXPECT_EQ(p.v[2], 0.25);
  EXPECT_TRUE(p.free_transmission);
  EXPECT_EQ(p.tau[0], 1.0);
  EXPECT_EQ(p.tau[1], 0.4);
  EXPECT_EQ(p.tau[2], 0.0);
  EXPECT_TRUE(p.d.empty());
  // The free vector back from the values.
  EXPECT_EQ(m.free_vector(m.values({1.5, -1.0, 0.5, 0.4})), (std::vector<double>{1.5, -1.0, 0.5, 0.4}));

  // Mendelian and sporadic points: no transmission terms; sporadic's Q is
  // irrelevant; covariates and regressive terms in order.
  ModelOptions c;
  c.covariates = {{"a", 1}, {"b", 1}};
  c.regressive = true;
  const kinseg::Point s = Model("sporadic", c).point({-2, 0.5, -0.5, 0.1, 0.2});
  EXPECT_FALSE(s.free_transmission);
  EXPECT_FALSE(s.sex_effect);
  EXPECT_EQ(s.w[0], -2);
  EXPECT_EQ(s.w[1], -2);
  EXPECT_EQ(s.w[2], -2);
  EXPECT_EQ(s.d, (std::vector<double>{0.5, -0.5}));
  EXPECT_EQ(s.ro[0], 0.1);
  EXPECT_EQ(s.ro[1], 0.2);
  const kinseg::Point nt = Model("no_transmission", {}).point({0.2, 1, 0, -1});
  EXPECT_TRUE(nt.free_transmission);
  EXPECT_EQ(nt.tau[0], 0.2);
  EXPECT_EQ(nt.tau[1], 0.2);
  EXPECT_EQ(nt.tau[2], 0.2);
}

TEST(Model, RefusalsNameEveryProblemAtOnce) {
  struct Case {
    const char* model_name;
    ModelOptions options;
    std::vector<const char*> messages;
  };
  auto fix = [](std::vector<kinseg::NamedValue> f) {
    ModelOptions o;
    o.fix = f;
    return o;
  };
  ModelOptions several;
  several.fix = {{"q", 1.0}, {"x", 2}};
  several.bounds = {{"w1", 3, 3}, {"q", 0, 0.5}};
  several.start = {{"w3", 30}, {"w3", 1}};
  ModelOptions fixed_then_bounded;
  fixed_then_bounded.fix = {{"w1", 1}};
  fixed_then_bounded.bounds = {{"w1", -1, 2}};
  fixed_then_bounded.start = {{"w1", 0}};
  ModelOptions reversed_start;
  reversed_start.start = {{"w1", -2}, {"w3", 1}};
  ModelOptions wide;
  wide.bounds = {{"w1", -1e308, 1e308}, {"w3", -9e307, 9e307}};
  ModelOptions tiny_covariate;
  tiny_covariate.covariates = {{"c", 1e-320}};
  ModelOptions no_room;
  no_room.bounds = {{"w1", -10, -5}, {"w3", 0, 5}};
  const Case cases[] = {
      {"polygenic", {}, {"unknown transmission 'polygenic'"}},
      {"mendelian:overdominant", {}, {"unknown type 'overdominant'"}},
      {"sporadic:dominant", {}, {"sporadic has one susceptibility for all and takes no type"}},
      {"sporadic", fix({{"q", 0.1}}), {"--fix q: not a parameter of sporadic (its parameters: w1 w2 w3)"}},
      {"mendelian:recessive", fix({{"w2", 0}}), {"--fix w2: in mendelian:recessive w2 equals w3; set w3 instead"}},
      {"homog_general", fix({{"tr2", 0.5}}), {"--fix tr2: in homog_general:codominant tr2 is computed"}},
      {"tau_ab_free", fix({{"tr1", 0.9}}), {"--fix tr1: tr1 is 1 in tau_ab_free:codominant"}},
      {"no_transmission", fix({{"tr3", 0.9}}), {"--fix tr3: in no_transmission:codominant tr3 equals q"}},
      {"general", fix({{"tr1", 1.5}}), {"--fix tr1: 1.5 is not between 0 and 1"}},
      {"mendelian", fix({{"d.age", 1}}), {"--fix d.age: not a parameter of mendelian:codominant"}},
      {"mendelian",
       several,
       {"--fix q: 1 is not strictly between 0 and 1", "--fix x: not a parameter",
        "--bounds w1=3:3: the lower bound must be below the upper one", "--bounds q: 0 is not strictly between",
        "--start w3=30: outside its bounds -20:20", "--start w3: given twice"}},
      {"mendelian:dominant",
       fixed_then_bounded,
       {"--bounds w1: w1 is fixed by --fix", "--start w1: w1 is fixed by --fix"}},
      {"mendelian:dominant", reversed_start, {"w1 = -2 below w3 = 1 (in mendelian:dominant genotype 1 is the homozygote"}},
      {"mendelian:recessive", no_room, {"leave no room for w1 >= w3"}},
      {"mendelian",
       wide,
       {"--bounds w1=-1e+308:1e+308: the box is wider than a double holds",
        "--bounds w3=-9e+307:9e+307: the box is wider than a double holds"}},
      {"mendelian", tiny_covariate, {"covariate 'c': its largest value in size"}},
      {"homog_general", fix({{"q", 0.1}, {"tr1", 1}, {"tr3", 1}}), {"give tr2 = -4, outside 0..1"}},
  };
  for (const Case& c : cases) {
    try {
      Model m(c.model_name, c.options);
      ADD_FAILURE() << c.model_name << " accepted";
    } catch (const ModelError& e) {
      EXPECT_EQ(e.problems().size(), c.messages.size()) << e.what();
      for (const char* want : c.messages)
        EXPECT_NE(std::string(e.what()).find(want), std::string::npos) << "want: " << want << "\ngot: " << e.what();
    }
  }
  // The unordered model has w2 to fix; the ordered one derives it from h.
  EXPECT_NO_THROW(Model("mendelian:unordered", fix({{"w2", 0.5}})));
  EXPECT_NO_THROW(Model("mendelian", fix({{"h", 0.5}})));
}

TEST(Model, ProjectionKeepsTheConstraints) {
  // Dominant: W1 >= W3; out of order, the two meet halfway, or the movable
  // one joins the held one.
  const Model dom("mendelian:dominant", {});
  EXPECT_TRUE(dom.orientation_constrained());
  EXPECT_FALSE(dom.feasible({0.2, -1, 1}));
  EXPECT_EQ(*dom.project({0.2, -1, 1}), (std::vector<double>{0.2, 0, 0}));
  EXPECT_EQ(*dom.project({0.2, -1, 1}, {true, false, true}), (std::vector<double>{0.2, -1, -1}));
  EXPECT_EQ(*dom.project({0.2, -1, 1}, {true, true, false}), (std::vector<double>{0.2, 1, 1}));
  EXPECT_FALSE(dom.project({0.2, -1, 1}, {true, false, false}));
  EXPECT_EQ(*dom.project({1.5, 2, 25}), (std::vector<double>{dom.upper()[0], 11, 11}));
  EXPECT_EQ(*dom.project({0.2, 1, -1}), (std::vector<double>{0.2, 1, -1}));
  EXPECT_EQ(dom.bound_reasons({0.2, 1, 1}), (std::vector<std::string>{"", "w1 = w3", "w1 = w3"}));
  EXPECT_EQ(dom.bound_reasons({dom.lower()[0], 1, -20}), (std::vector<std::string>{"lower bound", "", "lower bound"}));

  // homog_general: Tr2 from the formula; a point where it leaves [0, 1] is
  // moved onto its edge, through Tr1 and Tr3 only.
  const Model hg("homog_general", {});
  EXPECT_DOUBLE_EQ(Model::homog_tr2(0.3, 1, 0), 0.5);  // Mendelian keeps the frequencies
  EXPECT_DOUBLE_EQ(Model::homog_tr2(0.3, 0.3, 0.3), 0.3);  // so does no transmission
  const int q = 0, tr1 = 4, tr3 = 5;
  for (const std::vector<double>& x : {std::vector<double>{0.3, 0, 0, 0, 1, 1}, std::vector<double>{0.8, 0, 0, 0, 0, 0},
                                       std::vector<double>{0.05, 0, 0, 0, 0.2, 0.9}}) {
    ASSERT_FALSE(hg.feasible(x));
    const auto y = hg.project(x);
    ASSERT_TRUE(y);
    EXPECT_EQ((*y)[q], x[q]);
    const double tr2 = Model::homog_tr2((*y)[q], (*y)[tr1], (*y)[tr3]);
    EXPECT_NEAR(std::min(std::abs(tr2), std::abs(tr2 - 1)), 0.0, 1e-9);
    EXPECT_TRUE(hg.feasible(*y));
    EXPECT_FALSE(hg.bound_reasons(*y)[tr1].empty());
    // Holding Tr1, Tr3 alone moves.
    std::vector<bool> movable(6, true);
    movable[tr1] = false;
    const auto z = hg.project(x, movable);
    if (z) {
      EXPECT_EQ((*z)[tr1], x[tr1]);
      EXPECT_TRUE(hg.feasible(*z));
    }
  }
  // At Q = 0.9 with Tr1 = 0, Tr2 exceeds 1 whatever Tr3: nothing to mend it
  // with when Tr1 is held.
  std::vector<bool> only_tr3(6, false);
  only_tr3[tr3] = true;
  EXPECT_FALSE(hg.project({0.9, 0, 0, 0, 0, 0.5}, only_tr3));
  EXPECT_TRUE(hg.project({0.9, 0, 0, 0, 0, 0.5}));
}

// The likelihood of a family summed over all genotype assignments, at a
// model's point.
double brute_force(const kintest::Family& f, const kinseg::Point& p) {
  kintest::Params k;
  k.q = p.q;
  for (int g = 0; g < 3; ++g) {
    k.w[g] = p.w[g];
    k.v[g] = p.v[g];
    k.tr[g] = p.tau[g];
  }
  k.sex_effects = p.sex_effect;
  k.free_transmission = p.free_transmission;
  k.ro[0] = 0.3;
  k.ro[1] = -0.4;
  return kintest::brute_force_contribution(f, k, 0);
}

TEST(Model, TurningRoundKeepsTheLikelihood) {
  ModelOptions sex;
  sex.sex_effect = true;
  std::mt19937 rng(11);
  std::vector<kintest::Family> families;
  for (int i = 0; i < 6; ++i) families.push_back(kintest::random_family(rng, 0, 7, 1));
  struct Case {
    const char* model_name;
    std::vector<double> x;
  };
  // Free vectors: q w1 w2 w3 v1 v2 v3 ... (unordered), q w1 w3 h v1 v3 ...
  // (ordered codominant), q w1 w3 v1 v3 ... (additive).
  const Case cases[] = {
      {"mendelian:unordered", {0.3, -2, 0.5, 1.5, -0.5, 0, 1}},
      {"no_transmission:unordered", {0.7, -1, -0.2, 0.8, 0.4, -0.1, 0.2}},
      {"tau_ab_free:unordered", {0.25, -2, 1, 0.5, 0.1, 0.2, 0.3, 0.8}},
      {"homog_general:unordered", {0.4, -1.5, 0, 2, 0.3, 0, -0.3, 0.9, 0.2}},
      {"general:unordered", {0.6, -1, 0.2, 1, 0, 0.5, 0.5, 0.7, 0.35, 0.05}},
      {"mendelian", {0.3, -2, 1.5, 0.2, -0.5, 1}},
      {"general", {0.6, -1, 1, 0.7, 0, 0.5, 0.7, 0.35, 0.05}},
      {"mendelian:additive", {0.3, -2, 1.5, -0.5, 1}},
  };
  for (const Case& c : cases) {
    const Model m(c.model_name, sex);
    ASSERT_TRUE(m.can_turn_round()) << c.model_name;
    ASSERT_TRUE(m.feasible(c.x)) << c.model_name;
    ASSERT_TRUE(m.needs_turning_round(c.x)) << c.model_name;
    const std::vector<double> y = m.turned_round(c.x);
    EXPECT_FALSE(m.needs_turning_round(y)) << c.model_name;
    EXPECT_TRUE(m.feasible(y)) << c.model_name;
    const std::vector<double> back = m.turned_round(y);
    for (size_t i = 0; i < back.size(); ++i) EXPECT_NEAR(back[i], c.x[i], 1e-15) << c.model_name;
    for (const auto& f : families)
      EXPECT_NEAR(brute_force(f, m.point(y)), brute_force(f, m.point(c.x)), 1e-11) << c.model_name;
  }
  // Dominant and recessive are each other's mirror image: the same
  // likelihood, which is why their order W1 >= W3 is part of the model.
  const Model dom("mendelian:dominant", {}), rec("mendelian:recessive", {});
  EXPECT_FALSE(dom.can_turn_round());
  for (const auto& f : families)
    EXPECT_NEAR(brute_force(f, dom.point({0.2, -2, 1})), brute_force(f, rec.point({0.8, 1, -2})), 1e-11);

  // Asymmetric bounds or held values: no mirror in the model.
  ModelOptions held;
  held.fix = {{"w1", 2}};
  EXPECT_FALSE(Model("mendelian", held).can_turn_round());
  ModelOptions bounded;
  bounded.bounds = {{"q", 0.01, 0.5}};
  EXPECT_FALSE(Model("mendelian", bounded).can_turn_round());
  bounded.bounds = {{"q", 0.2, 0.8}, {"w1", -5, 5}, {"w3", -5, 5}};
  EXPECT_TRUE(Model("mendelian", bounded).can_turn_round());
  ModelOptions dominance;
  dominance.bounds = {{"h", 0, 0.8}};
  EXPECT_FALSE(Model("mendelian", dominance).can_turn_round());
  EXPECT_TRUE(Model("mendelian", dominance).orientation_constrained());
  EXPECT_FALSE(Model("mendelian:unordered", {}).orientation_constrained());
  ModelOptions tr;
  tr.bounds = {{"tr1", 0.5, 1}};
  EXPECT_FALSE(Model("general", tr).can_turn_round());
  tr.bounds = {{"tr1", 0.5, 1}, {"tr3", 0, 0.5}};
  EXPECT_TRUE(Model("general", tr).can_turn_round());
}

TEST(Model, OrderedCodominantPlacesTheHeterozygoteBetweenTheHomozygotes) {
  // w2 = w3 + h (w1 - w3) and v2 alike, for every h of [0, 1]: the
  // heterozygote's logit never leaves the homozygotes' range in either sex.
  ModelOptions sex;
  sex.sex_effect = true;
  const Model m("mendelian", sex);
  const Model dom("mendelian:dominant", sex), rec("mendelian:recessive", sex), add("mendelian:additive", sex);
  for (double h : {0.0, 0.25, 0.5, 1.0}) {
    const kinseg::Point p = m.point({0.2, 1.5, -2, h, 0.5, -1});
    EXPECT_DOUBLE_EQ(p.w[1], -2 + h * 3.5) << h;
    EXPECT_DOUBLE_EQ(p.v[1], -1 + h * 1.5) << h;
    EXPECT_LE(p.w[1], p.w[0]);
    EXPECT_GE(p.w[1], p.w[2]);
    EXPECT_LE(p.w[1] + p.v[1], p.w[0] + p.v[0]);
    EXPECT_GE(p.w[1] + p.v[1], p.w[2] + p.v[2]);
  }
  // h = 1 is the dominant model's point, h = 0 the recessive one's, and the
  // additive model is h = 1/2.
  auto same = [](const kinseg::Point& a, const kinseg::Point& b) {
    for (int g = 0; g < 3; ++g)
      if (std::abs(a.w[g] - b.w[g]) > 1e-15 || std::abs(a.v[g] - b.v[g]) > 1e-15) return false;
    return true;
  };
  EXPECT_TRUE(same(m.point({0.2, 1.5, -2, 1, 0.5, -1}), dom.point({0.2, 1.5, -2, 0.5, -1})));
  EXPECT_TRUE(same(m.point({0.2, 1.5, -2, 0, 0.5, -1}), rec.point({0.2, 1.5, -2, 0.5, -1})));
  EXPECT_TRUE(same(m.point({0.2, 1.5, -2, 0.5, 0.5, -1}), add.point({0.2, 1.5, -2, 0.5, -1})));
  // Turned round, the dominance is read from the other homozygote: h -> 1 - h.
  const std::vector<double> y = m.turned_round({0.2, -2, 1.5, 0.9, -1, 0.5});
  EXPECT_DOUBLE_EQ(y[3], 1 - 0.9);
  const kinseg::Point before = m.point({0.2, -2, 1.5, 0.9, -1, 0.5}), after = m.point(y);
  EXPECT_DOUBLE_EQ(after.w[0], before.w[2]);
  EXPECT_NEAR(after.w[1], before.w[1], 1e-15);
  EXPECT_NEAR(after.v[1], before.v[1], 1e-15);
  // --fix h= and --bounds h= take a probability.
  ModelOptions bad;
  bad.fix = {{"h", 1.5}};
  EXPECT_THROW(Model("mendelian", bad), ModelError);
  bad.fix = {{"w2", 0.5}};
  EXPECT_THROW(Model("mendelian", bad), ModelError);
}

TEST(Model, GenotypeOneHasTheHigherSusceptibilityOfThePersonsAnalysed) {
  // Women only of known trait (share 1): genotype 1 is the homozygote whose
  // women are at higher risk, even when the men's baselines say otherwise.
  // Free vector of mendelian:dominant with a sex effect: q w1 w3 v1 v3.
  ModelOptions women;
  women.sex_effect = true;
  women.sex2_share = 1.0;
  const std::vector<double> x = {0.2, 1, 0, -3, 0};  // men: w1 > w3; women: w1 + v1 = -2 < w3 + v3 = 0
  const Model dom("mendelian:dominant", women);
  EXPECT_FALSE(dom.feasible(x));
  const auto y = dom.project(x);
  ASSERT_TRUE(y);
  EXPECT_NEAR((*y)[1] + (*y)[3], (*y)[2] + (*y)[4], 1e-12);  // moved onto S1 = S3
  EXPECT_TRUE(dom.feasible({0.2, 0, 1, 0, -3}));
  EXPECT_EQ(dom.bound_reasons({0.2, 0, 0, 0, 0})[1], "s1 = s3");
  // The ordered codominant model is turned round on the women's order.
  const Model cod("mendelian", women);
  EXPECT_TRUE(cod.needs_turning_round({0.2, 1, 0, 0.5, -3, 0}));
  EXPECT_FALSE(cod.needs_turning_round({0.2, 0, 1, 0.5, 0, -3}));
  // Half women: the mean of the two sexes decides.
  ModelOptions half = women;
  half.sex2_share = 0.5;
  const Model mixed("mendelian", half);
  EXPECT_FALSE(mixed.needs_turning_round({0.2, 1, 0, 0.5, -1.9, 0}));  // 1 - 0.95 > 0
  EXPECT_TRUE(mixed.needs_turning_round({0.2, 1, 0, 0.5, -2.1, 0}));
  // Without a sex effect the share does not matter.
  ModelOptions plain;
  plain.sex2_share = 1.0;
  EXPECT_FALSE(Model("mendelian", plain).needs_turning_round({0.2, 1, 0, 0.5}));
}

}  // namespace
