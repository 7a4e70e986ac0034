#include <gtest/gtest.h>

#include "common/free_output.hpp"

namespace {

using kin::free_line;

TEST(FreeOutput, LinesStartWithABlankAndIntegersTakeTwelveColumns) {
  EXPECT_EQ(free_line({"N_izm=", 10, " loop=", 0}), " N_izm=          10  loop=           0\n");
  // A text that begins with a blank gives a line that begins with two.
  EXPECT_EQ(free_line({" WARNING:No affected members in the famili", 3}),
            "  WARNING:No affected members in the famili           3\n");
  EXPECT_EQ(free_line({" This family is excluded from analysis"}),
            "  This family is excluded from analysis\n");
  EXPECT_EQ(free_line({4, 4}), "            4           4\n");
  EXPECT_EQ(free_line({"MAX=", 2}), " MAX=           2\n");
  EXPECT_EQ(free_line({"a", "b"}), " ab\n");
  EXPECT_EQ(free_line({" ERROR of passport data names: ped= ", "PED                 "}),
            "  ERROR of passport data names: ped= PED                 \n");
}

}  // namespace
