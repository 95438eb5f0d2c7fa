// Reading weight files: what is a row, a comment, a header.
#include "inspect/reading.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "inspect/checks.h"
#include "simplex_weights/errors.h"
#include "support/failure.h"
#include "tests/support/file_rows.h"

namespace simplex_weights::detail {

namespace {

FileRows read(const std::string& text) { return test_support::rows_of(text); }

TEST(InspectReading, TheLastPrintedPlaceFollowsTheExponent) {
  EXPECT_DOUBLE_EQ(read("1.000000e-03 9.990000e-01\n").last_place, 1e-7);
  EXPECT_DOUBLE_EQ(read("1.000000e-03\n").last_place, 1e-9);
  EXPECT_DOUBLE_EQ(read("5.000000e+00\n").last_place, 1e-6);
  EXPECT_DOUBLE_EQ(read("0.250000\n").last_place, 1e-6);
  EXPECT_DOUBLE_EQ(read("0.25\n").last_place, 1e-2);
  EXPECT_DOUBLE_EQ(read("0x1p-1\n").last_place, 0);
  // The tolerance then follows: two columns of six-digit "%e" values near 1e-3 are held to
  // half a unit of 1e-9 each.
  const FileRows small = read("1.000000e-03 1.000000e-03\n");
  EXPECT_NEAR(default_tolerance(small), 1e-9 + 8 * 0x1p-52, 1e-18);
}

TEST(InspectReading, ALastRowWithoutItsNewlineIsKept) {
  const FileRows set = read("0.5 0.5\n0.25 0.75");
  ASSERT_EQ(set.rows(), 2);
  EXPECT_EQ(set.row(1)[1], 0.75);
  EXPECT_EQ(read("# 1 1\n1").rows(), 1);
}

TEST(InspectReading, ANumberSignStartsACommentOnlyAtTheStartOfALine) {
  EXPECT_EQ(read("# a comment\n0.5 0.5\n# another\n0.25 0.75\n").rows(), 2);
  try {
    read("0.5 0.5 # not a comment\n");
    ADD_FAILURE() << "a # inside a row was taken for a comment";
  } catch (const Failure& failure) {
    EXPECT_STREQ(failure.message(), "t:1:9: not a number: \"#\"\n");
  }
}

TEST(InspectReading, OnlyAFirstLineOfExactlyTwoIntegersIsTheHeader) {
  const auto header = read("# 2 2\n0.5 0.5\n0.25 0.75\n").header;
  ASSERT_TRUE(header.has_value());
  EXPECT_EQ(*header, (std::pair<long long, long long>{2, 2}));
  for (const char* not_a_header : {"# 2 2 rows\n0.5 0.5\n", "# 2\n0.5 0.5\n", "# 2 x\n0.5 0.5\n",
                                   "# 2 2.5\n0.5 0.5\n", "0.5 0.5\n# 1 2\n"}) {
    EXPECT_FALSE(read(not_a_header).header.has_value()) << not_a_header;
  }
}

}  // namespace
}  // namespace simplex_weights::detail
