// The kinseg program as a user runs it: exit statuses, messages on standard
// error, the check report on standard output and in JSON, the help texts; and
// the export, end to end through kinsort and kinfit.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/kinseg_run.hpp"
#include "tests/test_util.hpp"

namespace {

using kintest::exists;
using kintest::read_file;
using kintest::write_file;

using kintest::has;
using kintest::kinseg;
using kintest::KinsegRun;
using kintest::shell;

std::string fixture(const std::string& name) { return kintest::kinseg_fixture(name); }

// The command lines and what they must give: exit status, and texts that
// standard output and standard error must hold.
TEST(KinsegProgram, ExitStatusAndMessages) {
  struct Case {
    std::string args;
    int status;
    std::vector<std::string> out, err;
  };
  const std::string study = fixture("study.csv");
  const std::vector<Case> cases = {
      {"check " + study + " --covar age", 0,
       {"format                  table with a header line", "separator               comma (found)",
        "column trait            affected (column 6), found", "column covariate        age (column 7), given",
        "\"NA\"      unknown     1 row", "persons                 7", "pedigrees               2",
        "nuclear families        2", "traits made unknown     1 by a missing covariate"},
       {}},
      {"check " + fixture("errors.csv") + " --covar age", 1, {},
       {"kinseg: error: " + fixture("errors.csv") + " line 5, pedigree P: id 3 appears again in the pedigree (first on line 4)",
        "line 6, pedigree P: father 9 of 4 has no row in the pedigree",
        "line 7, pedigree P: 5 has a father (1) but no mother",
        "line 8, pedigree P: person 6, coded female, is the father of 7",
        "line 10, pedigree Q: person 1 is their own ancestor: 1 is a child of 2, 2 of 3, 3 of 1",
        "line 12, pedigree Q: person 3 is the father of 2 and the mother of 1",
        "line 14, pedigree R: proband code \"7\" of 1", "line 15, pedigree R: covariate age of 2: \"abc\" is not a number",
        "line 16: 3 fields where the header has 8: a value is missing", "line 17: a quoted field is not closed on its line",
        "10 errors, 0 warnings: the data are refused"}},
      {"check " + fixture("absent_parents.csv"), 1, {}, {"father dad of child has no row in the pedigree"}},
      {"check " + fixture("absent_parents.csv") + " --add-missing-parents", 0,
       {"persons                 9 (5 added for absent parents)", "warnings                5"},
       {"kinseg: warning: ", "father dad of child has no row; added as a founder",
        "mother of half unknown; added as a founder, partner_of_dad"}},
      {"check " + fixture("codes_user.csv"), 1, {}, {"\"yes\" (2 rows, first on line 3)", "--affected V --unaffected V"}},
      {"check " + fixture("codes_user.csv") + " --affected yes --unaffected no,NO", 0,
       {"the codes given by --affected and --unaffected", "\"unknown\" unknown     1 row"}, {}},
      {"check " + fixture("study.ped"), 0, {"LINKAGE pre-makeped / PLINK .fam (no header line)", "column trait            column 6, found"}, {}},
      {"check " + fixture("kinsort.dat"), 0, {"kinsort data file", "probands                2 (and 1 member always conditioned on)"}, {}},
      {"check " + fixture("loops.csv"), 0,
       {"loops                   1 in 1 pedigree",
        "pedigree C: 1 loop, broken at 1 person (3 peelings), under 1 ms per evaluation\n",
        "pedigrees w/o proband   1: E", "connected to nobody     1 person (1 one-person pedigree)", "generations             4"},
       {}},
      // Five loops sharing persons are summed out; what eval, fit and test
      // would refuse is refused, said as they say it.
      {"check " + fixture("inbred.csv"), 0,
       {"loops                   6 in 2 pedigrees\n",
        "pedigree I: 5 loops, tables over up to 6 persons (3^6 entries), 20 kB, under 1 ms per evaluation\n"},
       {}},
      {"check " + fixture("inbred.csv") + " --max-width 5", 1, {},
       {"kinseg: error: " + fixture("inbred.csv") + ": pedigree I: 5 loops, tables over up to 6 persons (3^6 "
        "entries), 20 kB, under 1 ms per evaluation: wider than the limit of 5 persons; split the pedigree"}},
      {"check " + fixture("role_sex.csv"), 0, {"  unknown sex                    0           1         0         1"},
       {"warning: " + fixture("role_sex.csv") + " line 2, pedigree A: sex of 1 unknown; taken as male, the father of 3"}},
      {"check " + fixture("study.txt") + " --sep comma", 1, {}, {"no pedigree column"}},
      {"check nosuch.csv", 2, {}, {"kinseg: nosuch.csv: cannot open the file"}},
      {"check " + study + " --trait nosuch", 2, {}, {"--trait nosuch: no such column; the header has famid, iid"}},
      {"check " + fixture("study.ped") + " --trait status", 2, {}, {"the file has no header line"}},
      {"check " + study + " --affected 1", 2, {}, {"kinseg: --affected requires --unaffected", "see kinseg check --help"}},
      {"check " + study + " --sep colon", 2, {}, {"--sep takes comma, semicolon, tab or blanks"}},
      {"check " + fixture("decimal_comma.csv") + " --covar bmi --onset age", 1, {},
       {"line 2, pedigree F1: 7 numbers are written with a decimal comma (first covariate bmi of 1: \"23,5\"): read "
        "the file with --decimal-comma"}},
      {"check " + fixture("decimal_comma.csv") + " --covar bmi --onset age --decimal-comma", 0,
       {"separator               semicolon (found)\ndecimal mark            comma (--decimal-comma)"}, {}},
      {"check " + fixture("decimal_comma.csv") + " --covar bmi --decimal-comma --sep comma", 2, {},
       {"--decimal-comma cannot go with --sep comma"}},
      {"check", 2, {}, {"kinseg: DATA is required"}},
      {"", 2, {}, {"kinseg: a subcommand is needed", "see kinseg --help"}},
      {"--version", 0, {"kinseg "}, {}},
  };
  kintest::TempDir tmp;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const KinsegRun r = kinseg(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    for (const std::string& t : c.out) EXPECT_TRUE(has(r.out, t)) << "missing: " << t << "\n" << r.out;
    for (const std::string& t : c.err) EXPECT_TRUE(has(r.err, t)) << "missing: " << t << "\n" << r.err;
    if (c.status != 0) {
      EXPECT_EQ(r.out, "");
    }
    if (c.status == 0 && c.err.empty()) {
      EXPECT_EQ(r.err, "");
    }
  }
}

// The same file with CR LF line ends and no line end after its last row gives
// the same report.
TEST(KinsegProgram, CrLfFileGivesTheSameReport) {
  kintest::TempDir tmp;
  std::string text = read_file(fixture("study.csv")), crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  crlf.resize(crlf.size() - 2);
  write_file("lf.csv", text);
  write_file("crlf.csv", crlf);
  const KinsegRun a = kinseg("check lf.csv --covar age"), b = kinseg("check crlf.csv --covar age");
  EXPECT_EQ(a.status, 0);
  EXPECT_EQ(b.status, 0);
  EXPECT_EQ(a.out.substr(a.out.find('\n')), b.out.substr(b.out.find('\n')));
}

// A file wrong on every row: each kind of problem shown 20 times, then counted.
TEST(KinsegProgram, ManyProblemsOfOneKindAreCounted) {
  kintest::TempDir tmp;
  std::string text = "ped,id,fa,mo,sex,trait\n";
  for (int i = 1; i <= 100; ++i) text += "A," + std::to_string(i) + ",x,y,1," + std::to_string(i % 2) + "\n";
  write_file("bad.csv", text);
  const KinsegRun r = kinseg("check bad.csv --json r.json");
  EXPECT_EQ(r.status, 1);
  size_t lines = 0;
  for (char c : r.err) lines += c == '\n';
  EXPECT_EQ(lines, 20u + 1u + 1u) << r.err;
  EXPECT_TRUE(has(r.err, "... and 180 more of this kind (absent-parent)")) << r.err;
  const nlohmann::json j = nlohmann::json::parse(read_file("r.json"));
  EXPECT_EQ(j["errors"], 200);
  EXPECT_EQ(j["problem_counts"]["absent-parent"], 200);
}

// A file whose every row holds a decimal comma gets one line of it, not one
// per value; with --decimal-comma every subcommand that reads data reads it.
TEST(KinsegProgram, DecimalCommaToldOnceAndReadEverywhere) {
  kintest::TempDir tmp;
  std::string text = "famid;id;father;mother;sex;affected;bmi\n";
  for (int i = 1; i <= 100; ++i)
    text += "F" + std::to_string(i) + ";1;0;0;1;1;2" + std::to_string(i % 10) + ",5\nF" + std::to_string(i) +
            ";2;0;0;2;2;1" + std::to_string(i % 7) + ",25\n";
  write_file("eu.csv", text);
  const KinsegRun plain = kinseg("check eu.csv --covar bmi");
  EXPECT_EQ(plain.status, 1);
  EXPECT_EQ(plain.err, "kinseg: error: eu.csv line 2, pedigree F1: 200 numbers are written with a decimal comma "
                       "(first covariate bmi of 1: \"21,5\"): read the file with --decimal-comma\n"
                       "kinseg: eu.csv: 1 error, 0 warnings: the data are refused\n");
  for (const char* args : {"check eu.csv --covar bmi --decimal-comma --json c.json",
                                  "eval eu.csv --covar bmi --decimal-comma --at q=0.1,d.bmi=0.1"}) {
    const KinsegRun r = kinseg(args);
    EXPECT_EQ(r.status, 0) << args << "\n" << r.err;
    EXPECT_FALSE(has(r.err, "decimal comma")) << args << "\n" << r.err;
  }
  const nlohmann::json j = nlohmann::json::parse(read_file("c.json"));
  EXPECT_EQ(j["format"]["decimal_comma"], true);
  EXPECT_DOUBLE_EQ(j["summary"]["covariates"][0]["max"].get<double>(), 29.5);
}

// --help explains every option, on each subcommand.
TEST(KinsegProgram, HelpExplainsEveryOption) {
  kintest::TempDir tmp;
  const KinsegRun top = kinseg("--help");
  EXPECT_EQ(top.status, 0);
  for (const char* t : {"check", "export", "--version", "Exit status"}) EXPECT_TRUE(has(top.out, t)) << t;
  const std::vector<std::string> shared = {"DATA", "--ped COL", "--id COL", "--father COL", "--mother COL",
                                           "--sex COL", "--trait COL", "--proband COL", "--covar COL[,COL...]",
                                           "--affected V", "--unaffected V", "--missing TOKEN[,...]", "--sep SEP",
                                           "--add-missing-parents"};
  for (const auto& [sub, own] : std::map<std::string, std::string>{{"check", "--json FILE"}, {"export", "--kinsort DIR"}}) {
    const KinsegRun r = kinseg(sub + " --help");
    EXPECT_EQ(r.status, 0);
    for (const std::string& t : shared) EXPECT_TRUE(has(r.out, t)) << sub << ": " << t;
    EXPECT_TRUE(has(r.out, own)) << sub;
  }
}

// --json writes the report whole; refused data give the problems and no
// summary; a JSON file that cannot be written is an I/O error.
TEST(KinsegProgram, JsonReport) {
  kintest::TempDir tmp;
  KinsegRun r = kinseg("check " + fixture("study.csv") + " --covar age --json r.json");
  ASSERT_EQ(r.status, 0) << r.err;
  nlohmann::json j = nlohmann::json::parse(read_file("r.json"));
  EXPECT_EQ(j["refused"], false);
  EXPECT_EQ(j["format"]["kind"], "header");
  EXPECT_EQ(j["format"]["separator"], "comma");
  EXPECT_EQ(j["columns"]["trait"]["name"], "affected");
  EXPECT_EQ(j["columns"]["covariates"][0]["column"], 7);
  EXPECT_EQ(j["trait"]["reading"], "zero-one");
  EXPECT_EQ(j["summary"]["persons"], 7);
  EXPECT_EQ(j["summary"]["trait_by_sex"]["female"]["unknown"], 2);
  EXPECT_EQ(j["summary"]["covariates"][0]["missing"], 1);
  EXPECT_EQ(j["summary"]["traits_unknown_by_missing_covariate"], 1);

  r = kinseg("check " + fixture("errors.csv") + " --json r.json");
  EXPECT_EQ(r.status, 1);
  j = nlohmann::json::parse(read_file("r.json"));
  EXPECT_EQ(j["refused"], true);
  EXPECT_TRUE(j["summary"].is_null());
  EXPECT_EQ(j["problems"].size(), 9u);
  EXPECT_EQ(j["problems"][0]["severity"], "error");

  r = kinseg("check " + fixture("study.csv") + " --json nodir/r.json");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(has(r.err, "nodir/r.json: cannot write the file")) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_FALSE(exists("nodir"));
}

// ---------------------------------------------------------------------------
// Export.

// kinsort then kinfit in `dir`, kinfit's pause answered by the closed input.
int run_in(const std::string& dir, const char* exe) {
  return shell("cd '" + dir + "' && '" + exe + "' </dev/null >" + std::string(exe == std::string(KINFIT_EXE) ? "kinfit" : "kinsort") +
               ".console 2>&1");
}

void copy_example_controls(const std::string& dir) {
  for (const char* f : {"maxpar.inp", "par.inp"})
    write_file(dir + "/" + f, read_file(std::string(KINSEG_EXAMPLE_DIR) + "/input/" + f));
}

// The worked example's data file, read by kinseg as a kinsort file and
// exported, gives kinsort the same prepared file and kinfit the same results
// byte for byte.
TEST(KinsegExport, KinsortFileRoundTripIsExact) {
  kintest::TempDir tmp;
  const std::string ex = KINSEG_EXAMPLE_DIR;
  const KinsegRun r = kinseg("export " + ex + "/input/sample.dat --covar smoker --kinsort out");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "kinseg: wrote out/kinseg.dat, task.inp and idmap.tsv (714 persons in 60 pedigrees)\n");
  EXPECT_EQ(read_file("out/task.inp"), "kinseg.dat\ntrait\n1\nsmoker\n");
  ASSERT_EQ(run_in("out", KINSORT_EXE), 0) << read_file("out/kinsort.console");
  EXPECT_EQ(read_file("out/iway.dat"), read_file(ex + "/output/iway.dat"));
  copy_example_controls("out");
  ASSERT_EQ(run_in("out", KINFIT_EXE), 0);
  for (const char* f : {"sigma.DAT", "LH_fam.dat", "max.dat"}) EXPECT_EQ(read_file(std::string("out/") + f), read_file(ex + "/output/" + f)) << f;
}

