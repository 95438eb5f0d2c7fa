#include "support/arguments.h"

#include <gtest/gtest.h>

#include "constructions/hammersley.h"
#include "constructions/layered_design.h"
#include "math/good_lattice.h"
#include "simplex_weights/errors.h"

namespace simplex_weights::detail {

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

TEST(IntegerPrefix, ReadsOneIntegerAfterAnotherAndStopsAtText) {
  const std::string text = " 2\t-3\n+5 77x 9";
  std::vector<int> values;
  IntegerPrefix next = read_integer_prefix(text);
  while (next.kind == IntegerPrefix::Kind::kValue) {
    values.push_back(next.value);
    next = read_integer_prefix(text, next.end);
  }
  EXPECT_EQ(values, (std::vector<int>{2, -3, 5, 77}));
  EXPECT_EQ(next.kind, IntegerPrefix::Kind::kNone);
  EXPECT_EQ(text.substr(next.end), "x 9");
  EXPECT_EQ(read_integer_prefix("  ").kind, IntegerPrefix::Kind::kNone);
  EXPECT_EQ(read_integer_prefix("12345678901 2").kind, IntegerPrefix::Kind::kOutOfRange);
}

TEST(RangeMessages, NameTheRange) {
  EXPECT_EQ(range_text(1, 22), "1 .. 22");
  EXPECT_EQ(range_message("the dimension", 1, 10),
            "Error... the dimension should lie in 1 .. 10\n");
}

TEST(ArgumentLimits, AreAcceptedAtTheLimitAndRefusedOnePast) {
  // udh: k * N up to 2^31 - 1.
  EXPECT_NO_THROW(check_hammersley_arguments(1, 2147483647));
  EXPECT_NO_THROW(check_hammersley_arguments(3, 715827882));                 // 2147483646
  EXPECT_THROW(check_hammersley_arguments(2, 1073741824), InvalidArgument);  // 2^31
  EXPECT_THROW(check_hammersley_arguments(22, 97612894), InvalidArgument);   // 2^31 + 20
  EXPECT_NO_THROW(check_hammersley_arguments(22, 97612893));                 // 2^31 - 2
  // msld: the design size never overflows on its way to the limit.
  for (int K : {65536, 100000, 100001, 1 << 20, 2147483646, 2147483647}) {
    EXPECT_EQ(design_row_count(3, K), -1) << K;
    EXPECT_EQ(design_row_count(1000, K), -1) << K;
  }
  EXPECT_EQ(design_row_count(2, 2147483646), 2147483647);
  EXPECT_EQ(design_row_count(2147483646, 0), 2147483647);
  // The lattice programs: 3 .. 20000 samples.
  EXPECT_NO_THROW(check_lattice_arguments(3, 20000, 2));
  EXPECT_THROW(check_lattice_arguments(3, 20001, 2), InvalidArgument);
  EXPECT_NO_THROW(check_lattice_arguments(3, 3, 2));
  EXPECT_THROW(check_lattice_arguments(3, 2, 2), InvalidArgument);
  EXPECT_NO_THROW(check_lattice_arguments(1000, 3, 2));
  EXPECT_THROW(check_lattice_arguments(1001, 3, 2), InvalidArgument);
}

}  // namespace
}  // namespace simplex_weights::detail
