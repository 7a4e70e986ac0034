// The verdict of a segregation analysis, in words, from the classical
// criteria at a level alpha: (1) the sporadic model (no major gene) is
// rejected against the Mendelian one; (2) the model whose types are not
// transmitted is rejected against general transmission; (3) the Mendelian
// model is not rejected against general transmission. A major gene with
// Mendelian transmission is supported when all three hold. A test that could
// not be made gives "no verdict: ..."; tests made on fits that did not converge
// or whose tested parameters are not identified give "provisional: ...",
// naming them: a verdict never sounds surer than its fits.
#pragma once

#include <string>
#include <vector>

namespace kinseg {

// The p-value of one criterion's test; NaN-free: a test that could not be
// made (a model that failed to fit) is marked unavailable.
struct CriterionTest {
  bool available = false;
  double p = 1.0;
  // Why an unavailable test could not be made ("mendelian:dominant was not
  // fitted", "the options given make ... not nested in ..."); "" is taken as
  // a model that could not be fitted.
  std::string why_not;
  // What makes the test's fits doubtful: a fit that did not converge or
  // stopped at its evaluation limit, a parameter a rejecting test is about
  // that is not identified ("general:dominant did not converge", "general:dominant: tr2
  // not identified"). Any of them makes the verdict provisional.
  std::vector<std::string> doubts;
};

struct VerdictInput {
  double alpha = 0.05;
  CriterionTest sporadic_vs_mendelian;        // criterion 1: null sporadic
  CriterionTest no_transmission_vs_general;   // criterion 2: null no_transmission
  CriterionTest mendelian_vs_general;         // criterion 3: null mendelian
  std::string best_mendelian_type;            // e.g. "dominant", best by AIC
};

struct Verdict {
  bool major_gene = false;          // all three criteria hold
  // The criteria's tests could be made, but some rest on doubtful fits: the
  // summary starts "provisional: " and names them.
  bool provisional = false;
  std::string summary;              // one sentence
  std::vector<std::string> criteria;  // one line per criterion: holds / fails / not tested
};

Verdict decide_verdict(const VerdictInput& in);

}  // namespace kinseg