// The same sample as a user might keep it: a CSV with string ids, its rows
// shuffled (children before parents, pedigrees interleaved), M/F, LINKAGE
// trait codes with 0 for unknown, yes/no for nothing. Exported, it gives
// kinfit the same log-likelihood at the start values, and idmap.tsv leads
// back to every original id.
TEST(KinsegExport, ShuffledCsvOfTheExampleGivesTheSameLikelihood) {
  kintest::TempDir tmp;
  const std::string ex = KINSEG_EXAMPLE_DIR;
  std::istringstream in(read_file(ex + "/input/sample.dat"));
  std::string line;
  std::getline(in, line);
  std::vector<std::string> rows;
  while (std::getline(in, line)) {
    std::istringstream v(line);
    long ped, id, fa, mo, sex, prob, trait, smoker;
    v >> ped >> id >> fa >> mo >> sex >> prob >> trait >> smoker;
    auto pid = [&](long i) { return i == 0 ? std::string("") : "p" + std::to_string(ped) + "-" + std::to_string(i); };
    rows.push_back("\"fam " + std::to_string(ped) + "\"," + pid(id) + "," + pid(fa) + "," + pid(mo) + "," +
                   (sex == 1 ? "M" : "F") + "," + (trait == 3 ? "0" : std::to_string(trait)) + "," +
                   (prob == 1 ? "1" : "0") + "," + std::to_string(smoker));
  }
  std::mt19937 rng(20240611);
  for (size_t i = rows.size() - 1; i > 0; --i) std::swap(rows[i], rows[rng() % (i + 1)]);
  std::string csv = "family,person,father,mother,sex,status,proband,smoker\r\n";
  for (const std::string& r : rows) csv += r + "\r\n";
  write_file("study.csv", csv);

  const KinsegRun r = kinseg("export study.csv --covar smoker --kinsort out");
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(run_in("out", KINSORT_EXE), 0) << read_file("out/kinsort.console");
  copy_example_controls("out");
  ASSERT_EQ(run_in("out", KINFIT_EXE), 0);
  auto initial = [](const std::string& console) {
    const size_t p = console.find("initial LH=");
    return console.substr(p, console.find('\n', p) - p);
  };
  EXPECT_EQ(initial(read_file("out/kinfit.console")), initial(read_file(ex + "/output/kinfit.console")));

  // idmap.tsv: every exported row's parents are the original's parents.
  std::map<std::string, std::string> original;  // "ped new_id" -> original id
  std::istringstream map(read_file("out/idmap.tsv"));
  std::getline(map, line);
  EXPECT_EQ(line, "pedigree\tid\tped\tnew_id");
  while (std::getline(map, line)) {
    std::istringstream v(line);
    std::string ped, id, nped, nid;
    std::getline(v, ped, '\t');
    std::getline(v, id, '\t');
    std::getline(v, nped, '\t');
    std::getline(v, nid, '\t');
    original[nped + " " + nid] = id;
  }
  EXPECT_EQ(original.size(), rows.size());
  std::map<std::string, std::string> parents_in_csv;  // id -> "father mother"
  for (const std::string& r : rows) {
    std::vector<std::string> f;
    std::istringstream v(r);
    std::string x;
    while (std::getline(v, x, ',')) f.push_back(x);
    parents_in_csv[f[1]] = f[2] + " " + f[3];
  }
  std::istringstream data(read_file("out/kinseg.dat"));
  std::getline(data, line);
  int checked = 0;
  while (std::getline(data, line)) {
    std::istringstream v(line);
    std::string ped, id, fa, mo;
    v >> ped >> id >> fa >> mo;
    const std::string want = parents_in_csv[original[ped + " " + id]];
    const std::string got = fa == "0" ? " " : original[ped + " " + fa] + " " + original[ped + " " + mo];
    EXPECT_EQ(got, want) << line;
    ++checked;
  }
  EXPECT_EQ(checked, 714);
}

