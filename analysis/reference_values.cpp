#include "analysis/reference_values.hpp"

#include <cmath>

#include "analysis/message_text.hpp"

namespace kinseg {

std::vector<ReferenceValue> reference_values(const SampleSummary& summary, const std::vector<NamedValue>& given,
                                             std::vector<std::string>& problems) {
  std::vector<ReferenceValue> out;
  std::vector<std::string> names;
  for (const CovariateSpread& c : summary.covariates) {
    out.push_back({c.name, c.mean, false});
    names.push_back(c.name);
  }
  for (const NamedValue& g : given) {
    ReferenceValue* r = nullptr;
    for (ReferenceValue& o : out)
      if (o.name == g.name) r = &o;
    if (!r) {
      problems.push_back("--reference " + g.name + ": not a covariate of the model" +
                         (names.empty() ? std::string(" (it has none)") : " (its covariates: " + join(names, " ") + ")"));
    } else if (r->given) {
      problems.push_back("--reference " + g.name + ": given twice");
    } else if (!std::isfinite(g.value)) {
      problems.push_back("--reference " + g.name + ": not a finite number");
    } else {
      r->value = g.value;
      r->given = true;
    }
  }
  return out;
}

}  // namespace kinseg
