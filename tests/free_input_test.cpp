#include <gtest/gtest.h>

#include <vector>

#include "common/free_input.hpp"
#include "tests/test_util.hpp"

namespace {

using kin::as_int;
using kin::as_real;
using kin::as_text;
using kin::FreeInput;
using kintest::stop_status;
using kintest::TestConsole;

TEST(FreeInput, EachReadStartsOnANewLineAndSkipsTheRestOfItsLast) {
  TestConsole tc;
  FreeInput in("maxpar.inp", "1 ignored words\n1.0E-4\n  100 , x\n0.5\n1.5D-3\n20\n", tc.con);
  int32_t iprint = 0, maxit = 0, npar = 0;
  double epsx = 0, alpha = 0, epsf = 0;
  in.read({as_int(iprint)});
  in.read({as_real(epsx)});
  in.read({as_int(maxit)});
  in.read({as_real(alpha)});
  in.read({as_real(epsf)});
  in.read({as_int(npar)});
  EXPECT_EQ(iprint, 1);
  EXPECT_EQ(epsx, 1.0E-4);
  EXPECT_EQ(maxit, 100);
  EXPECT_EQ(alpha, 0.5);
  EXPECT_EQ(epsf, 1.5E-3);
  EXPECT_EQ(npar, 20);
  EXPECT_TRUE(in.at_end());
}

TEST(FreeInput, ARowRunsOverSeveralLinesAndLineEndsMayBeCrLf) {
  TestConsole tc;
  FreeInput in("data.dat", "1 1 0\r\n 0 1 2,3\r\n9 9 9 9 9 9 9\r\n", tc.con);
  int32_t v[7] = {};
  in.read({as_int(v[0]), as_int(v[1]), as_int(v[2]), as_int(v[3]), as_int(v[4]), as_int(v[5]),
           as_int(v[6])});
  EXPECT_EQ(std::vector<int32_t>(v, v + 7), (std::vector<int32_t>{1, 1, 0, 0, 1, 2, 3}));
  EXPECT_FALSE(in.at_end());
  in.read({as_int(v[0])});
  EXPECT_EQ(v[0], 9);
  EXPECT_TRUE(in.at_end());
}

TEST(FreeInput, RepeatCountsEmptyValuesAndSlash) {
  TestConsole tc;
  FreeInput in("par.inp", "3*0.5 2\n1,,3\n4 / 9\n2*,7\n", tc.con);
  double a = 0, b = 0, c = 0, d = 0;
  in.read({as_real(a), as_real(b), as_real(c), as_real(d)});
  EXPECT_EQ(a, 0.5);
  EXPECT_EQ(b, 0.5);
  EXPECT_EQ(c, 0.5);
  EXPECT_EQ(d, 2.0);
  int32_t x = -1, y = -1, z = -1;
  in.read({as_int(x), as_int(y), as_int(z)});  // an empty value keeps what it held
  EXPECT_EQ(x, 1);
  EXPECT_EQ(y, -1);
  EXPECT_EQ(z, 3);
  x = y = z = -1;
  in.read({as_int(x), as_int(y), as_int(z)});  // a slash ends the read
  EXPECT_EQ(x, 4);
  EXPECT_EQ(y, -1);
  EXPECT_EQ(z, -1);
  x = y = z = -1;
  in.read({as_int(x), as_int(y), as_int(z)});
  EXPECT_EQ(x, -1);
  EXPECT_EQ(y, -1);
  EXPECT_EQ(z, 7);
}

TEST(FreeInput, TextsQuotedUnquotedAndCutToTheirField) {
  TestConsole tc;
  FreeInput in("task.inp",
               "a_very_long_file_name_of_sample.dat\n'my trait' rest\n\"it\"\"s\"\nshort,x\nab/cd\n",
               tc.con);
  std::string s1, s2, s3, s4, s5 = "keep";
  in.read({as_text(s1, 20)});
  in.read({as_text(s2, 20)});
  in.read({as_text(s3, 5)});
  in.read({as_text(s4, 20)});
  in.read({as_text(s5, 20)});
  EXPECT_EQ(s1, "a_very_long_file_nam");
  EXPECT_EQ(s2, "my trait            ");
  EXPECT_EQ(s3, "it\"s ");
  EXPECT_EQ(s4, "short               ");
  EXPECT_EQ(s5, "ab                  ");  // an unquoted text ends at a slash
}

TEST(FreeInput, NumberForms) {
  struct Case {
    const char* text;
    double want;
  } cases[] = {{"1", 1.0},         {"-2.", -2.0},       {".5", 0.5},       {"1.5E-3", 1.5e-3},
               {"1.5D-3", 1.5e-3}, {"1.5d+3", 1.5e3},   {"1.5+3", 1.5e3},  {"+3E2", 300.0},
               {"0.1", 0.1},       {"2.5q1", 25.0}};
  for (const Case& c : cases) {
    TestConsole tc;
    FreeInput in("par.inp", std::string(c.text) + "\n", tc.con);
    double v = 0;
    in.read({as_real(v)});
    EXPECT_EQ(v, c.want) << c.text;
  }
}

TEST(FreeInput, WrongKindsAndShortFilesEndTheRunNamingTheFile) {
  struct Case {
    const char* content;
    bool want_int;
    const char* message;
  } cases[] = {
      {"1.5\n", true, " ERROR in file par.inp, line 1: '1.5' is not an integer\n"},
      {"abc\n", false, " ERROR in file par.inp, line 1: 'abc' is not a number\n"},
      {"\n\n  x7\n", true, " ERROR in file par.inp, line 3: 'x7' is not an integer\n"},
      {"99999999999\n", true, " ERROR in file par.inp, line 1: '99999999999' is not an integer\n"},
      {"1e999\n", false, " ERROR in file par.inp, line 1: '1e999' is not a number\n"},
      {"nan\n", false, " ERROR in file par.inp, line 1: 'nan' is not a number\n"},
      {"'1'\n", true, " ERROR in file par.inp, line 1: '1' is not an integer\n"},
      {"", true, " ERROR in file par.inp: the file ends before all values were read\n"},
      {"\n\n", true, " ERROR in file par.inp: the file ends before all values were read\n"},
  };
  for (const Case& c : cases) {
    TestConsole tc;
    FreeInput in("par.inp", c.content, tc.con);
    int32_t i = 0;
    double r = 0;
    int st = stop_status([&] {
      if (c.want_int)
        in.read({as_int(i)});
      else
        in.read({as_real(r)});
    });
    EXPECT_EQ(st, kin::kInputError) << c.content;
    EXPECT_EQ(tc.text(), c.message) << c.content;
  }
}

TEST(FreeInput, EndOfFileInTheMiddleOfARead) {
  TestConsole tc;
  FreeInput in("ped.dat", "1 1 0 0\n1 2\n", tc.con);
  int32_t v[4];
  in.read({as_int(v[0]), as_int(v[1]), as_int(v[2]), as_int(v[3])});
  EXPECT_EQ(stop_status([&] { in.read({as_int(v[0]), as_int(v[1]), as_int(v[2]), as_int(v[3])}); }),
            kin::kInputError);
  EXPECT_EQ(tc.text(), " ERROR in file ped.dat: the file ends before all values were read\n");
}

TEST(FreeInput, MissingFile) {
  kintest::TempDir dir;
  TestConsole tc;
  EXPECT_EQ(stop_status([&] { FreeInput in("par.inp", tc.con); }), kin::kInputError);
  EXPECT_EQ(tc.text(), " ERROR in file par.inp: cannot open the file (is it missing?)\n");
}

TEST(FreeInput, OneDigitFlagColumns) {
  struct Case {
    const char* content;
    int count;
    std::vector<int> want;
    const char* next;  // the line the next read starts at
  } cases[] = {
      {"1101\nnext\n", 6, {1, 1, 0, 1, 0, 0}, "next"},
      {"11111111112222222222\n34567 and more\nnext\n", 25,
       {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 3, 4, 5, 6, 7}, "next"},
      {"1 1\r\nnext\n", 3, {1, 0, 1}, "next"},
      {"skipped\nnext\n", 0, {}, "next"},  // at least one line is taken
      {"skipped\nnext\n", -4, {}, "next"},
      {"1111111111111111111111\nnext\n", 20, std::vector<int>(20, 1), "next"},
  };
  for (const Case& c : cases) {
    TestConsole tc;
    FreeInput in("par.inp", c.content, tc.con);
    std::vector<int> got;
    in.read_digit_columns(c.count, 20, [&](int k, int v) {
      EXPECT_EQ(k, static_cast<int>(got.size()) + 1);
      got.push_back(v);
    });
    EXPECT_EQ(got, c.want) << c.content;
    EXPECT_EQ(in.next_line(), c.next);
  }
}

TEST(FreeInput, FlagColumnsRefuseSignsAndEndOfFile) {
  {
    TestConsole tc;
    FreeInput in("par.inp", "1-1\n", tc.con);
    EXPECT_EQ(stop_status([&] { in.read_digit_columns(3, 20, [](int, int) {}); }), kin::kInputError);
    EXPECT_EQ(tc.text(), " ERROR in file par.inp, line 1: '-' is not a digit\n");
  }
  {
    TestConsole tc;
    FreeInput in("par.inp", "11111111111111111111\n", tc.con);
    EXPECT_EQ(stop_status([&] { in.read_digit_columns(21, 20, [](int, int) {}); }), kin::kInputError);
  }
}

}  // namespace
