// Pedigree drawings: the drawing rules hold on the layout and on the SVG read
// back, for every hand-built pedigree (loops included), and the checks catch
// a drawing that breaks them.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <iostream>
#include <random>
#include <set>
#include <stdexcept>
#include <tuple>

#include "pedigree/read_sample.hpp"
#include "report/pedigree_layout.hpp"
#include "report/pedigree_svg.hpp"
#include "tests/support/drawing_checks.hpp"
#include "tests/support/drawn_pedigrees.hpp"
#include "tools/kinseg_sample.hpp"
#include "tools/settings.hpp"
#include "tools/simulate.hpp"

namespace {

using kinseg::report::Drawing;
using kinseg::report::drawing_problems;
using kinseg::report::LineKind;

std::string joined(const std::vector<std::string>& problems) {
  std::string s;
  for (const auto& p : problems) s += "  " + p + "\n";
  return s;
}

std::vector<double> carriers_for(const kinseg::Sample& s) {
  std::vector<double> p;
  for (int m = 0; m < s.size(0); ++m) p.push_back(m % 7 == 3 ? std::nan("") : (m % 10) / 9.0);
  return p;
}

TEST(PedigreeDrawing, KeepsTheRulesOnLayoutAndSvg) {
  for (const auto& [name, sample] : kintest::all_drawn_pedigrees()) {
    for (bool with_carriers : {false, true}) {
      SCOPED_TRACE(name + (with_carriers ? " with carrier probabilities" : ""));
      const auto layout =
          kinseg::report::pedigree_layout(sample, 0, with_carriers ? carriers_for(sample) : std::vector<double>{});
      EXPECT_EQ(joined(drawing_problems(kinseg::report::drawing_of(layout), sample, 0)), "");
      const std::string svg = kinseg::report::pedigree_svg(layout);
      EXPECT_EQ(joined(drawing_problems(kinseg::report::read_drawing_svg(svg), sample, 0)), "");
    }
  }
}

// The worked example's 60 families, read as kinseg reads a user's file.
TEST(PedigreeDrawing, KeepsTheRulesOnTheExampleFamilies) {
  const kinseg::DataRead read = kinseg::read_sample(KINSEG_EXAMPLE_DIR "/input/sample.dat", {});
  ASSERT_FALSE(read.problems.refused());
  ASSERT_EQ(read.sample.pedigrees(), 60);
  for (int k = 0; k < read.sample.pedigrees(); ++k) {
    SCOPED_TRACE("pedigree " + read.sample.pedigree_ids[static_cast<size_t>(k)]);
    const std::string svg = kinseg::report::draw_pedigree(read.sample, k);
    EXPECT_EQ(joined(drawing_problems(kinseg::report::read_drawing_svg(svg), read.sample, k)), "");
  }
}

// kinsim's pedigrees with marriages of first cousins: one 230-person pedigree
// with a loop (the benchmark's) and many smaller ones with several.
TEST(PedigreeDrawing, KeepsTheRulesOnSimulatedLoopPedigrees) {
  kinsim::Settings loop_230 = kinsim::read_settings(KINSEG_BENCH_DIR "/loop_230.settings");
  kinsim::Settings many = kinsim::parse_settings(
      "families = 40\ngenerations = 4\nchildren = poisson 3 1\nmarry = 0.6\ncousins = 0.6\n"
      "limits = none\nascertainment = single 0.5\nunknown = 0.1\n",
      "settings");
  int loops = 0;
  for (const auto& [name, settings, seed] :
       {std::tuple{"loop_230", loop_230, *loop_230.seed}, std::tuple{"cousins", many, uint64_t{77}}}) {
    const kinsim::Sample drawn = kinsim::draw_sample(settings, seed);
    loops += static_cast<int>(drawn.cousin_marriages);
    const kinseg::Sample sample = kinsim::kinseg_sample(settings, drawn);
    for (int k = 0; k < sample.pedigrees(); ++k) {
      SCOPED_TRACE(std::string(name) + " pedigree " + sample.pedigree_ids[static_cast<size_t>(k)]);
      const auto layout = kinseg::report::pedigree_layout(sample, k);
      EXPECT_EQ(joined(drawing_problems(kinseg::report::read_drawing_svg(kinseg::report::pedigree_svg(layout)), sample, k)), "");
    }
  }
  EXPECT_GE(loops, 10);
}

// Random pedigrees of five generations where many children marry a child of
// another sibship of their generation and some marry twice: entangled beyond
// what the field usually meets. The symbols never overlap or get crossed,
// parents stay above children, every child hangs from its parents' line;
// what may give is that two lines of descent meet, or that a spouse cannot
// stand beside a person who has several.
TEST(PedigreeDrawing, EntangledRandomPedigreesKeepTheFirmRules) {
  int loops = 0, soft = 0;
  for (uint32_t seed = 0; seed < 150; ++seed) {
    std::mt19937 rng(seed);
    kintest::PedigreeBuilder b("r" + std::to_string(seed));
    int next = 0;
    struct Kid {
      int id, sex, sibship;
    };
    auto add = [&](int fa, int mo, int sex) {
      b.add(std::to_string(next), fa < 0 ? "" : std::to_string(fa), mo < 0 ? "" : std::to_string(mo), sex,
            1 + static_cast<int>(rng() % 3), rng() % 9 == 0);
      return next++;
    };
    std::vector<std::pair<int, int>> couples{{add(-1, -1, 1), add(-1, -1, 2)}, {add(-1, -1, 1), add(-1, -1, 2)}};
    for (int gen = 1; gen <= 4; ++gen) {
      std::vector<Kid> kids;
      for (size_t c = 0; c < couples.size(); ++c)
        for (int i = 1 + static_cast<int>(rng() % 4); i > 0; --i) {
          const int sex = rng() % 2 ? 1 : 2;
          kids.push_back({add(couples[c].first, couples[c].second, sex), sex, static_cast<int>(c)});
        }
      couples.clear();
      if (gen == 4) break;
      std::vector<char> taken(kids.size(), 0);
      for (size_t i = 0; i < kids.size(); ++i) {
        if (rng() % 3 == 0) continue;
        int spouse = -1;
        if (rng() % 3 == 0)
          for (size_t j = 0; j < kids.size() && spouse < 0; ++j)
            if (j != i && !taken[j] && kids[j].sex != kids[i].sex && kids[j].sibship != kids[i].sibship &&
                rng() % 2) {
              spouse = kids[j].id;
              taken[j] = 1;
              ++loops;
            }
        taken[i] = 1;
        for (int marriage = rng() % 8 == 0 ? 2 : 1; marriage > 0; --marriage) {
          const int s = spouse >= 0 && marriage == 1 ? spouse : add(-1, -1, 3 - kids[i].sex);
          couples.push_back(kids[i].sex == 1 ? std::make_pair(kids[i].id, s) : std::make_pair(s, kids[i].id));
        }
      }
    }
    const kinseg::Sample s = b.sample();
    SCOPED_TRACE("seed " + std::to_string(seed));
    const auto problems = drawing_problems(kinseg::report::read_drawing_svg(kinseg::report::draw_pedigree(s, 0)), s, 0);
    for (const std::string& p : problems) {
      const bool soft_rule = p.find("also touches") != std::string::npos || p.find("not side by side") != std::string::npos;
      EXPECT_TRUE(soft_rule) << p;
      soft += soft_rule;
    }
  }
  EXPECT_GE(loops, 100);
  std::cout << "entangled pedigrees: " << loops << " marriages within the pedigree, " << soft
            << " lines of descent meeting or spouses apart\n";
}

TEST(PedigreeDrawing, LargePedigreeHasLoopsAndSmallerSymbols) {
  const kinseg::Sample big = kintest::large_pedigree();
  ASSERT_EQ(big.persons(), 230);
  const auto layout = kinseg::report::pedigree_layout(big, 0);
  const auto nuclear = kinseg::report::pedigree_layout(kintest::nuclear_family(), 0);
  EXPECT_LT(layout.symbol, nuclear.symbol);
  EXPECT_GE(layout.rows, 6);
  int double_lines = 0;
  for (const auto& l : layout.lines) double_lines += l.kind == LineKind::kMarriage;
  // More marriage lines than couples: the related couples' second lines.
  int couples = 0;
  std::set<std::pair<int, int>> seen;
  for (int p = 0; p < big.persons(); ++p)
    if (big.father[p] >= 0 && seen.insert({big.father[p], big.mother[p]}).second) ++couples;
  EXPECT_GT(double_lines, couples);
}

TEST(PedigreeDrawing, DrawsConventionalSymbols) {
  const kinseg::Sample s = kintest::nuclear_family();
  const std::string svg = kinseg::report::draw_pedigree(s, 0, {0.5, 0.25, 0.999, 0.001, std::nan("")});
  // Father: open square; mother: filled circle; 5: diamond with a question mark.
  EXPECT_NE(svg.find("<g class=\"person\" data-id=\"1\"><title>1: male, unaffected; probability of carrying at least one "
                     "copy of the risk allele 0.5</title><rect class=\"symbol\""),
            std::string::npos);
  EXPECT_NE(svg.find("<title>2: female, affected; probability of carrying at least one copy of the risk allele "
                     "0.25</title><circle class=\"symbol\""),
            std::string::npos);
  EXPECT_NE(svg.find("fill=\"#000\""), std::string::npos);
  EXPECT_NE(svg.find("<polygon class=\"symbol\""), std::string::npos);
  EXPECT_NE(svg.find(">?</text>"), std::string::npos);
  EXPECT_NE(svg.find("<g class=\"arrow\" data-id=\"3\">"), std::string::npos);
  // Carrier probabilities in two decimals, never rounded to certainty.
  EXPECT_NE(svg.find(">0.50</text>"), std::string::npos);
  EXPECT_NE(svg.find(">&gt;0.99</text>"), std::string::npos);
  EXPECT_NE(svg.find(">&lt;0.01</text>"), std::string::npos);
}

TEST(PedigreeDrawing, EscapesOddIds) {
  kintest::PedigreeBuilder b("a<b&\"c\"");
  b.add("x<1>", "", "", kinseg::kMale, kinseg::kAffected)
      .add("y&2", "", "", kinseg::kFemale, kinseg::kUnaffected)
      .add(std::string("z\x01\xff"), "x<1>", "y&2", kinseg::kMale, kinseg::kAffected, true);
  const kinseg::Sample s = b.sample();
  const std::string svg = kinseg::report::draw_pedigree(s, 0);
  EXPECT_EQ(svg.find("x<1>"), std::string::npos);
  EXPECT_NE(svg.find("data-id=\"x&lt;1&gt;\""), std::string::npos);
  EXPECT_NE(svg.find("data-pedigree=\"a&lt;b&amp;&quot;c&quot;\""), std::string::npos);
  EXPECT_NE(svg.find("z\xEF\xBF\xBD\xEF\xBF\xBD"), std::string::npos);
  // The drawing reads back with the ids it was given, except the bytes replaced.
  const Drawing d = kinseg::report::read_drawing_svg(svg);
  EXPECT_EQ(d.symbols[0].id, "x<1>");
  EXPECT_EQ(d.symbols[1].id, "y&2");
}

TEST(PedigreeDrawing, RefusesBadInput) {
  const kinseg::Sample s = kintest::nuclear_family();
  EXPECT_THROW(kinseg::report::pedigree_layout(s, 1), std::invalid_argument);
  EXPECT_THROW(kinseg::report::pedigree_layout(s, 0, {0.5}), std::invalid_argument);
  EXPECT_THROW(kinseg::report::pedigree_layout(s, 0, {0.5, 0.5, 1.5, 0.5, 0.5}), std::invalid_argument);
  kinseg::Sample own_ancestor = s;
  own_ancestor.father[0] = 2;  // 1 the son of his own son
  own_ancestor.mother[0] = 3;
  EXPECT_THROW(kinseg::report::pedigree_layout(own_ancestor, 0), std::invalid_argument);
}

// A drawing broken on purpose, one fault at a time: the checks name it.
TEST(PedigreeDrawing, ChecksCatchBrokenDrawings) {
  const kinseg::Sample s = kintest::first_cousins();
  const Drawing good = kinseg::report::drawing_of(kinseg::report::pedigree_layout(s, 0));
  ASSERT_TRUE(drawing_problems(good, s, 0).empty());
  auto symbol = [](Drawing& d, const std::string& id) -> kinseg::report::DrawnSymbol& {
    for (auto& x : d.symbols)
      if (x.id == id) return x;
    throw std::invalid_argument(id);
  };
  struct Case {
    const char* fault;
    std::function<void(Drawing&)> spoil;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"child moved above its parents",
       [&](Drawing& d) { symbol(d, "D1").y = symbol(d, "G1").y; }, "C1 is not drawn above D1"},
      {"two symbols on each other",
       [&](Drawing& d) {
         symbol(d, "D2").x = symbol(d, "D1").x + 3;
         symbol(d, "D2").y = symbol(d, "D1").y;
       },
       "the symbols of D1 and D2 overlap"},
      {"related couple with a single line",
       [](Drawing& d) {
         for (size_t i = 0; i < d.lines.size(); ++i)
           if (d.lines[i].kind == LineKind::kMarriage) {
             // The first pair of parallel lines found is the cousins' couple.
             for (size_t j = i + 1; j < d.lines.size(); ++j)
               if (d.lines[j].kind == LineKind::kMarriage && d.lines[j].x1 == d.lines[i].x1) {
                 d.lines.erase(d.lines.begin() + static_cast<long>(j));
                 return;
               }
           }
       },
       "are joined by 1 marriage lines, not 2 (a related couple)"},
      {"arrow removed", [](Drawing& d) { d.arrows.clear(); }, "the proband D1 has 0 arrows"},
      {"arrow at the wrong person",
       [&](Drawing& d) { d.arrows[0].id = "D2"; }, "D2 has an arrow but is not a proband"},
      {"line through a symbol",
       [&](Drawing& d) {
         const auto& a = symbol(d, "A");
         d.lines.push_back({a.x - 40, a.y, a.x + 40, a.y, LineKind::kSibship});
       },
       "crosses the symbol of A"},
      {"child cut from its sibship line",
       [&](Drawing& d) {
         const auto& c = symbol(d, "C3");
         for (auto& l : d.lines)
           if (l.kind == LineKind::kDrop && std::fabs(l.x1 - c.x) < 0.1) l.y2 -= 5;
       },
       "the line of descent of SB and B does not reach C3"},
      {"spouse moved away",
       [&](Drawing& d) { symbol(d, "SA").x += 1000; }, "the spouses A and SA are not side by side"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    Drawing bad = good;
    c.spoil(bad);
    const std::string found = joined(drawing_problems(bad, s, 0));
    EXPECT_NE(found.find(c.message), std::string::npos) << found;
  }
}

}  // namespace
