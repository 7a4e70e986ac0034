#include "analysis/verdict.hpp"

#include <algorithm>
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
  if (!t.available) return s + ": not tested (" + (t.why_not.empty() ? "a model could not be fitted" : t.why_not) + ")";
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
    auto unfitted_model = [](const CriterionTest& t) {
      return !t.available && (t.why_not.empty() || t.why_not.find("not fitted") != std::string::npos);
    };
    const bool unfitted = unfitted_model(c1) || unfitted_model(c2) || unfitted_model(c3);
    v.summary = unfitted ? "no verdict: a model needed by the criteria could not be fitted"
                         : "no verdict: a test needed by the criteria could not be made";
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
  if (c1.available && c2.available && c3.available) {
    std::vector<std::string> doubts;
    for (const CriterionTest* c : {&c1, &c2, &c3})
      for (const auto& d : c->doubts)
        if (std::find(doubts.begin(), doubts.end(), d) == doubts.end()) doubts.push_back(d);
    if (!doubts.empty()) {
      v.provisional = true;
      std::string list;
      for (size_t i = 0; i < doubts.size(); ++i) list += (i ? "; " : "") + doubts[i];
      v.summary = "provisional: " + v.summary + " (it rests on fits in doubt: " + list + ")";
    }
  }
  return v;
}

}  // namespace kinseg
