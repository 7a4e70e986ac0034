// The report page's section on each genotype's risk by age (a run with ages
// at onset): the selected model's curves, computed at every year so that the
// plot is smooth and passes through the points of PREFIX.risks.tsv, gathered
// into the page's input with the genotypes named as the page names them
// elsewhere.
#pragma once

#include "analysis/risk_result.hpp"
#include "report/report_input.hpp"

namespace kinseg::cli {

// The curves that differ (a genotype linked to another by the model's type is
// left out), one panel per sex with a sex effect; the table of the risks by
// the asked ages; without a sex effect, the one sex whose trait is known
// (RiskResult::known_trait_sex) names the panel. An empty section for a
// result without curves.
report::RiskSection risk_page_section(const RiskResult& risks);

}  // namespace kinseg::cli
