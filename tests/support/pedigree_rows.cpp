#include "tests/support/pedigree_rows.hpp"

#include <cstdint>
#include <stdexcept>

namespace kintest {

kinseg::Sample empty_sample(int ncov, const std::string& file) {
  kinseg::Sample s;
  s.file = file;
  for (int j = 0; j < ncov; ++j) s.covariate_names.push_back("c" + std::to_string(j + 1));
  s.start.push_back(0);
  return s;
}

void add_pedigree(kinseg::Sample& s, const std::string& id, const std::vector<Row>& rows,
                  const std::vector<std::string>& person_ids) {
  if (!person_ids.empty() && person_ids.size() != rows.size())
    throw std::invalid_argument("pedigree " + id + ": one id per row");
  const int o = s.persons();
  s.pedigree_ids.push_back(id);
  if (s.start.empty()) s.start.push_back(0);
  for (size_t i = 0; i < rows.size(); ++i) {
    const Row& r = rows[i];
    s.ids.push_back(person_ids.empty() ? std::to_string(i + 1) : person_ids[i]);
    s.father.push_back(r.fa > 0 ? o + r.fa - 1 : -1);
    s.mother.push_back(r.mo > 0 ? o + r.mo - 1 : -1);
    s.sex.push_back(static_cast<int8_t>(r.sex));
    s.trait.push_back(static_cast<int8_t>(r.trait));
    s.proband.push_back(static_cast<int8_t>(r.prob));
    for (int j = 0; j < s.ncov(); ++j)
      s.covariates.push_back(j < static_cast<int>(r.cov.size()) ? r.cov[static_cast<size_t>(j)] : 0.0);
    s.line.push_back(static_cast<int>(i) + 2);
  }
  s.start.push_back(s.persons());
}

PedigreeBuilder::PedigreeBuilder(const std::string& pedigree_id) : pedigree_id_(pedigree_id) {}

int PedigreeBuilder::row_of(const std::string& id) const {
  for (size_t i = 0; i < ids_.size(); ++i)
    if (ids_[i] == id) return static_cast<int>(i) + 1;
  throw std::invalid_argument("no person " + id + " yet");
}

PedigreeBuilder& PedigreeBuilder::add(const std::string& id, const std::string& father, const std::string& mother,
                                      int sex, int trait, bool proband) {
  Row r;
  r.fa = father.empty() ? 0 : row_of(father);
  r.mo = mother.empty() ? 0 : row_of(mother);
  r.sex = sex;
  r.trait = trait;
  r.prob = proband ? kinseg::kProband : kinseg::kOrdinary;
  rows_.push_back(r);
  ids_.push_back(id);
  return *this;
}

kinseg::Sample PedigreeBuilder::sample() const {
  kinseg::Sample s = empty_sample(0, "hand-built");
  add_pedigree(s, pedigree_id_, rows_, ids_);
  return s;
}

}  // namespace kintest
