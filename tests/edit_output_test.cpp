#include <gtest/gtest.h>

#include "common/edit_output.hpp"

namespace {

using kin::edit;

struct FieldCase {
  char kind;
  double v;
  int w, d;
  const char* want;
};

TEST(EditOutput, SingleFields) {
  const FieldCase cases[] = {
      {'E', -9.999999843067494E17, 15, 8, "-0.99999998E+18"},
      {'E', 0.0, 15, 8, " 0.00000000E+00"},
      {'E', -0.0, 15, 8, "-0.00000000E+00"},
      {'E', 9.9999996, 15, 6, "   0.100000E+02"},  // rounding carries into the exponent
      {'E', 0.99995, 11, 4, " 0.1000E+01"},
      {'E', 0.999949999, 11, 4, " 0.9999E+00"},
      {'E', 1.0 / 3.0, 15, 8, " 0.33333333E+00"},
      {'E', -1234.5678, 20, 8, "     -0.12345678E+04"},
      {'E', 1e-5, 15, 6, "   0.100000E-04"},
      {'E', 0.99999999e-99, 15, 6, "   0.100000E-98"},
      {'E', 1e100, 15, 8, " 0.10000000+101"},  // three exponent digits: the E gives way
      {'E', 2.2250738585072014e-308, 11, 4, " 0.2225-307"},
      {'E', 1e-100, 11, 4, " 0.1000E-99"},
      {'E', -9.999999843067494E17, 10, 4, "-.1000E+19"},  // no room for the leading zero
      {'E', 0.5, 9, 4, ".5000E+00"},
      {'E', -0.04, 9, 4, "*********"},  // too wide even without it
      {'E', 9.96, 8, 1, " 0.1E+02"},
      {'F', 4.0, 5, 1, "  4.0"},
      {'F', 99.96, 5, 1, "100.0"},
      {'F', -99.96, 6, 1, "-100.0"},
      {'F', -99.96, 5, 1, "*****"},
      {'F', -0.04, 5, 1, " -0.0"},
      {'F', -0.04, 4, 1, "-0.0"},
      {'F', 0.04, 3, 1, "0.0"},
      {'F', 1e100, 5, 1, "*****"},
      {'F', 0.05, 5, 1, "  0.1"},   // 0.05 lies just above a half in binary
      {'F', 0.25, 5, 1, "  0.2"},   // an exact tie goes to the even digit
      {'F', 0.125, 5, 2, " 0.12"},
      {'F', 0.375, 5, 2, " 0.38"},
      {'F', 0.35, 5, 1, "  0.3"},
  };
  for (const FieldCase& c : cases) {
    std::string got = c.kind == 'E' ? kin::edit_E(c.v, c.w, c.d) : kin::edit_F(c.v, c.w, c.d);
    EXPECT_EQ(got, c.want) << c.kind << c.w << "." << c.d << " of " << c.v;
  }
}

TEST(EditOutput, IntegersAndTexts) {
  EXPECT_EQ(kin::edit_I(1000, 3), "***");
  EXPECT_EQ(kin::edit_I(-999, 4), "-999");
  EXPECT_EQ(kin::edit_I(-1000, 4), "****");
  EXPECT_EQ(kin::edit_I(-3, 1), "*");
  EXPECT_EQ(kin::edit_I(7, 6), "     7");
  EXPECT_EQ(kin::edit_A("W1   ", 3), "W1 ");
  EXPECT_EQ(kin::edit_A("Tr1  ", 3), "Tr1");
  EXPECT_EQ(kin::edit_A("W1", 7), "     W1");  // a short text is right-justified
  EXPECT_EQ(kin::edit_A("any", -1), "any");
}

TEST(EditOutput, WholeLines) {
  // The line ends after the last value: the 3X before the next I2 is not written.
  EXPECT_EQ(edit("(1X,I2,1X,2E15.6,3X,I2,1X,2E15.6)", {1, 0.5, 0.1}),
            "  1    0.500000E+00   0.100000E+00\n");
  EXPECT_EQ(edit("(1X,I2,1X,2E15.6,3X,I2,1X,2E15.6)", {1, 0.5, 0.1, 11, 0.0, -2.0}),
            "  1    0.500000E+00   0.100000E+00   11    0.000000E+00  -0.200000E+01\n");
  EXPECT_EQ(edit("(I4,F5.1,4E15.8)", {1, 4.0, -0.25}), "   1  4.0-0.25000000E+00\n");
  EXPECT_EQ(edit("(' initial LH=',E15.8)", {-1.6136726477}), " initial LH=-0.16136726E+01\n");
  EXPECT_EQ(edit("('  Number of observed individuals =',I4)", {12}),
            "  Number of observed individuals =  12\n");
  // Texts and slashes before the next value-taking descriptor are still written.
  EXPECT_EQ(edit("(' PEDIGREE ',I3,' conteins LOOP',/,'  THE CORRECTION OF INITIAL DATA IS REQUIRED')", {2}),
            " PEDIGREE   2 conteins LOOP\n  THE CORRECTION OF INITIAL DATA IS REQUIRED\n");
  EXPECT_EQ(edit("(8X,'parameter',7X,'step',15X,'parameter',7X,'step')", {}),
            "        parameter       step               parameter       step\n");
  EXPECT_EQ(edit("(1X,'MAXIMUM NOT FOUND')", {}), " MAXIMUM NOT FOUND\n");
  EXPECT_EQ(edit("(' ERROR OF INITIAL PARAMETER VALUE:',/,8X,A3,'=',E11.4,/,2X,' GL=',E11.4,' GR=',E11.4)",
                 {"Tr1  ", 1.5, 0.0, 1.0}),
            " ERROR OF INITIAL PARAMETER VALUE:\n"
            "        Tr1= 0.1500E+01\n"
            "   GL= 0.0000E+00 GR= 0.1000E+01\n");
  EXPECT_EQ(edit("('                                      ',/,' ERROR: name of file with sample data ',/,"
                 "' must have extension',/,' Stop program ',/,' *************************************  ')",
                 {}),
            std::string(38, ' ') + "\n ERROR: name of file with sample data \n must have extension\n"
            " Stop program \n *************************************  \n");
  EXPECT_EQ(edit("(' ERROR of data names: covariate ',I1,' column absent')", {3}),
            " ERROR of data names: covariate 3 column absent\n");
  EXPECT_EQ(edit("(1X,'it''s')", {}), " it's\n");
}

TEST(EditOutput, ListStartsAgainOnANewLineWhenValuesRemain) {
  std::string want;
  for (int i = 1; i <= 20; ++i) want += kin::edit_I(i, 6);
  want += "\n    21    22\n";
  EXPECT_EQ(edit("(20I6)", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22}),
            want);
  EXPECT_EQ(edit("(20I6)", {1234567}), "******\n");
}

TEST(EditOutput, ProgressBlockOfThreeLines) {
  EXPECT_EQ(edit("(1X,'number of iterations =',I4,/,' number of functions =',I6,/,1X,'ln LH =',3E20.8)",
                 {1, 17, -1.5, -1.5, -2.0}),
            " number of iterations =   1\n"
            " number of functions =    17\n"
            " ln LH =     -0.15000000E+01     -0.15000000E+01     -0.20000000E+01\n");
}

TEST(EditOutput, MisusedListIsAProgrammingError) {
  EXPECT_THROW(edit("(I3)", {1.5}), std::logic_error);
  EXPECT_THROW(edit("('text')", {1}), std::logic_error);
  EXPECT_THROW(edit("(Q3)", {1}), std::logic_error);
}

}  // namespace