// What kinsort or kinfit cannot take is refused, the limit or pedigree named,
// and nothing is written.
TEST(KinsegExport, RefusalsWriteNothing) {
  kintest::TempDir tmp;
  auto founders = [](int peds, int per, int ncov) {
    std::string t = "ped,id,fa,mo,sex,trait";
    for (int j = 0; j < ncov; ++j) t += ",c" + std::to_string(j);
    t += "\n";
    for (int k = 0; k < peds; ++k)
      for (int i = 0; i < per; ++i) {
        t += std::to_string(k) + "," + std::to_string(i + 1) + ",0,0,1," + std::to_string(i % 2);
        for (int j = 0; j < ncov; ++j) t += ",1";
        t += "\n";
      }
    return t;
  };
  write_file("persons.csv", founders(2, 2049, 0));
  write_file("pedigrees.csv", founders(605, 1, 0));
  write_file("covariates.csv", founders(1, 2, 9));
  // Four founders whose remarriages close a loop (M with A, A with N, N with
  // B, B with M): no person's duplication breaks it, which the export once
  // met with an internal error and exit status 2.
  write_file("ring.csv",
             "ped,id,fa,mo,sex,trait\nR,M,0,0,1,1\nR,A,0,0,2,0\nR,N,0,0,1,0\nR,B,0,0,2,1\n"
             "R,c1,M,A,1,1\nR,c2,N,A,2,0\nR,c3,N,B,1,1\nR,c4,M,B,2,0\n");
  std::string covs;
  for (int j = 0; j < 9; ++j) covs += (j ? "," : "") + std::string("c") + std::to_string(j);
  struct Case {
    std::string args, message;
  };
  const Case cases[] = {
      {fixture("loops.csv"), "pedigree C has 1 loop (broken by duplicating"},
      {"ring.csv", "pedigree R has 1 loop (that no person's duplication breaks); kinsort and kinfit take no"},
      {fixture("role_sex.csv"), "line 5, pedigree A: sex of 4 unknown; kinfit takes sex 1 or 2 only"},
      {fixture("study.csv") + " --covar age", "covariate age is not a whole number for 2 persons (first kid1: 12.5)"},
      {"persons.csv", "the sample has 4098 persons; kinsort and kinfit hold at most 4096 (KINSORT_MAX_PERSONS"},
      {"pedigrees.csv", "the sample has 605 pedigrees; kinsort and kinfit hold at most 604 (KINFIT_N_FAM"},
      {"covariates.csv --covar " + covs, "the sample has 9 covariates; kinsort and kinfit hold at most 8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const KinsegRun r = kinseg("export " + c.args + " --kinsort out");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.err, c.message)) << r.err;
    EXPECT_FALSE(exists("out"));
  }
  // Data refused by the reader are refused by the export too.
  EXPECT_EQ(kinseg("export " + fixture("errors.csv") + " --kinsort out").status, 1);
  EXPECT_FALSE(exists("out"));
  // A directory that cannot be made or written: an I/O error, nothing left.
  write_file("plain", "x");
  KinsegRun r = kinseg("export " + fixture("study.csv") + " --kinsort plain");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(has(r.err, "plain: not a directory")) << r.err;
  r = kinseg("export " + fixture("study.csv") + " --kinsort nodir/out");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(has(r.err, "nodir/out: cannot create the directory")) << r.err;
}

}  // namespace

