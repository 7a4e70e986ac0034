// The verdict of a segregation analysis, in words, from the classical
// criteria at a level alpha: (1) the sporadic model (no major gene) is
// rejected against the Mendelian one; (2) the model whose types are not
// transmitted is rejected against general transmission; (3) the Mendelian
// model is not rejected against general transmission. A major gene with
// Mendelian transmission is supported when all three hold.
#pragma once

#include <string>
#include <vector>

namespace kinseg {

// The p-value of one criterion's test; NaN-free: a test that could not be
// made (a model that failed to fit) is marked unavailable.
struct CriterionTest {
  bool available = false;
  double p = 1.0;
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
  std::string summary;              // one sentence
  std::vector<std::string> criteria;  // one line per criterion: holds / fails / not tested
};

Verdict decide_verdict(const VerdictInput& in);

}  // namespace kinseg
