#include "program.h"

#include <gtest/gtest.h>

namespace weights {
namespace {

TEST(ParseAtoi, ConvertsAsAtoiDoes) {
  EXPECT_EQ(parse_atoi("7"), 7);
  EXPECT_EQ(parse_atoi(" 7"), 7);
  EXPECT_EQ(parse_atoi("\t\n 12x"), 12);
  EXPECT_EQ(parse_atoi("+3"), 3);
  EXPECT_EQ(parse_atoi("-0"), 0);
  EXPECT_EQ(parse_atoi("-5"), -5);
  EXPECT_EQ(parse_atoi("3.7"), 3);
  EXPECT_EQ(parse_atoi("0x10"), 0);
  EXPECT_EQ(parse_atoi(""), 0);
  EXPECT_EQ(parse_atoi("abc"), 0);
  EXPECT_EQ(parse_atoi("- 5"), 0);
}

TEST(ParseAtoi, RefusesNumbersOutsideThe32BitRange) {
  EXPECT_EQ(parse_atoi("2147483647"), 2147483647);
  EXPECT_EQ(parse_atoi("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(parse_atoi("2147483648"), std::nullopt);
  EXPECT_EQ(parse_atoi("-2147483649"), std::nullopt);
  EXPECT_EQ(parse_atoi("99999999999999999999"), std::nullopt);
  EXPECT_EQ(parse_atoi("00000000000000000000012"), 12);
}

}  // namespace
}  // namespace weights
