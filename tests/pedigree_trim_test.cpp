// Drawings of large and loose pedigrees: the informative core (--trim), the
// persons tied to no one drawn apart, and a drawing scaled to a width; and
// kinseg draw with those options as a user runs it.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/support/drawing_checks.hpp"
#include "report/line_crossings.hpp"
#include "report/pedigree_layout.hpp"
#include "report/pedigree_svg.hpp"
#include "report/pedigree_trim.hpp"
#include "tests/support/drawn_pedigrees.hpp"
#include "tests/kinseg_run.hpp"

namespace {

using kinseg::kAffected;
using kinseg::kFemale;
using kinseg::kMale;
using kinseg::kUnaffected;
using kinseg::kUnknownTrait;
using kinseg::report::DrawingOptions;
using kinseg::report::pedigree_layout;
using kinseg::report::trim_pedigree;

constexpr int U = kUnknownTrait, A = kAffected, N = kUnaffected;

// Founders 1 x 2 (known) have children 3 (known), 4 (unknown, married to the
// unknown 5, with the unknown children 6 and 7) and 8 (unknown, no
// children); 3 marries 9 (unknown) and they have 10 (known) and 11
// (unknown). 12 and 13 are tied to no one. Folded: 4, 5, 6, 7, 8 under 1 x 2
// (one stub of 5) and 11 under 3 x 9 (a stub of 1); 9 stays, as the parent
// of 10.
kinseg::Sample loose_pedigree() {
  kintest::PedigreeBuilder b("L");
  b.add("1", "", "", kMale, A).add("2", "", "", kFemale, N);
  b.add("3", "1", "2", kMale, A, true).add("5", "", "", kFemale, U).add("4", "1", "2", kMale, U);
  b.add("6", "4", "5", kMale, U).add("7", "4", "5", kFemale, U).add("8", "1", "2", kFemale, U);
  b.add("9", "", "", kFemale, U).add("10", "3", "9", kMale, N).add("11", "3", "9", kFemale, U);
  b.add("12", "", "", kFemale, A).add("13", "", "", kMale, U);
  return b.sample();
}

TEST(PedigreeTrim, FoldsEachBranchWithoutAKnownTraitIntoOneStub) {
  const kinseg::Sample s = loose_pedigree();
  const auto t = trim_pedigree(s, 0, std::vector<double>(13, 0.5));
  std::vector<std::string> kept;
  std::vector<int> stubs;
  for (int m = 0; m < t.sample.persons(); ++m) {
    if (t.folded[static_cast<size_t>(m)] > 0) {
      stubs.push_back(t.folded[static_cast<size_t>(m)]);
      EXPECT_TRUE(std::isnan(t.carrier[static_cast<size_t>(m)]));
      // A stub hangs from the couple whose branch it folds.
      const std::string parents = t.sample.ids[static_cast<size_t>(t.sample.father[static_cast<size_t>(m)])] + "x" +
                                  t.sample.ids[static_cast<size_t>(t.sample.mother[static_cast<size_t>(m)])];
      EXPECT_TRUE(parents == "1x2" || parents == "3x9") << parents;
    } else {
      kept.push_back(t.sample.ids[static_cast<size_t>(m)]);
      EXPECT_EQ(t.carrier[static_cast<size_t>(m)], 0.5);
    }
  }
  EXPECT_EQ(kept, (std::vector<std::string>{"1", "2", "3", "9", "10", "12", "13"}));
  std::sort(stubs.begin(), stubs.end());
  EXPECT_EQ(stubs, (std::vector<int>{1, 5}));
  EXPECT_EQ(t.folded_persons, 6);
  EXPECT_EQ(t.folded_persons + static_cast<int>(kept.size()), s.persons());
}

// Every pedigree of the drawing tests, trimmed and not: the drawing keeps
// the rules against the pedigree drawn, every person of known trait is in
// it, and a trimmed drawing is never wider than the whole one.
TEST(PedigreeTrim, TrimmedDrawingsKeepTheRules) {
  auto cases = kintest::all_drawn_pedigrees();
  cases.push_back({"loose", loose_pedigree()});
  for (const auto& c : cases) {
    const auto t = trim_pedigree(c.sample, 0);
    const auto whole = pedigree_layout(c.sample, 0);
    DrawingOptions o;
    o.trim = true;
    const auto trimmed = pedigree_layout(c.sample, 0, {}, o);
    EXPECT_EQ(trimmed.folded, t.folded_persons) << c.name;
    EXPECT_LE(trimmed.width, whole.width + 1e-9) << c.name;
    const auto problems =
        kinseg::report::drawing_problems(kinseg::report::read_drawing_svg(kinseg::report::pedigree_svg(trimmed)),
                                         t.sample, 0);
    EXPECT_TRUE(problems.empty()) << c.name << ": " << problems.front();
    int known = 0, known_drawn = 0;
    for (int m = 0; m < c.sample.persons(); ++m) known += c.sample.trait[static_cast<size_t>(m)] != U;
    for (const auto& p : trimmed.persons) known_drawn += p.folded == 0 && p.trait != U;
    EXPECT_EQ(known_drawn, known) << c.name;
  }
}

TEST(PedigreeDrawing, PersonsTiedToNoOneStandApartUnderTheOthers) {
  const auto l = pedigree_layout(loose_pedigree(), 0);
  EXPECT_EQ(l.unlinked, 2);
  double lowest_other = 0, unlinked_y = -1;
  for (const auto& p : l.persons) {
    if (p.unlinked) {
      EXPECT_TRUE(p.id == "12" || p.id == "13") << p.id;
      unlinked_y = p.y;
    } else {
      lowest_other = std::max(lowest_other, p.y);
    }
  }
  EXPECT_GT(unlinked_y, lowest_other);
  EXPECT_GT(l.unlinked_caption_y, lowest_other);
  EXPECT_LT(l.unlinked_caption_y, unlinked_y);
  const std::string svg = kinseg::report::pedigree_svg(l);
  EXPECT_NE(svg.find(kinseg::report::kUnlinkedNote), std::string::npos);
  EXPECT_NE(svg.find("data-id=\"12\" data-unlinked=\"1\""), std::string::npos);
  // A pedigree of persons tied to no one only: one row, no caption.
  kintest::PedigreeBuilder b("S");
  b.add("1", "", "", kMale, A).add("2", "", "", kFemale, N);
  const auto single = pedigree_layout(b.sample(), 0);
  EXPECT_EQ(single.unlinked, 0);
  EXPECT_EQ(single.rows, 1);
}

TEST(PedigreeDrawing, AWidthScalesTheDrawingAndKeepsItsCoordinates) {
  const kinseg::Sample big = kintest::large_pedigree();
  const auto natural = pedigree_layout(big, 0);
  DrawingOptions o;
  o.width = 500;
  const auto scaled = pedigree_layout(big, 0, {}, o);
  ASSERT_GT(natural.width, 500);
  EXPECT_DOUBLE_EQ(scaled.scale * scaled.width, 500);
  const std::string svg = kinseg::report::pedigree_svg(scaled);
  EXPECT_NE(svg.find("width=\"500\""), std::string::npos);
  char view[64];
  std::snprintf(view, sizeof view, "viewBox=\"0 0 %.0f", std::floor(natural.width));
  EXPECT_NE(svg.find(view), std::string::npos) << view;
  EXPECT_EQ(kinseg::report::read_drawing_svg(svg).symbols.size(),
            kinseg::report::read_drawing_svg(kinseg::report::pedigree_svg(natural)).symbols.size());
  o.width = 5000;  // wider than the drawing: shown at its own size
  EXPECT_EQ(pedigree_layout(big, 0, {}, o).scale, 1);
}

// Crossings counted by hand: a sibship line crossed by a line of descent and
// by a drop; lines that meet at an end, or run along each other, do not cross.
TEST(LineCrossings, CountsOnlyLinesThatCutThroughEachOther) {
  using kinseg::report::LineKind;
  using kinseg::report::LineSegment;
  const std::vector<LineSegment> lines = {
      {0, 10, 100, 10, LineKind::kSibship},   // a sibship line
      {50, 0, 50, 20, LineKind::kDescent},    // crosses it
      {0, 10, 0, 30, LineKind::kDrop},        // meets it at its end
      {80, 5, 80, 10, LineKind::kDescent},    // ends on it
      {55, 10, 75, 10, LineKind::kSibship},   // along it
      {90, 0, 90, 40, LineKind::kDrop},       // crosses it
      {85, 25, 95, 25, LineKind::kMarriage},  // crosses the drop, but a marriage line is not of descent
  };
  EXPECT_EQ(kinseg::report::descent_crossings(lines), 2);
}

TEST(KinsegDraw, TrimsAndScalesOnRequest) {
  kintest::TempDir dir;
  kintest::write_file("loose.txt",
                      "ped id father mother sex affected\n"
                      "L 1 0 0 1 2\nL 2 0 0 2 1\nL 3 1 2 1 2\nL 5 0 0 2 0\nL 4 1 2 1 0\nL 6 4 5 1 0\n"
                      "L 7 4 5 2 0\nL 8 1 2 2 0\nL 9 0 0 2 0\nL 10 3 9 1 1\nL 11 3 9 2 0\nL 12 0 0 2 2\n"
                      "L 13 0 0 1 0\n");
  const std::string common = "draw loose.txt --affected 2 --unaffected 1 --family L";
  const kintest::KinsegRun whole = kintest::kinseg(common + " --out whole.svg");
  ASSERT_EQ(whole.status, 0) << whole.err;
  EXPECT_TRUE(kintest::has(whole.err, "(pedigree L, 13 persons; 2 persons tied to no one, drawn apart)")) << whole.err;
  const kintest::KinsegRun trimmed = kintest::kinseg(common + " --trim --width 200 --out trim.svg");
  ASSERT_EQ(trimmed.status, 0) << trimmed.err;
  EXPECT_TRUE(kintest::has(trimmed.err, "6 persons of unknown trait folded into 2 stubs")) << trimmed.err;
  EXPECT_TRUE(kintest::has(trimmed.err, "to 200 px wide")) << trimmed.err;
  const std::string svg = kintest::read_file("trim.svg");
  EXPECT_TRUE(kintest::has(svg, "data-folded=\"5\"")) << svg;
  EXPECT_TRUE(kintest::has(svg, "width=\"200\""));
  const kintest::KinsegRun bad = kintest::kinseg(common + " --width 0 --out x.svg");
  EXPECT_EQ(bad.status, 2);
  EXPECT_FALSE(kintest::exists("x.svg"));
}

}  // namespace
