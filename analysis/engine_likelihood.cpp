#include "analysis/engine_likelihood.hpp"

namespace kinseg {

SampleLikelihood engine_sample_likelihood(Engine& engine) {
  SampleLikelihood l;
  l.proband = engine.proband_codes();
  l.lnl = [&engine](const Point& p) { return engine.evaluate(p); };
  for (int f = 0; f < engine.families(); ++f) l.family_pedigrees.push_back(engine.pedigree(f));
  l.contributions = [&engine](const Point& p) {
    engine.evaluate(p);
    std::vector<double> out;
    out.reserve(engine.results().size());
    for (const FamilyLikelihood& f : engine.results()) out.push_back(f.contribution);
    return out;
  };
  l.genotypes = [&engine](const Point& p) {
    GenotypeProbabilities g = engine.genotype_probabilities(p);
    GenotypePosteriors out;
    out.probability = std::move(g.all);
    out.known = std::move(g.known);
    return out;
  };
  return l;
}

}  // namespace kinseg
