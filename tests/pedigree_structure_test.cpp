// The structure of a pedigree as the likelihood peels it: on pedigrees without
// loops, the nuclear families, their order and their links are kinsort's, for
// kinsort's own cases and for random pedigrees; pedigrees with loops get as
// many breakers as they have independent loops, and after the duplication
// every family is placed.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "pedigree/pedigree_structure.hpp"
#include "prep/inform.hpp"
#include "tests/support/pedigree_rows.hpp"
#include "test_util.hpp"

namespace {

using kinseg::PedigreeStructure;
using kinseg::Sample;

// One pedigree from rows (father, mother) with ids 1..n in row order and 0
// for an unknown parent.
struct Row {
  int fa, mo;
};

Sample sample_of(const std::vector<Row>& rows) {
  std::vector<kintest::Row> full(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    full[i].fa = rows[i].fa;
    full[i].mo = rows[i].mo;
  }
  Sample s = kintest::empty_sample(0);
  kintest::add_pedigree(s, "1", full);
  return s;
}

// The structure as member lists in kinsort's terms: 1-based ids, father,
// mother, children, and the link (0 for none).
struct Way {
  std::vector<int> members;
  int link;
  bool operator==(const Way& o) const { return members == o.members && link == o.link; }
};

std::vector<Way> ways_of(const PedigreeStructure& ps) {
  std::vector<Way> out;
  for (const auto& f : ps.families) {
    Way w{{f.father + 1, f.mother + 1}, f.link + 1};
    for (int c : f.children) w.members.push_back(c + 1);
    out.push_back(w);
  }
  return out;
}

// What kinsort's structure step makes of the same rows; empty when it finds a loop.
std::vector<Way> kinsort_ways(const std::vector<Row>& rows, bool& loop) {
  kintest::TempDir dir;
  kintest::TestConsole tc;
  auto st = std::make_unique<kinsort::KinsortState>();
  st->DATA.N = static_cast<int>(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const int r = static_cast<int>(i) + 1;
    st->DATA(r, kinsort::kPed) = 1;
    st->DATA(r, kinsort::kId) = r;
    st->DATA(r, kinsort::kFa) = rows[i].fa;
    st->DATA(r, kinsort::kMo) = rows[i].mo;
  }
  kinsort::CRTINS(*st, tc.con);
  loop = kinsort::I_WAY(*st, tc.con);
  std::vector<Way> out;
  if (loop) return out;
  for (int w = 1; w <= st->BUF4(1); ++w) {
    Way way{{}, st->BUF5(w)};
    for (int i = st->BUF4(w + 1) + 1; i <= st->BUF4(w + 2); ++i) way.members.push_back(st->BUF6(i));
    out.push_back(way);
  }
  return out;
}

void expect_kinsort_order(const std::vector<Row>& rows) {
  bool loop = false;
  const std::vector<Way> expected = kinsort_ways(rows, loop);
  ASSERT_FALSE(loop);
  const PedigreeStructure ps = kinseg::pedigree_structure(sample_of(rows), 0);
  EXPECT_EQ(ps.loops, 0);
  EXPECT_TRUE(ps.breakers.empty());
  EXPECT_EQ(ways_of(ps), expected);
}

TEST(PedigreeStructure, KinsortCases) {
  const std::vector<std::vector<Row>> cases = {
      // Three generations.
      {{0, 0}, {0, 0}, {1, 2}, {0, 0}, {3, 4}, {3, 4}},
      // A link child that is not the first child.
      {{0, 0}, {0, 0}, {0, 0}, {1, 2}, {1, 2}, {5, 3}},
      // Two sibships of one couple in rows apart.
      {{0, 0}, {0, 0}, {1, 2}, {0, 0}, {0, 0}, {4, 5}, {1, 2}},
      // Half-sibs by one father.
      {{0, 0}, {0, 0}, {0, 0}, {1, 2}, {1, 3}},
      // A man with children by two wives, himself a child.
      {{0, 0}, {0, 0}, {1, 2}, {0, 0}, {3, 4}, {0, 0}, {3, 6}},
      // Founders only, and an unattached member beside a family.
      {{0, 0}, {0, 0}},
      {{0, 0}, {0, 0}, {1, 2}, {0, 0}},
  };
  for (const auto& rows : cases) expect_kinsort_order(rows);
}

// Random pedigrees without loops: each new person is a founder, or a child of
// an earlier couple, or a child of an earlier person and a new founder spouse.
TEST(PedigreeStructure, RandomPedigreesAsKinsortOrdersThem) {
  std::mt19937 rng(7);
  for (int trial = 0; trial < 300; ++trial) {
    std::vector<Row> rows = {{0, 0}, {0, 0}};
    std::vector<Row> couples = {{1, 2}};
    const int n = 3 + static_cast<int>(rng() % 40);
    while (static_cast<int>(rows.size()) < n) {
      const unsigned r = rng() % 10;
      if (r < 6) {
        rows.push_back(couples[rng() % couples.size()]);
      } else {
        // A person with no spouse yet, taken as a parent with a new founder.
        const int p = 1 + static_cast<int>(rng() % rows.size());
        bool has_spouse = false;
        for (const Row& c : couples) has_spouse = has_spouse || c.fa == p || c.mo == p;
        if (has_spouse && rng() % 2) continue;
        rows.push_back({0, 0});
        const int spouse = static_cast<int>(rows.size());
        couples.push_back(rng() % 2 ? Row{p, spouse} : Row{spouse, p});
        rows.push_back(couples.back());
      }
    }
    // Shuffle nothing: kinsort reads rows in order; a child may stand before
    // a later founder spouse's row only if we put it there, which is allowed.
    expect_kinsort_order(rows);
  }
}

struct LoopCase {
  const char* name;
  std::vector<Row> rows;
  int loops;
};

TEST(PedigreeStructure, LoopsAreBrokenByAsManyCopiesAsLoops) {
  const std::vector<LoopCase> cases = {
      {"first-cousin marriage",
       {{0, 0}, {0, 0}, {1, 2}, {1, 2}, {0, 0}, {0, 0}, {3, 5}, {6, 4}, {7, 8}},
       1},
      {"double first cousins",
       {{0, 0}, {0, 0}, {0, 0}, {0, 0}, {1, 2}, {1, 2}, {3, 4}, {3, 4}, {5, 7}, {6, 8}, {9, 10}},
       2},
      {"a man with children by two sisters",
       {{0, 0}, {0, 0}, {1, 2}, {1, 2}, {0, 0}, {5, 3}, {5, 4}},
       1},
      {"uncle-niece marriage",
       {{0, 0}, {0, 0}, {1, 2}, {1, 2}, {0, 0}, {3, 5}, {4, 6}},
       1},
      {"two loops sharing a person",
       {{0, 0}, {0, 0}, {1, 2}, {1, 2}, {0, 0}, {0, 0}, {3, 5}, {6, 4}, {7, 8},
        {0, 0}, {4, 10}, {0, 0}, {7, 12}, {11, 13}},
       2},
  };
  for (const LoopCase& c : cases) {
    SCOPED_TRACE(c.name);
    bool loop = false;
    kinsort_ways(c.rows, loop);
    EXPECT_TRUE(loop);
    const PedigreeStructure ps = kinseg::pedigree_structure(sample_of(c.rows), 0);
    EXPECT_EQ(ps.loops, c.loops);
    ASSERT_EQ(static_cast<int>(ps.breakers.size()), c.loops);
    // Every member is in a family; each copy is a parent only, each breaker
    // keeps its own parents and is a parent no more.
    EXPECT_TRUE(ps.unattached.empty());
    for (size_t i = 0; i < ps.breakers.size(); ++i) {
      const int b = ps.breakers[i], copy = ps.size + static_cast<int>(i);
      EXPECT_EQ(ps.original(copy), b);
      bool copy_parent = false, breaker_child = false;
      for (const auto& f : ps.families) {
        EXPECT_NE(f.father, b);
        EXPECT_NE(f.mother, b);
        copy_parent = copy_parent || f.father == copy || f.mother == copy;
        for (int ch : f.children) {
          EXPECT_NE(ch, copy);
          breaker_child = breaker_child || ch == b;
        }
      }
      EXPECT_TRUE(copy_parent);
      EXPECT_TRUE(breaker_child);
    }
    // A connected pedigree peels onto one last family with no link.
    ASSERT_FALSE(ps.families.empty());
    EXPECT_EQ(ps.families.back().link, -1);
    int roots = 0;
    for (const auto& f : ps.families) roots += f.link < 0;
    EXPECT_EQ(roots, 1);
  }
}

}  // namespace
