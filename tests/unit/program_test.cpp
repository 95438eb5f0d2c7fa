#include "program.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "failure.h"
#include "memory.h"

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

namespace weights {
namespace {

TEST(Allocation, RefusesMoreThanTheMachineHolds) {
  const std::size_t too_many = physical_memory_bytes() / sizeof(double) + 1;
  for (auto allocate_set : {+[](std::size_t n) { (void)allocate<double>(n); },
                            +[](std::size_t n) { (void)allocate_for_overwrite<double>(n); }}) {
    try {
      allocate_set(too_many);
      FAIL() << "allocated " << too_many;
    } catch (const Failure& failure) {
      EXPECT_EQ(std::string(failure.what()), "Error... not enough memory for " +
                                                 std::to_string(too_many) + " values (" +
                                                 std::to_string(too_many * 8) + " bytes).\n");
    }
  }
  EXPECT_EQ(allocate<double>(3), std::vector<double>(3, 0.0));
}

}  // namespace
}  // namespace weights
