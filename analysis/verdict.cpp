#include "analysis/verdict.hpp"

#include <cstdio>

namespace kinseg {

namespace {

std::string p_text(double p) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3g", p);
  return buf;
}

// One criterion's line: what it asks, what the test found.
std::string line(const char* what, const CriterionTest& t, bool want_rejection, double alpha) {
  std::string s = what;
  if (!t.available) return s + ": not tested (a model could not be fitted)";
  const bool rejected = t.p < alpha;
  const bool holds = rejected == want_rejection;
  s += holds ? ": holds" : ": fails";
  s += " (p = " + p_text(t.p) + (rejected ? " < " : " >= ") + p_text(alpha) + ")";
  return s;
}

}  // namespace

Verdict decide_verdict(const VerdictInput& in) {
  Verdict v;
  const double a = in.alpha;
  const CriterionTest& c1 = in.sporadic_vs_mendelian;
  const CriterionTest& c2 = in.no_transmission_vs_general;
  const CriterionTest& c3 = in.mendelian_vs_general;
  v.criteria = {
      line("1. sporadic rejected against Mendelian", c1, true, a),
      line("2. no transmission rejected against general transmission", c2, true, a),
      line("3. Mendelian not rejected against general transmission", c3, false, a),
  };
  const bool h1 = c1.available && c1.p < a;
  const bool h2 = c2.available && c2.p < a;
  const bool h3 = c3.available && !(c3.p < a);
  const std::string type = in.best_mendelian_type.empty() ? "" : "; " + in.best_mendelian_type + " fits best by AIC";

  if (!c1.available || !c2.available || !c3.available) {
    v.summary = "no verdict: a model needed by the criteria could not be fitted";
  } else if (h1 && h2 && h3) {
    v.major_gene = true;
    v.summary = "evidence for a major gene with Mendelian transmission" + type;
  } else if (!h1) {
    v.summary = "no evidence for a major gene: the sporadic model is not rejected against the Mendelian one";
  } else if (!h3) {
    v.summary = h2 ? "familial aggregation not explained by Mendelian transmission of a major type: "
                     "Mendelian transmission is rejected against general transmission"
                   : "familial aggregation not explained by a transmitted major type: neither "
                     "non-transmission nor Mendelian transmission fits as well as general transmission";
  } else {
    v.summary = "a major type is supported but its transmission is not: the model without transmission "
                "is not rejected against general transmission" + type;
  }
  return v;
}

}  // namespace kinseg
