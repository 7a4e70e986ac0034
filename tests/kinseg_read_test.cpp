// kinseg's reader on whole pedigree files: every format, separator, line end
// and quoting gives the same sample; every trait convention reads as decided;
// every structure problem is reported with its line, pedigree and ids; absent
// parents are added where asked; the summary counts what the files hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "pedigree/data_summary.hpp"
#include "pedigree/read_sample.hpp"
#include "tests/test_util.hpp"

namespace {

using namespace kinseg;

std::string fixture(const std::string& name) {
  return kintest::read_file(kintest::fixture_dir() + "/kinseg/" + name);
}

DataRead read_text(const std::string& text, const ReadOptions& o = {}) {
  return read_sample_text(text, "test.csv", o);
}

ReadOptions with_covariates(std::vector<std::string> cov) {
  ReadOptions o;
  o.columns.covariates = std::move(cov);
  return o;
}

std::vector<std::string> kinds(const DataRead& d) {
  std::vector<std::string> k;
  for (const DataProblem& p : d.problems.all()) k.push_back(p.kind);
  return k;
}

std::string problems_text(const DataRead& d) {
  std::string s;
  for (const DataProblem& p : d.problems.all()) s += describe(p) + "\n";
  return s;
}

void expect_same_sample(const Sample& a, const Sample& b) {
  EXPECT_EQ(a.pedigree_ids, b.pedigree_ids);
  EXPECT_EQ(a.start, b.start);
  EXPECT_EQ(a.ids, b.ids);
  EXPECT_EQ(a.father, b.father);
  EXPECT_EQ(a.mother, b.mother);
  EXPECT_EQ(a.sex, b.sex);
  EXPECT_EQ(a.trait, b.trait);
  EXPECT_EQ(a.proband, b.proband);
  EXPECT_EQ(a.covariates, b.covariates);
  EXPECT_EQ(a.covariate_names, b.covariate_names);
}

// study.csv: a quoted header, string ids, children before their parents, a
// quoted id holding a comma, M/F and female, a 0/1 trait with NA, a real
// covariate with a missing value, a proband column with an empty field.
TEST(KinsegRead, CsvWithStringIdsAndParentsAfterChildren) {
  const DataRead d = read_text(fixture("study.csv"), with_covariates({"age"}));
  ASSERT_FALSE(d.problems.refused()) << problems_text(d);
  EXPECT_EQ(d.problems.warnings(), 0) << problems_text(d);
  const Sample& s = d.sample;
  EXPECT_EQ(s.pedigree_ids, (std::vector<std::string>{"F1", "F2"}));
  EXPECT_EQ(s.start, (std::vector<int>{0, 4, 7}));
  EXPECT_EQ(s.ids, (std::vector<std::string>{"kid1", "dad1", "mum1", "kid, 2", "a", "b", "c"}));
  EXPECT_EQ(s.father, (std::vector<int>{1, -1, -1, 1, -1, -1, 5}));
  EXPECT_EQ(s.mother, (std::vector<int>{2, -1, -1, 2, -1, -1, 4}));
  EXPECT_EQ(s.sex, (std::vector<int8_t>{kMale, kMale, kFemale, kFemale, kFemale, kMale, kFemale}));
  // a is affected in the file but has no age: her trait counts as unknown.
  EXPECT_EQ(s.trait, (std::vector<int8_t>{kAffected, kUnaffected, kUnknownTrait, kUnaffected, kUnknownTrait,
                                          kUnaffected, kAffected}));
  EXPECT_EQ(d.unknown_by_covariate, 1);
  EXPECT_EQ(s.proband, (std::vector<int8_t>{kProband, kOrdinary, kOrdinary, kOrdinary, kOrdinary, kOrdinary,
                                            kProband}));
  EXPECT_EQ(s.covariate_names, (std::vector<std::string>{"age"}));
  EXPECT_EQ(s.covariates, (std::vector<double>{12.5, 40, 38.25, 10, 0, 50, 20}));
  EXPECT_EQ(s.line, (std::vector<int>{2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(d.trait_coding.reading, TraitReading::kZeroOne);
  EXPECT_EQ(d.format.kind, FileKind::kHeaderTable);
  EXPECT_EQ(d.format.separator, Separator::kComma);
}

// Line ends, a byte-order mark, quoting, blank padding, blank lines and the
// separator change nothing in the sample.
TEST(KinsegRead, LineEndsQuotesAndSeparatorsGiveTheSameSample) {
  const std::string lf = fixture("study.csv");
  const DataRead base = read_text(lf, with_covariates({"age"}));
  auto replace_all = [](std::string s, const std::string& from, const std::string& to) {
    for (size_t p = 0; (p = s.find(from, p)) != std::string::npos; p += to.size()) s.replace(p, from.size(), to);
    return s;
  };
  std::string no_last_end = lf;
  no_last_end.pop_back();
  std::string all_quoted;
  {
    // Every field quoted, blanks around the separators.
    std::string line;
    std::istringstream in(lf);
    while (std::getline(in, line)) {
      std::vector<std::string> f;
      for (const std::string& v : split_line(line, Separator::kComma)) f.push_back("\"" + v + "\"");
      for (size_t i = 0; i < f.size(); ++i) all_quoted += (i ? " ,  " : "  ") + f[i];
      all_quoted += "\n";
    }
  }
  // Tabs: the quoted id keeps its comma; the empty fields stay empty.
  const std::string tabs = replace_all(replace_all(replace_all(lf, ",", "\t"), "kid\t 2", "kid, 2"), "\"", "");
  const std::vector<std::pair<std::string, std::string>> variants = {
      {"CR LF", replace_all(lf, "\n", "\r\n")},
      {"CR", replace_all(lf, "\n", "\r")},
      {"no last line end", no_last_end},
      {"CR LF, no last line end", replace_all(no_last_end, "\n", "\r\n")},
      {"byte-order mark", "\xEF\xBB\xBF" + lf},
      {"blank lines", replace_all(lf, "\n", "\n  \n")},
      {"every field quoted, padded", all_quoted},
      {"tabs", tabs},
      {"semicolons", replace_all(replace_all(lf, ",", ";"), "kid; 2", "kid, 2")},
  };
  for (const auto& [what, text] : variants) {
    SCOPED_TRACE(what);
    const DataRead d = read_text(text, with_covariates({"age"}));
    ASSERT_FALSE(d.problems.refused()) << problems_text(d);
    expect_same_sample(d.sample, base.sample);
    if (what != "blank lines") {
      EXPECT_EQ(d.sample.line, base.sample.line);
    }
  }
}

// Each format and trait convention, from the fixture files: kind, separator,
// reading, and the trait counts it gives.
TEST(KinsegRead, FormatsAndTraitConventions) {
  struct Case {
    const char* file;
    FileKind kind;
    Separator sep;
    TraitReading reading;
    int persons, affected, unaffected, unknown;
  };
  const Case cases[] = {
      {"study.tsv", FileKind::kHeaderTable, Separator::kTab, TraitReading::kLinkage, 7, 3, 3, 1},
      {"study.txt", FileKind::kHeaderTable, Separator::kBlanks, TraitReading::kLinkage, 4, 2, 1, 1},
      {"study.ped", FileKind::kLinkage, Separator::kBlanks, TraitReading::kLinkage, 7, 3, 3, 1},
      {"study.fam", FileKind::kLinkage, Separator::kBlanks, TraitReading::kLinkage, 6, 2, 3, 1},
      {"kinsort.dat", FileKind::kKinsort, Separator::kBlanks, TraitReading::kKinsort, 6, 2, 3, 1},
      {"semicolon.csv", FileKind::kHeaderTable, Separator::kSemicolon, TraitReading::kZeroOne, 3, 2, 1, 0},
      {"study.csv", FileKind::kHeaderTable, Separator::kComma, TraitReading::kZeroOne, 7, 3, 3, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const DataRead d = read_text(fixture(c.file));
    ASSERT_FALSE(d.problems.refused()) << problems_text(d);
    EXPECT_EQ(d.format.kind, c.kind);
    EXPECT_EQ(d.format.separator, c.sep);
    EXPECT_EQ(d.trait_coding.reading, c.reading);
    EXPECT_EQ(d.sample.persons(), c.persons);
    const auto& t = d.sample.trait;
    EXPECT_EQ(std::count(t.begin(), t.end(), kAffected), c.affected);
    EXPECT_EQ(std::count(t.begin(), t.end(), kUnaffected), c.unaffected);
    EXPECT_EQ(std::count(t.begin(), t.end(), kUnknownTrait), c.unknown);
    for (int p = 0; p < d.sample.persons(); ++p)
      EXPECT_EQ(d.sample.father[p] < 0, d.sample.mother[p] < 0) << "person " << p;
  }
}

// In a kinsort file proband code 0 keeps its meaning and -9 is a covariate
// value like any other; in other files -9 is missing.
TEST(KinsegRead, KinsortFileKeepsItsOwnCodes) {
  const DataRead d = read_text(fixture("kinsort.dat"), with_covariates({"bmi"}));
  ASSERT_FALSE(d.problems.refused()) << problems_text(d);
  EXPECT_EQ(d.sample.proband, (std::vector<int8_t>{2, 0, 1, 2, 2, 1}));
  EXPECT_EQ(d.sample.covariates, (std::vector<double>{-9, 25, 30, 22, 21, 27}));
  EXPECT_EQ(d.sample.trait, (std::vector<int8_t>{1, 1, 2, 3, 1, 2}));
  EXPECT_EQ(d.unknown_by_covariate, 0);

  const DataRead csv = read_text("ped,id,fa,mo,sex,trait,bmi\n1,1,0,0,1,1,-9\n1,2,0,0,2,0,20\n",
                                 with_covariates({"bmi"}));
  ASSERT_FALSE(csv.problems.refused()) << problems_text(csv);
  EXPECT_EQ(csv.sample.trait, (std::vector<int8_t>{kUnknownTrait, kUnaffected}));
  EXPECT_EQ(csv.unknown_by_covariate, 1);
}

// The trait column's values decide its coding, in the documented order.
TEST(KinsegRead, TraitCodingDecidedFromTheValues) {
  struct Case {
    std::vector<std::string> values;
    TraitReading reading;
    std::vector<int8_t> codes;
    bool caution;
  };
  const Case cases[] = {
      {{"1", "2", "0", "-9", "NA"}, TraitReading::kLinkage, {1, 2, 3, 3, 3}, false},
      {{"2", "2"}, TraitReading::kLinkage, {2, 2}, false},
      {{"0", "1", "NA", ".", "-9", ""}, TraitReading::kZeroOne, {1, 2, 3, 3, 3, 3}, false},
      {{"1", "1", "na"}, TraitReading::kZeroOne, {2, 2, 3}, true},
      {{"1", "2", "3"}, TraitReading::kRefused, {}, false},
      {{"0", "1", "5"}, TraitReading::kRefused, {}, false},
      {{"yes", "no"}, TraitReading::kRefused, {}, false},
  };
  for (const Case& c : cases) {
    std::string text = "ped,id,fa,mo,sex,trait\n";
    for (size_t i = 0; i < c.values.size(); ++i) text += "1," + std::to_string(i + 1) + ",0,0,1," + c.values[i] + "\n";
    SCOPED_TRACE(text);
    const DataRead d = read_text(text);
    EXPECT_EQ(d.trait_coding.reading, c.reading);
    if (c.reading == TraitReading::kRefused) {
      ASSERT_EQ(kinds(d), std::vector<std::string>{"trait-codes"});
      EXPECT_NE(d.problems.all()[0].message.find("\"" + c.values.back() + "\""), std::string::npos);
      continue;
    }
    EXPECT_EQ(d.sample.trait, c.codes);
    EXPECT_EQ(d.problems.warnings(), c.caution ? 1 : 0) << problems_text(d);
  }
  // The user's codes: every other value unknown.
  ReadOptions o;
  o.affected = {"yes"};
  o.unaffected = {"no", "NO"};
  const DataRead d = read_text(fixture("codes_user.csv"), o);
  ASSERT_FALSE(d.problems.refused()) << problems_text(d);
  EXPECT_EQ(d.trait_coding.reading, TraitReading::kUserCodes);
  EXPECT_EQ(d.sample.trait, (std::vector<int8_t>{1, 2, 2, 3, 1}));
  // kinsort's codes only in a kinsort file.
  const DataRead k = read_text("ped id fa mo sex trait\n1 1 0 0 1 1\n1 2 0 0 2 4\n");
  EXPECT_EQ(kinds(k), std::vector<std::string>{"trait-codes"});
}

TEST(KinsegRead, HeaderlessLinkageFilesAlwaysHaveLinkageCodes) {
  // A headerless LINKAGE or .fam file fixes the codes, whatever values occur:
  // 1s and -9s are unaffected and unknown, never 0/1-coded as all affected.
  struct Case {
    std::vector<std::string> values;
    std::vector<int8_t> codes;  // empty: refused
  };
  const Case cases[] = {
      {{"1", "-9", "1", "-9"}, {1, 3, 1, 3}},
      {{"1", "1", "0", "1"}, {1, 1, 3, 1}},
      {{"0", "0", "0", "0"}, {3, 3, 3, 3}},
      {{"2", "1", "0", "-9"}, {2, 1, 3, 3}},
      {{"1", "2", "3", "1"}, {}},
  };
  for (const Case& c : cases) {
    // A family of three each: six fields, no header; the child holds the value.
    std::string text;
    for (size_t i = 0; i < c.values.size(); ++i) {
      const std::string f = "f" + std::to_string(i);
      text += f + " 1 0 0 1 0\n" + f + " 2 0 0 2 0\n" + f + " 3 1 2 1 " + c.values[i] + "\n";
    }
    SCOPED_TRACE(text);
    const DataRead d = read_sample_text(text, "study.fam", {});
    ASSERT_EQ(d.format.kind, FileKind::kLinkage);
    if (c.codes.empty()) {
      EXPECT_EQ(kinds(d), std::vector<std::string>{"trait-codes"});
      EXPECT_NE(problems_text(d).find("\"3\""), std::string::npos) << problems_text(d);
      continue;
    }
    EXPECT_EQ(d.trait_coding.reading, TraitReading::kLinkage);
    EXPECT_EQ(d.problems.warnings(), 0) << problems_text(d);
    std::vector<int8_t> got;
    for (int p = 0; p < d.sample.persons(); ++p)
      if (d.sample.ids[p] == "3") got.push_back(d.sample.trait[p]);
    EXPECT_EQ(got, c.codes);
  }
}

// errors.csv holds one of each problem of the rows and the structure; all
// are reported in one run, with their lines, pedigrees and ids.
TEST(KinsegRead, EveryStructureProblemReportedInOneRun) {
  const DataRead d = read_text(fixture("errors.csv"), with_covariates({"age"}));
  struct Expect {
    const char* kind;
    int line;
    const char* pedigree;
    std::vector<std::string> ids;
    const char* words;
  };
  const Expect expected[] = {
      {"proband-code", 14, "R", {"1"}, "proband code \"7\""},
      {"covariate-value", 15, "R", {"2"}, "\"abc\" is not a number"},
      {"field-count", 16, "", {}, "3 fields where the header has 8: a value is missing"},
      {"unclosed-quote", 17, "", {}, "not closed"},
      {"duplicate-id", 5, "P", {"3"}, "first on line 4"},
      {"absent-parent", 6, "P", {"4", "9"}, "father 9 of 4 has no row"},
      {"one-parent", 7, "P", {"5"}, "5 has a father (1) but no mother"},
      {"parent-sex", 8, "P", {"6", "7"}, "person 6, coded female, is the father of 7"},
      {"father-and-mother", 12, "Q", {"3", "2", "1"}, "father of 2 and the mother of 1"},
      {"own-ancestor", 10, "Q", {"1", "2", "3"}, "1 is a child of 2, 2 of 3, 3 of 1"},
  };
  ASSERT_EQ(d.problems.all().size(), std::size(expected)) << problems_text(d);
  EXPECT_EQ(d.problems.errors(), static_cast<int>(std::size(expected)));
  for (const Expect& e : expected) {
    SCOPED_TRACE(e.kind);
    const auto& all = d.problems.all();
    const auto it = std::find_if(all.begin(), all.end(), [&](const DataProblem& p) { return p.kind == e.kind; });
    ASSERT_NE(it, all.end()) << problems_text(d);
    EXPECT_EQ(it->severity, Severity::kError);
    EXPECT_EQ(it->line, e.line);
    EXPECT_EQ(it->pedigree, e.pedigree);
    EXPECT_EQ(it->ids, e.ids);
    EXPECT_NE(it->message.find(e.words), std::string::npos) << it->message;
    EXPECT_EQ(it->file, "test.csv");
  }
}

// An id with a tab (possible in a quoted field) would split a row of every
// tab-separated output: refused, with its line.
TEST(KinsegRead, IdsWithAControlCharacterRefused) {
  const DataRead d =
      read_text("ped,id,fa,mo,sex,trait\n\"A\tB\",1,0,0,1,1\nP,\"x\ty\",0,0,1,1\nP,z,0,0,1,0\n");
  ASSERT_EQ(kinds(d), (std::vector<std::string>{"id-character", "id-character"})) << problems_text(d);
  EXPECT_EQ(d.problems.all()[0].line, 2);
  EXPECT_NE(d.problems.all()[0].message.find("the pedigree id"), std::string::npos);
  EXPECT_EQ(d.problems.all()[0].pedigree, "A\\tB");
  EXPECT_EQ(d.problems.all()[1].line, 3);
  EXPECT_NE(d.problems.all()[1].message.find("the person id"), std::string::npos);
}

// --add-missing-parents: each absent parent becomes a founder at the end of
// its pedigree; a known parent whose partner is unknown gets one added
// partner shared by all such children; a warning each.
TEST(KinsegRead, AbsentParentsAddedAtTheEndOfTheirPedigree) {
  const std::string text = fixture("absent_parents.csv");
  EXPECT_EQ(read_text(text).problems.errors(), 7);
  ReadOptions o;
  o.add_missing_parents = true;
  const DataRead d = read_text(text + "A,half2,dad,,M,0\n", o);
  ASSERT_FALSE(d.problems.refused()) << problems_text(d);
  EXPECT_EQ(d.problems.warnings(), 5) << problems_text(d);
  EXPECT_EQ(d.added, 5);
  const Sample& s = d.sample;
  EXPECT_EQ(s.ids, (std::vector<std::string>{"child", "sib", "half", "half2", "dad", "mum", "partner_of_dad", "x",
                                             "y", "z"}));
  EXPECT_EQ(s.father, (std::vector<int>{4, 4, 4, 4, -1, -1, -1, 8, -1, -1}));
  EXPECT_EQ(s.mother, (std::vector<int>{5, 5, 6, 6, -1, -1, -1, 9, -1, -1}));
  EXPECT_EQ(s.sex, (std::vector<int8_t>{1, 2, 2, 1, 1, 2, 2, 1, 1, 2}));
  EXPECT_EQ(s.line, (std::vector<int>{2, 3, 4, 6, 0, 0, 0, 5, 0, 0}));
  EXPECT_EQ(s.trait[4], kUnknownTrait);
  // A made-up id never takes one the pedigree uses.
  const DataRead taken = read_text("ped,id,father,mother,sex,trait\nA,k,d,0,M,1\nA,d,0,0,M,0\nA,partner_of_d,0,0,F,0\n", o);
  ASSERT_FALSE(taken.problems.refused()) << problems_text(taken);
  EXPECT_EQ(taken.sample.ids.back(), "partner_of_d_2");
  EXPECT_EQ(taken.sample.mother[0], 3);
}

// A parent of unknown sex takes the sex of the role, with a warning; without a
// sex column at all, one warning says so.
TEST(KinsegRead, UnknownSexOfAParentTakenFromTheRole) {
  const DataRead d = read_text(fixture("role_sex.csv"));
  ASSERT_FALSE(d.problems.refused()) << problems_text(d);
  EXPECT_EQ(kinds(d), (std::vector<std::string>{"sex-from-role", "sex-from-role"}));
  EXPECT_EQ(d.sample.sex, (std::vector<int8_t>{kMale, kFemale, kMale, kUnknownSex}));
  const DataRead none = read_text("ped,id,father,mother,trait\nA,1,0,0,1\nA,2,0,0,0\nA,3,1,2,1\n");
  EXPECT_EQ(kinds(none), std::vector<std::string>{"no-sex-column"});
  EXPECT_EQ(none.sample.sex, (std::vector<int8_t>{kMale, kFemale, kUnknownSex}));
}

// Columns named by header name (any case) or number, or found; an option
// naming no column is a usage error; a required column not found, a refusal.
// A breast-cancer study: traits recorded in women only, the men's rows
// holding their own cancers; age a covariate, missing for two women, one of
// them pedigree A's only proband.
const char* const kWomenStudy =
    "ped,id,fa,mo,sex,proband,trait,age,study\n"
    "A,1,0,0,M,0,2,50,pc\n"
    "A,2,0,0,F,0,1,48,bc\n"
    "A,3,1,2,F,1,2,NA,bc\n"
    "A,4,1,2,F,0,2,20,bc\n"
    "B,1,0,0,M,0,1,60,pc\n"
    "B,2,0,0,F,0,2,55,bc\n"
    "B,3,1,2,M,0,2,30,pc\n"
    "B,4,1,2,F,1,2,25,bc\n"
    "C,1,0,0,M,0,1,.,pc\n"
    "C,2,0,0,F,1,2,40,bc\n"
    "C,3,1,2,F,0,1,NA,bc\n";

TEST(KinsegRead, TraitDefinedOnceWhenTheSampleIsRead) {
  ReadOptions o = with_covariates({"age"});
  o.trait.only = TraitOnly{"sex", {"F"}};
  const DataRead d = read_text(kWomenStudy, o);
  ASSERT_FALSE(d.problems.refused()) << problems_text(d);
  // The men are relatives of unknown trait; A's only proband lost her trait
  // with her age, so A is excluded, with a warning naming it and the column.
  EXPECT_EQ(d.sample.pedigree_ids, (std::vector<std::string>{"B", "C"}));
  EXPECT_EQ(d.sample.trait, (std::vector<int8_t>{3, 2, 3, 2, 3, 2, 3}));
  EXPECT_EQ(d.sample.proband, (std::vector<int8_t>{2, 2, 2, 1, 2, 1, 2}));
  EXPECT_EQ(d.covariate_absent, (std::vector<char>{0, 0, 0, 0, 1, 0, 1}));
  const TraitDefinitionReport& r = d.definition;
  EXPECT_EQ(r.only, "sex = F");
  EXPECT_EQ(r.outside, 4);
  EXPECT_EQ(r.outside_probands, 0);
  ASSERT_EQ(r.unknown.size(), 1u);
  EXPECT_EQ(r.unknown[0].column, "age");
  EXPECT_EQ(r.unknown[0].traits, 2);
  EXPECT_EQ(r.unknown[0].probands, 1);
  ASSERT_EQ(r.excluded.size(), 1u);
  EXPECT_EQ(r.excluded[0].pedigree, "A");
  EXPECT_EQ(r.excluded[0].column, "missing age");
  EXPECT_EQ(r.excluded_persons, 4);
  EXPECT_EQ(d.unknown_by_covariate, 2);
  ASSERT_EQ(kinds(d), std::vector<std::string>{"excluded-family"});
  const std::string warning = problems_text(d);
  for (const char* part : {"1 family excluded under proband ascertainment", "(missing age)", "pedigree A",
                           "--fill age=VALUE|mean"})
    EXPECT_NE(warning.find(part), std::string::npos) << part << "\n" << warning;
  const auto lines = definition_lines(r);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "trait recorded only where sex = F: 4 persons outside (0 probands) have an unknown trait and stay as relatives");
  EXPECT_EQ(lines[1], "missing age: 2 traits made unknown, of them 1 proband");
  EXPECT_EQ(lines[2], "1 family excluded, no proband of known trait (missing age): A");

  // The same persons by the sex code 2, or by another column's text in any case.
  for (const TraitOnly& same : {TraitOnly{"sex", {"2"}}, TraitOnly{"study", {"BC"}}, TraitOnly{"9", {"bc"}}}) {
    ReadOptions other = o;
    other.trait.only = same;
    const DataRead e = read_text(kWomenStudy, other);
    EXPECT_EQ(e.sample.trait, d.sample.trait) << same.column;
    EXPECT_EQ(e.definition.outside, 4) << same.column;
  }
  ReadOptions nowhere = o;
  nowhere.trait.only = TraitOnly{"cohort", {"x"}};
  EXPECT_THROW(read_text(kWomenStudy, nowhere), ColumnOptionError);

  // --fill age=mean keeps every trait: A is analysed with its proband.
  ReadOptions filled = o;
  filled.trait.fill = {CovariateFill{"age", true, 0.0}};
  const DataRead f = read_text(kWomenStudy, filled);
  EXPECT_EQ(f.sample.pedigrees(), 3);
  EXPECT_TRUE(f.definition.excluded.empty());
  ASSERT_EQ(f.definition.filled.size(), 1u);
  EXPECT_DOUBLE_EQ(f.definition.filled[0].value, 41.0);  // (50 + 48 + 20 + 60 + 55 + 30 + 25 + 40) / 8
  EXPECT_EQ(f.definition.filled[0].persons, 3);
  EXPECT_DOUBLE_EQ(f.sample.cov(2, 0), 41.0);
  EXPECT_EQ(f.sample.trait[2], kAffected);
  EXPECT_EQ(f.problems.warnings(), 0) << problems_text(f);

  // Without proband ascertainment nothing is conditioned on: A stays.
  ReadOptions unconditioned = o;
  unconditioned.trait.proband_ascertainment = false;
  EXPECT_EQ(read_text(kWomenStudy, unconditioned).sample.pedigrees(), 3);

  // A proband recorded unknown in the file is no proband of known phenotype either.
  const DataRead u = read_text("ped,id,fa,mo,sex,proband,trait\nA,1,0,0,M,0,2\nA,2,0,0,F,0,1\nA,3,1,2,F,1,0\n"
                               "B,1,0,0,M,1,2\n");
  ASSERT_EQ(u.definition.excluded.size(), 1u);
  EXPECT_EQ(u.definition.excluded[0].column, "the trait column (unknown)");
  EXPECT_EQ(u.sample.pedigree_ids, std::vector<std::string>{"B"});

  // Every family excluded: the data are refused, not read as a sample
  // without a pedigree that check would pass and the analyses find empty.
  const DataRead none = read_text("ped,id,fa,mo,sex,proband,trait\nA,1,0,0,M,0,2\nA,2,0,0,F,0,1\n"
                                  "A,3,1,2,F,1,0\nB,1,0,0,M,1,0\n");
  EXPECT_TRUE(none.problems.refused());
  EXPECT_EQ(none.definition.excluded.size(), 2u);
  EXPECT_NE(problems_text(none).find("every family is excluded under proband ascertainment"), std::string::npos)
      << problems_text(none);

  // Malformed options.
  TraitOnly t;
  EXPECT_EQ(parse_trait_only("sex=F,M", t), "");
  EXPECT_EQ(t.values, (std::vector<std::string>{"F", "M"}));
  EXPECT_NE(parse_trait_only("sex", t), "");
  EXPECT_NE(parse_trait_only("sex=F,", t), "");
  CovariateFill c;
  EXPECT_EQ(parse_fill("age=MEAN", c), "");
  EXPECT_TRUE(c.mean);
  EXPECT_EQ(parse_fill("age=-2.5", c), "");
  EXPECT_EQ(c.value, -2.5);
  EXPECT_NE(parse_fill("age=old", c), "");
}

TEST(KinsegRead, ColumnsNamedOrFound) {
  const std::string text = "Fam,Who,Dad,Mum,Gender,Disease,x\nA,1,0,0,1,2,5\nA,2,0,0,2,1,6\nA,3,1,2,1,1,7\n";
  ReadOptions o;
  o.columns.role[static_cast<int>(ColumnRole::kPedigree)] = "fam";
  o.columns.role[static_cast<int>(ColumnRole::kPerson)] = "2";
  o.columns.role[static_cast<int>(ColumnRole::kFather)] = "Dad";
  o.columns.role[static_cast<int>(ColumnRole::kMother)] = "4";
  o.columns.role[static_cast<int>(ColumnRole::kTrait)] = "Disease";
  o.columns.covariates = {"7"};
  const DataRead d = read_text(text, o);
  ASSERT_FALSE(d.problems.refused()) << problems_text(d);
  EXPECT_EQ(d.columns[ColumnRole::kSex].column, 4);  // found as gender
  EXPECT_FALSE(d.columns[ColumnRole::kSex].given);
  EXPECT_EQ(d.sample.covariate_names, std::vector<std::string>{"x"});
  EXPECT_EQ(d.sample.father[2], 0);
  EXPECT_EQ(d.trait_coding.reading, TraitReading::kLinkage);

  const DataRead missing = read_text(text);
  EXPECT_EQ(kinds(missing), (std::vector<std::string>{"column-missing", "column-missing", "column-missing",
                                                      "column-missing", "column-missing"}));
  EXPECT_NE(missing.problems.all()[0].message.find("--ped"), std::string::npos);

  for (const char* bad : {"nosuch", "8", "0"}) {
    ReadOptions b = o;
    b.columns.role[static_cast<int>(ColumnRole::kSex)] = bad;
    EXPECT_THROW(read_text(text, b), ColumnOptionError) << bad;
  }
  ReadOptions named;
  named.columns.role[static_cast<int>(ColumnRole::kTrait)] = "status";
  EXPECT_THROW(read_text(fixture("study.ped"), named), ColumnOptionError);
}

// Pedigrees in order of first appearance, their rows in file order even when
// the pedigrees' rows are interleaved; the same id in two pedigrees is two
// persons.
TEST(KinsegRead, PedigreesInOrderOfFirstAppearance) {
  const DataRead d = read_text(
      "ped,id,fa,mo,sex,trait\nB,3,1,2,1,1\nA,1,0,0,1,0\nB,1,0,0,1,0\nA,2,0,0,2,0\nB,2,0,0,2,1\n");
  ASSERT_FALSE(d.problems.refused()) << problems_text(d);
  EXPECT_EQ(d.sample.pedigree_ids, (std::vector<std::string>{"B", "A"}));
  EXPECT_EQ(d.sample.ids, (std::vector<std::string>{"3", "1", "2", "1", "2"}));
  EXPECT_EQ(d.sample.line, (std::vector<int>{2, 4, 6, 3, 5}));
  EXPECT_EQ(d.sample.father[0], 1);
  EXPECT_EQ(d.sample.mother[0], 2);
}

// Files that hold nothing to read, or bytes of every kind, end in problems.
TEST(KinsegRead, EmptyAndOddFilesAreRefusedNotCrashed) {
  for (const char* text : {"", "\n\n", "ped,id,fa,mo,sex,trait\n", "\xEF\xBB\xBF", "\"", "a\0b"}) {
    const DataRead d = read_text(text);
    EXPECT_TRUE(d.problems.refused()) << text;
  }
}

// The summary of loops.csv: a first-cousin marriage (one loop), a nuclear
// family, and a person alone.
TEST(KinsegSummary, CountsWhatTheFileHolds) {
  const DataRead d = read_text(fixture("loops.csv"));
  ASSERT_FALSE(d.problems.refused()) << problems_text(d);
  const DataSummary r = summarize(d);
  EXPECT_EQ(r.pedigrees, 3);
  EXPECT_EQ(r.persons, 13);
  EXPECT_EQ(r.founders, 7);
  EXPECT_EQ(r.generations, 4);
  EXPECT_EQ(r.nuclear_families, 5);
  EXPECT_EQ(r.size_min, 1);
  EXPECT_EQ(r.size_median, 3);
  EXPECT_EQ(r.size_max, 9);
  EXPECT_EQ(r.probands, 2);
  EXPECT_EQ(r.without_proband, std::vector<std::string>{"E"});
  EXPECT_EQ(r.without_affected, std::vector<std::string>{"E"});
  EXPECT_EQ(r.unconnected, 1);
  EXPECT_EQ(r.single_person_pedigrees, 1);
  ASSERT_EQ(r.loops.size(), 1u);
  EXPECT_EQ(r.loops[0].id, "C");
  EXPECT_EQ(r.loops[0].loops, 1);
  // trait by sex: males 1, 3, 6, 7, 9 (9 affected) and D's 1 (affected).
  EXPECT_EQ(r.trait_by_sex[kMale][0], 2);
  EXPECT_EQ(r.trait_by_sex[kMale][1], 4);
  EXPECT_EQ(r.trait_by_sex[kFemale][1], 7);
  EXPECT_EQ(r.trait_by_sex[kUnknownSex][0] + r.trait_by_sex[kUnknownSex][1] + r.trait_by_sex[kUnknownSex][2], 0);

  const DataRead c = read_text(fixture("study.csv"), with_covariates({"age"}));
  const DataSummary cs = summarize(c);
  ASSERT_EQ(cs.covariates.size(), 1u);
  EXPECT_EQ(cs.covariates[0].present, 6);
  EXPECT_EQ(cs.covariates[0].missing, 1);
  EXPECT_DOUBLE_EQ(cs.covariates[0].min, 10);
  EXPECT_DOUBLE_EQ(cs.covariates[0].max, 50);
  EXPECT_DOUBLE_EQ(cs.covariates[0].mean, (12.5 + 40 + 38.25 + 10 + 50 + 20) / 6);
  EXPECT_FALSE(cs.covariates[0].whole_numbers);
  EXPECT_EQ(cs.unknown_by_covariate, 1);
}

// A row whose field count differs from the header's is refused with its
// line, both counts and a hint: read as it stands it would shift every later
// value of the row into the wrong column (a note "twins 8, 2" turned a trait
// column into LINKAGE codes and a clear major gene into none).
TEST(KinsegRead, RowsOfAnotherWidthThanTheHeaderAreRefused) {
  struct Case {
    const char* text;
    std::optional<Separator> sep;
    int line;
    const char* words;
  };
  const Case cases[] = {
      {"ped,id,fa,mo,sex,trait,note\n1,1,0,0,1,1,x\n1,2,0,0,2,2,twins 8, 2\n1,3,1,2,1,2,\n", {}, 3,
       "8 fields where the header has 7: a comma inside a value"},
      {"ped id fa mo sex trait\n1 1 0 0 1 1\n1 2 0 0  2\n1 3 1 2 1 2\n", {}, 3,
       "5 fields where the header has 6: between blanks an empty value cannot be seen"},
      {"ped\tid\tfa\tmo\tsex\ttrait\n1\t1\t0\t0\t1\t1\n1\t2\t0\t0\t2\t2\t\n", {}, 3,
       "7 fields where the header has 6: a tab inside a value"},
      {"ped;id;fa;mo;sex;trait\n1;1;0;0;1;1\n1;2;0;0;2\n", Separator::kSemicolon, 3,
       "5 fields where the header has 6: a value is missing"},
      {"F 1 0 0 1 2\nF 2 0 0 2 1\nF 3 1 2 1 2 extra\n", {}, 3, "7 fields where the first row has 6"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ReadOptions o;
    o.separator = c.sep;
    const DataRead d = read_text(c.text, o);
    ASSERT_TRUE(d.problems.refused());
    ASSERT_EQ(kinds(d)[0], "field-count") << problems_text(d);  // the rows' problems come first
    EXPECT_EQ(d.problems.all()[0].line, c.line);
    EXPECT_NE(d.problems.all()[0].message.find(c.words), std::string::npos) << d.problems.all()[0].message;
  }
  // The same rows with the note quoted are read, the trait where it stands.
  const DataRead quoted =
      read_text("ped,id,fa,mo,sex,trait,note\n1,1,0,0,1,1,x\n1,2,0,0,2,2,\"twins 8, 2\"\n1,3,1,2,1,2,\n");
  ASSERT_FALSE(quoted.problems.refused()) << problems_text(quoted);
  EXPECT_EQ(quoted.sample.trait, (std::vector<int8_t>{kUnaffected, kAffected, kAffected}));
}

// Codes named by --affected and --unaffected are found however many other
// values the column holds before them (the table of values stopped at 64 and
// read the later ones as unknown).
TEST(KinsegRead, NamedCodesAfterManyOtherValuesAreRead) {
  std::string text = "ped,id,fa,mo,sex,trait\n";
  for (int i = 0; i < 100; ++i) text += "P" + std::to_string(i) + ",1,0,0,1,v" + std::to_string(i) + "\n";
  text += "Y,1,0,0,1,yes\nN,1,0,0,2,no\n";
  ReadOptions o;
  o.affected = {"yes"};
  o.unaffected = {"no"};
  const DataRead d = read_text(text, o);
  ASSERT_FALSE(d.problems.refused()) << problems_text(d);
  EXPECT_EQ(d.trait_values.distinct(), 102);
  EXPECT_EQ(d.sample.trait[100], kAffected);
  EXPECT_EQ(d.sample.trait[101], kUnaffected);
  EXPECT_EQ(d.sample.trait[99], kUnknownTrait);
  // Without codes the column is refused, naming the first values and the
  // count of the others.
  const DataRead refused = read_text(text);
  ASSERT_EQ(kinds(refused), std::vector<std::string>{"trait-codes"});
  EXPECT_NE(refused.problems.all()[0].message.find("and 82 more values"), std::string::npos)
      << refused.problems.all()[0].message;
}

// A file in another encoding is refused in words that name it, without its
// raw bytes echoed.
TEST(KinsegRead, OtherEncodingsAreNamed) {
  const std::string csv = "ped,id,fa,mo,sex,trait\n1,1,0,0,1,1\n";
  auto utf16 = [&](bool little, bool mark) {
    std::string out = mark ? (little ? std::string("\xFF\xFE") : std::string("\xFE\xFF")) : std::string();
    for (const char c : csv) out += little ? std::string{c, '\0'} : std::string{'\0', c};
    return out;
  };
  std::string utf32("\xFF\xFE\0\0", 4);
  for (const char c : csv) utf32 += std::string{c, '\0', '\0', '\0'};
  const std::pair<std::string, const char*> cases[] = {
      {utf16(true, true), "encoded in UTF-16"},
      {utf16(false, true), "encoded in UTF-16"},
      {utf16(true, false), "looks encoded in UTF-16"},
      {utf32, "encoded in UTF-32"},
      {std::string("PK\x03\x04\0\0\x08\0", 8) + csv, "zero bytes: not a text file"},
  };
  for (const auto& [bytes, words] : cases) {
    SCOPED_TRACE(words);
    const DataRead d = read_text(bytes);
    ASSERT_EQ(kinds(d), std::vector<std::string>{"encoding"}) << problems_text(d);
    const std::string& m = d.problems.all()[0].message;
    EXPECT_NE(m.find(words), std::string::npos) << m;
    EXPECT_TRUE(m.find("save it as UTF-8") != std::string::npos || m.find("save the table") != std::string::npos) << m;
    EXPECT_EQ(m.find('\0'), std::string::npos);
    EXPECT_EQ(m.find('\xFF'), std::string::npos);
  }
}

// A covariate of values so small that its coefficient would have no finite
// box is refused, naming it; one of values near the largest doubles is read
// and summarised in finite numbers, the same as the column scaled down by
// 1e300 and the summary scaled back up.
TEST(KinsegRead, CovariatesOfExtremeSizes) {
  const DataRead tiny = read_text("ped id fa mo sex trait c\n1 1 0 0 1 1 1e-320\n1 2 0 0 2 2 0\n1 3 1 2 1 2 -3e-310\n",
                                  with_covariates({"c"}));
  ASSERT_EQ(kinds(tiny), std::vector<std::string>{"covariate-size"}) << problems_text(tiny);
  EXPECT_NE(tiny.problems.all()[0].message.find("covariate c: every value is below 1e-300"), std::string::npos);

  const DataRead huge = read_text("ped id fa mo sex trait c\n1 1 0 0 1 1 1e300\n1 2 0 0 2 2 -1.5e308\n1 3 1 2 1 2 1.7e308\n",
                                  with_covariates({"c"}));
  const DataRead small = read_text("ped id fa mo sex trait c\n1 1 0 0 1 1 1\n1 2 0 0 2 2 -1.5e8\n1 3 1 2 1 2 1.7e8\n",
                                   with_covariates({"c"}));
  ASSERT_FALSE(huge.problems.refused()) << problems_text(huge);
  const CovariateSummary h = summarize(huge).covariates[0], s = summarize(small).covariates[0];
  ASSERT_TRUE(std::isfinite(h.mean) && std::isfinite(h.sd));
  EXPECT_NEAR(h.mean / 1e300, s.mean, 1e-9 * std::abs(s.mean));
  EXPECT_NEAR(h.sd / 1e300, s.sd, 1e-9 * s.sd);
}

}  // namespace

// --onset: ages read for every person of known trait; a missing age makes the
// trait unknown (counted); text, a negative age or one above 130 is an error
// naming the line and the person; a missing trait leaves no age. Without
// --onset the sample holds no ages.
TEST(KinsegRead, AgesAtOnsetReadCheckedAndCounted) {
  const std::string text =
      "ped,id,fa,mo,sex,trait,age\n"
      "1,a,0,0,1,1,71\n"
      "1,b,0,0,2,2,48.5\n"
      "1,c,a,b,2,1,NA\n"
      "1,d,a,b,1,NA,30\n"
      "1,e,a,b,2,2,0\n";
  ReadOptions o;
  o.columns.onset = "age";
  const DataRead d = read_text(text, o);
  ASSERT_EQ(d.problems.errors(), 0) << problems_text(d);
  const Sample& s = d.sample;
  ASSERT_TRUE(s.has_onset());
  EXPECT_EQ(s.onset_name, "age");
  EXPECT_EQ(s.onset[0], 71.0);
  EXPECT_EQ(s.onset[1], 48.5);
  EXPECT_TRUE(std::isnan(s.onset[2]));
  EXPECT_EQ(s.trait[2], kUnknownTrait);
  EXPECT_TRUE(std::isnan(s.onset[3]));
  EXPECT_EQ(s.onset[4], 0.0);
  EXPECT_EQ(d.unknown_by_onset, 1);
  EXPECT_FALSE(read_text(text).sample.has_onset());

  const struct {
    const char* age;
    const char* why;
  } bad[] = {{"old", "is not a number"}, {"-1", "is negative"}, {"131", "is above 130 years"}};
  for (const auto& b : bad) {
    const std::string t = "ped,id,fa,mo,sex,trait,age\n1,a,0,0,1,1,60\n1,b,0,0,2,2," + std::string(b.age) + "\n";
    const DataRead r = read_text(t, o);
    ASSERT_EQ(r.problems.errors(), 1) << b.age;
    const std::string msg = problems_text(r);
    EXPECT_NE(msg.find("line 3"), std::string::npos) << msg;
    EXPECT_NE(msg.find("of b: \"" + std::string(b.age) + "\" " + b.why), std::string::npos) << msg;
  }
  ReadOptions same = o;
  same.columns.covariates = {"age"};
  EXPECT_THROW(read_text(text, same), ColumnOptionError);
}

// A number with a decimal comma: parse_real reads it with DecimalMark::kComma
// only, and there a point makes the field no number (it groups thousands).
TEST(KinsegRead, DecimalCommaNumbers) {
  const struct {
    const char* text;
    bool point_ok;
    double point;
    bool comma_ok;
    double comma;
  } cases[] = {
      {"23,5", false, 0, true, 23.5},   {"-0,5e1", false, 0, true, -5},   {",75", false, 0, true, 0.75},
      {"23.5", true, 23.5, false, 0},   {"23", true, 23, true, 23},       {"1.234,5", false, 0, false, 0},
      {"1,2,3", false, 0, false, 0},    {"1,", false, 0, true, 1},        {",", false, 0, false, 0},
      {"nan", false, 0, false, 0},
  };
  for (const auto& c : cases) {
    double x = -1;
    EXPECT_EQ(parse_real(c.text, x), c.point_ok) << c.text;
    if (c.point_ok) {
      EXPECT_EQ(x, c.point) << c.text;
    }
    EXPECT_EQ(parse_real(c.text, x, DecimalMark::kComma), c.comma_ok) << c.text;
    if (c.comma_ok) {
      EXPECT_EQ(x, c.comma) << c.text;
    }
  }
}

// decimal_comma.csv (semicolons, covariate and ages with decimal commas):
// read with a decimal comma it gives the sample of the same file written with
// points, semicolon- or tab-separated; read without, one error tells how many
// numbers have a comma and where the first is, in place of one per value.
TEST(KinsegRead, DecimalCommaFileReadBothWays) {
  const std::string comma = fixture("decimal_comma.csv");
  std::string point = comma;
  std::replace(point.begin(), point.end(), ',', '.');
  ReadOptions o = with_covariates({"bmi"});
  o.columns.onset = "age";
  const DataRead want = read_text(point, o);
  ASSERT_FALSE(want.problems.refused()) << problems_text(want);
  ReadOptions dc = o;
  dc.decimal = DecimalMark::kComma;
  std::string tabs = comma;
  std::replace(tabs.begin(), tabs.end(), ';', '\t');
  for (const std::string& text : {comma, tabs}) {
    const DataRead got = read_text(text, dc);
    ASSERT_EQ(got.problems.all().size(), 0u) << problems_text(got);
    expect_same_sample(got.sample, want.sample);
    for (size_t i = 0; i < want.sample.onset.size(); ++i)
      EXPECT_TRUE(got.sample.onset[i] == want.sample.onset[i] ||
                  (std::isnan(got.sample.onset[i]) && std::isnan(want.sample.onset[i])));
    EXPECT_EQ(got.format.decimal, DecimalMark::kComma);
  }
  EXPECT_EQ(want.sample.covariates[5], 0.75);
  EXPECT_EQ(want.sample.onset[1], 51.5);

  const DataRead plain = read_text(comma, o);
  ASSERT_EQ(kinds(plain), std::vector<std::string>{"decimal-comma"}) << problems_text(plain);
  const DataProblem& p = plain.problems.all()[0];
  EXPECT_EQ(p.line, 2);
  EXPECT_EQ(p.pedigree, "F1");
  EXPECT_EQ(p.message, "7 numbers are written with a decimal comma (first covariate bmi of 1: \"23,5\"): read the "
                       "file with --decimal-comma");
  // A number that is none either way keeps its own error.
  std::string bad = comma;
  bad.replace(bad.find("19,0"), 4, "x9");
  EXPECT_EQ(kinds(read_text(bad, o)), (std::vector<std::string>{"covariate-value", "decimal-comma"}));
  // With a decimal comma a point is refused, naming why.
  const DataRead mixed = read_text(point, dc);
  ASSERT_TRUE(mixed.problems.refused());
  EXPECT_NE(problems_text(mixed).find("covariate bmi of 2: \"24.25\" is not a number with a decimal comma"),
            std::string::npos)
      << problems_text(mixed);
}

// A comma cannot separate the fields and mark the decimals: refused when
// given with --sep comma or found as the only separator; a blank-separated
// file whose numbers hold commas reads. Without --decimal-comma, a quoted
// "23,5" of a comma-separated file is told to be written otherwise.
TEST(KinsegRead, DecimalCommaNeedsAnotherSeparator) {
  ReadOptions dc = with_covariates({"bmi"});
  dc.decimal = DecimalMark::kComma;
  const std::string csv = "famid,id,father,mother,sex,affected,bmi\nF,1,0,0,1,1,23.5\nF,2,0,0,2,2,24\n";
  EXPECT_THROW(read_text(csv, dc), ColumnOptionError);
  ReadOptions given = dc;
  given.separator = Separator::kComma;
  EXPECT_THROW(read_text(fixture("decimal_comma.csv"), given), ColumnOptionError);
  const DataRead blanks =
      read_text("famid id father mother sex affected bmi\nF 1 0 0 1 1 23,5\nF 2 0 0 2 2 24,25\n", dc);
  ASSERT_FALSE(blanks.problems.refused()) << problems_text(blanks);
  EXPECT_EQ(blanks.sample.covariates, (std::vector<double>{23.5, 24.25}));

  const DataRead quoted =
      read_text("famid,id,father,mother,sex,affected,bmi\nF,1,0,0,1,1,\"23,5\"\nF,2,0,0,2,0,24\n", with_covariates({"bmi"}));
  ASSERT_EQ(kinds(quoted), std::vector<std::string>{"decimal-comma"}) << problems_text(quoted);
  EXPECT_NE(problems_text(quoted).find("1 number is written with a decimal comma"), std::string::npos);
  EXPECT_NE(problems_text(quoted).find("write the numbers with a decimal point"), std::string::npos);
}
