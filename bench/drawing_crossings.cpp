// Crossings of lines of descent and widths of the drawings of kinsim's large
// pedigrees (five generations of children, first cousins marrying): one line
// per pedigree, then the totals, for BENCHMARKS.md. A plain program:
//   drawing_crossings [SEEDS]     (default 12: seeds 1 .. SEEDS)
#include <cstdio>
#include <cstdlib>
#include <string>

#include "pedigree/sample.hpp"
#include "report/line_crossings.hpp"
#include "report/pedigree_layout.hpp"
#include "tools/kinseg_sample.hpp"
#include "tools/settings.hpp"
#include "tools/simulate.hpp"

int main(int argc, char** argv) {
  const int seeds = argc > 1 ? std::atoi(argv[1]) : 12;
  const kinsim::Settings s = kinsim::parse_settings(
      "families = 4\ngenerations = 5\nchildren = poisson 3.4 1\nmarry = 0.62\ncousins = 0.05\nlimits = none\n"
      "ascertainment = single 0.2\nunknown = 0.3\n",
      "settings");
  long crossings = 0, persons = 0, drawings = 0;
  double width = 0;
  std::printf("seed\tpedigree\tpersons\trows\twidth\tcrossings\n");
  for (int seed = 1; seed <= seeds; ++seed) {
    const kinseg::Sample sample = kinsim::kinseg_sample(s, kinsim::draw_sample(s, static_cast<uint64_t>(seed)));
    for (int k = 0; k < sample.pedigrees(); ++k) {
      if (sample.size(k) < 100) continue;
      const kinseg::report::PedigreeLayout l = kinseg::report::pedigree_layout(sample, k);
      const long c = kinseg::report::descent_crossings(l.lines);
      std::printf("%d\t%s\t%d\t%d\t%.0f\t%ld\n", seed, l.pedigree_id.c_str(), sample.size(k), l.rows, l.width, c);
      crossings += c;
      persons += sample.size(k);
      width += l.width;
      ++drawings;
    }
  }
  std::printf("total\t%ld drawings\t%ld\t\t%.0f\t%ld\n", drawings, persons, width, crossings);
  return 0;
}
