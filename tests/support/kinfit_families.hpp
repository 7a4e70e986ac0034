// kinfit's test samples: families described member by member and nuclear
// family by nuclear family, loaded into a fresh state (and checked by the
// prepared-file structure check, so every sample is one that a prepared file
// could carry); the model parameters; a random pedigree generator. The same
// families as a kinseg sample (built with tests/support/pedigree_rows.hpp) with
// the very nuclear families kinfit peels, the parameters as an engine point,
// and a family's contribution from the brute-force oracle
// (tests/support/brute_force.hpp).
#pragma once

#include <memory>
#include <random>
#include <vector>

#include "engine/point.hpp"
#include "fit/blocks.hpp"
#include "pedigree/pedigree_structure.hpp"
#include "pedigree/sample.hpp"
#include "tests/support/pedigree_rows.hpp"

namespace kintest {

struct Member {
  int trait = 3;  // 1 unaffected, 2 affected, 3 unknown
  int prob = 2;   // proband code 0, 1 or 2
  int sex = 1;
  std::vector<int> cov;  // NCOV values (missing ones are 0)
};

// A member with the given trait, proband code, sex and covariates.
inline Member person(int trait, int prob = 2, int sex = 1, std::vector<int> cov = {}) {
  Member m;
  m.trait = trait;
  m.prob = prob;
  m.sex = sex;
  m.cov = std::move(cov);
  return m;
}

// A nuclear family: member numbers (1-based) of father, mother, then the
// children; the link person's member number or 0.
struct Way {
  std::vector<int> members;
  int link = 0;
};

struct Family {
  std::vector<Member> members;
  std::vector<Way> ways;  // in peeling order
};

// Loads the families into s (sample model, NCOV, LUK = 1 and NG = 1/NI for
// every family, NG = 0 when NI = 0), after checking them with the structure
// check of the prepared-file reader, and sets the parents' trait counts as the
// reader does.
void load_sample(kinfit::KinfitState& s, const std::vector<Family>& fams, int ncov);

struct Params {
  double q = 0.5;
  double w[3] = {-1.0, 0.0, 1.0};
  bool sex_effects = false;  // IUSE(5)
  double v[3] = {0.0, 0.0, 0.0};
  bool free_transmission = false;  // IUSE(8)
  double tr[3] = {1.0, 0.5, 0.0};
  double d[8] = {0, 0, 0, 0, 0, 0, 0, 0};
  double ro[2] = {0.5, 1.0};
};

// Writes the parameters as a run would hold them after par.inp: 20 slots, each
// its own link, all fixed, terms in use. The set-up of an evaluation derives
// the model quantities; derive() runs the checking set-up now.
void set_params(kinfit::KinfitState& s, const Params& p);
void derive(kinfit::KinfitState& s);

// A fresh state holding the families and the parameters, derived.
std::unique_ptr<kinfit::KinfitState> make_state(const std::vector<Family>& fams, int ncov,
                                                const Params& p);

// Random pedigrees without loops: a founder couple with children, grown by
// giving persons parents (a nuclear family in which they are the first child)
// and spouses (a nuclear family in which they are a parent), possibly two
// unconnected groups, possibly members in no nuclear family, member numbers
// shuffled. `max_in_ways` bounds the members that belong to nuclear families.
Family random_family(std::mt19937& rng, int ncov, int max_in_ways, int max_unattached);
Params random_params(std::mt19937& rng, int ncov);

// The families as a sample: pedigree F is family F, member m its row m; a
// child's parents are those of the nuclear family that lists it.
kinseg::Sample sample_of(const std::vector<Family>& fams, int ncov);
// Their nuclear families, in kinfit's order and with its links, as structures.
std::vector<kinseg::PedigreeStructure> structures_of(const std::vector<Family>& fams);

kinseg::Point point_of(const Params& p, int ncov);

// The log-likelihood contribution of one family by the brute-force oracle:
// ln L(all traits) minus, when the mode asks for a conditioning pass (mode 1
// always, modes 0 and 2 when a member has proband code 0), ln L(traits of the
// conditioning set).
double brute_force_contribution(const Family& fam, const Params& p, int mode);

}  // namespace kintest
