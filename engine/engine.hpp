// The likelihood of a sample under the major-gene model, for samples of any
// size: per analysed family ln L(all traits), ln L(traits of its conditioning
// set) and their difference, the family's contribution; the sample's total,
// the contributions summed in family order. Pedigrees with loops are evaluated
// exactly, by summing their persons' genotypes out in an order chosen once per
// pedigree (engine/elimination_plan.hpp): the cost is set by the order's width,
// the most persons one table runs over, not by the number of loops. On every
// sample that kinfit can hold, with the
// same point and ascertainment, each contribution equals kinfit's bit for bit:
// both run the same penetrance and peeling routines (engine/, kin_peeling).
//
// Families are evaluated in parallel on a small pool of threads that lives as
// long as the engine; each family's values do not depend on the thread that
// computed it, and the total is summed in family order, so every result is the
// same whatever the number of threads. An evaluation allocates nothing; memory
// is linear in the number of persons.
//
// Persons of unknown sex (code 0) take the baselines of sex code 1: the V
// increments belong to sex code 2 alone.
#pragma once

#include <memory>
#include <stdexcept>
#include <vector>

#include "engine/ascertainment.hpp"
#include "engine/elimination_plan.hpp"
#include "engine/family_likelihood.hpp"
#include "engine/family_selection.hpp"
#include "engine/genotype_probabilities.hpp"
#include "engine/point.hpp"
#include "pedigree/pedigree_structure.hpp"
#include "pedigree/sample.hpp"

namespace kinseg {

// The widths a limit can be set to. Tables over 16 persons hold 3^16 = 43
// million entries (660 MB with both passes); 20 is far beyond any machine.
inline constexpr int kDefaultMaxWidth = 16;
inline constexpr int kMaxWidth = 20;

// How pedigrees with loops are evaluated: by elimination, by loop breaking
// (peeled once per combination of the breakers' genotypes), or the faster of
// the two: loop breaking where the loops need at most kFastBreakers breakers
// (measured faster there, BENCHMARKS.md), elimination elsewhere.
enum class LoopMethod { kFastest, kElimination, kBreakers };
inline constexpr int kFastBreakers = 2;

struct EngineOptions {
  Ascertainment ascertainment = Ascertainment::kProband;
  int threads = 0;                    // 0: one per core
  int max_width = kDefaultMaxWidth;   // a pedigree whose tables run over more persons is refused
  LoopMethod loops = LoopMethod::kFastest;
};

// Pedigrees the engine cannot evaluate: every one of them on a line of its own,
// named by its id, with the reason.
class EngineRefusal : public std::runtime_error {
 public:
  EngineRefusal(const std::string& lines, int over_limit)
      : std::runtime_error(lines), over_limit(over_limit) {}
  int over_limit;  // pedigrees refused for tables wider than allowed
};

// How pedigree k of the sample is evaluated under a method: peeled with its
// structure (without loops, or with loop breakers), or summed out by its plan;
// its cost (0 loops for a pedigree without); a refusal when it cannot be.
struct PedigreeWay {
  bool peeled = false;
  PedigreeStructure structure;
  std::vector<NuclearFamily> families;  // the nuclear families, as the plan reads them
  std::unique_ptr<EliminationPlan> plan;
  EliminationCost cost;
  std::string refusal;
};
PedigreeWay pedigree_way(const Sample& sample, int k, LoopMethod method);

// The cost of pedigree k of the sample under the engine's default method.
EliminationCost pedigree_cost(const Sample& sample, int k);

// The refusal of a pedigree wider than the limit, as the engine words it:
// "pedigree ID: COST: wider than the limit of K persons; split ...".
std::string too_wide_text(const std::string& pedigree_id, const EliminationCost& cost, int max_width);

class Engine {
 public:
  // Analyses the pedigrees that the family scan keeps: those without loops
  // with the structure pedigree_structure() gives them, those with loops by
  // elimination. Throws EngineRefusal when pedigrees need wider tables than
  // allowed; std::invalid_argument for options out of range.
  Engine(const Sample& sample, const EngineOptions& options);
  // The same with the structure of every pedigree given (one per pedigree of
  // the sample; those of pedigrees not analysed are not read).
  Engine(const Sample& sample, const std::vector<PedigreeStructure>& structures,
         const EngineOptions& options);
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // What the family scan decided, in pedigree order.
  const std::vector<ScanNote>& notes() const;
  // The analysed families, in sample order.
  int families() const;
  int pedigree(int family) const;       // its pedigree number in the sample
  int loop_breakers(int family) const;  // the loop breakers of its pedigree (with loop_breakers set)
  // The cost of its pedigree's elimination (0 loops for a pedigree peeled).
  const EliminationCost& cost(int family) const;
  int threads() const;
  // Every person's proband code as the likelihood reads it, after the family
  // scan (which may choose a proband for a family without one).
  std::vector<int8_t> proband_codes() const;

  // Evaluates the sample at the point (std::invalid_argument for a point the
  // likelihood cannot read, see check_point) and returns the total; a family
  // that the point refuses makes it -inf. Not to be called from several
  // threads at once.
  double evaluate(const Point& point);
  // Per analysed family, the values of the last evaluation.
  const std::vector<FamilyLikelihood>& results() const;

  // Every person's genotype probabilities at the point; results() then holds
  // the point's values too.
  GenotypeProbabilities genotype_probabilities(const Point& point);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kinseg
