// The one way the tests build a sample in memory: pedigrees appended row by
// row to a kinseg::Sample, parents given by row number within the pedigree
// (add_pedigree) or by id (PedigreeBuilder, for hand-drawn pedigrees whose ids
// matter). Both write the sample's columns through add_pedigree, as the
// reader would leave them: ids, parents, sex, trait, proband code,
// covariates and the file line of each row.
#pragma once

#include <string>
#include <vector>

#include "pedigree/sample.hpp"

namespace kintest {

// One row of a pedigree: parents by row number (1-based, 0 for none).
struct Row {
  int fa = 0, mo = 0;
  int sex = 1;
  int trait = 3;
  int prob = 2;
  std::vector<double> cov;  // the sample's number of covariates (missing ones are 0)
};

// A sample with no pedigree and ncov covariates named c1, c2, ...
kinseg::Sample empty_sample(int ncov, const std::string& file = "test");

// Appends a pedigree with the given person ids (ids "1".."n" in row order
// when none are given); the sample's covariate names must already be set.
void add_pedigree(kinseg::Sample& s, const std::string& id, const std::vector<Row>& rows,
                  const std::vector<std::string>& person_ids = {});

// Builds a one-pedigree sample person by person, parents by id ("" for a
// founder), who must have been added before.
class PedigreeBuilder {
 public:
  explicit PedigreeBuilder(const std::string& pedigree_id);
  PedigreeBuilder& add(const std::string& id, const std::string& father, const std::string& mother, int sex,
                       int trait, bool proband = false);
  kinseg::Sample sample() const;
  int count() const { return static_cast<int>(rows_.size()); }

 private:
  int row_of(const std::string& id) const;  // 1-based
  std::string pedigree_id_;
  std::vector<Row> rows_;
  std::vector<std::string> ids_;
};

}  // namespace kintest