namespace {

// Every subcommand's --help: no line twice, no CLI default in braces
// ("--html,--no-html{false}"), no option whose text repeats its argument
// ("--model T:Y  T:Y. ..."), and the data options (--decimal-comma among
// them) on each subcommand that reads data.
TEST(KinsegProgram, HelpLinesAreCleanOnEverySubcommand) {
  kintest::TempDir tmp;
  for (const char* sub : {"check", "export", "eval", "fit", "test", "draw"}) {
    SCOPED_TRACE(sub);
    const KinsegRun r = kinseg(std::string(sub) + " --help");
    EXPECT_EQ(r.status, 0);
    std::istringstream in(r.out);
    std::map<std::string, int> seen;
    for (std::string line; std::getline(in, line);) {
      if (line.find_first_not_of(' ') == std::string::npos) continue;
      EXPECT_EQ(++seen[line], 1) << "twice: " << line;
      EXPECT_EQ(line.find('{'), std::string::npos) << line;
      // "  --opt ARG   ARG...": the description repeats the argument.
      std::istringstream words(line);
      std::string option, argument, first;
      if (line.rfind("  --", 0) == 0 && (words >> option >> argument >> first) && argument.rfind("--", 0) != 0) {
        EXPECT_NE(first.substr(0, argument.size()), argument) << line;
      }
    }
    for (const char* t : {"DATA", "--sep SEP", "--decimal-comma", "--covar COL[,COL...]", "--onset COL"})
      EXPECT_TRUE(has(r.out, t)) << t;
  }
}

}  // namespace
