// The checks of weights_inspect at their bounds.
#include "inspect/checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "inspect/reading.h"
#include "tests/support/file_rows.h"

namespace simplex_weights::detail {

namespace {

FileRows read(const std::string& text) { return test_support::rows_of(text); }

bool passes(const std::vector<Check>& checks, const std::string& start) {
  for (const Check& check : checks) {
    if (check.text.rfind(start, 0) == 0) return check.pass;
  }
  ADD_FAILURE() << "no check starts with " << start;
  return false;
}

TEST(InspectChecks, TheRowSumToleranceIncludesItsBound) {
  const FileRows set = read("0.5 0.5\n0.5 0.5005\n");
  const std::vector<long long> distinct = distinct_rows(set);
  EXPECT_TRUE(
      passes(validate(set, PointKind::kWeights, 0.0005 + 1e-15, distinct), "every row sums"));
  // 0.5 + 0.5005 - 1 is the tolerance itself, as the doubles compute it.
  const double deviation = (0.5 + 0.5005) - 1;
  EXPECT_TRUE(passes(validate(set, PointKind::kWeights, deviation, distinct), "every row sums"));
  EXPECT_FALSE(passes(validate(set, PointKind::kWeights, std::nextafter(deviation, 0.0), distinct),
                      "every row sums"));
}

TEST(InspectChecks, RowsDifferingOnlyInTheLastColumnAreDistinct) {
  const FileRows set = read("0.25 0.25 0.5\n0.25 0.25 0.5000001\n0.25 0.25 0.5\n");
  EXPECT_EQ(distinct_rows(set).size(), 2u);
  EXPECT_FALSE(passes(validate(set, PointKind::kWeights, 1, distinct_rows(set)), "1 rows repeat"));
}

TEST(InspectChecks, CubeValuesOfExactlyZeroAndOneAreInside) {
  const FileRows inside = read("0 1\n1 0\n");
  EXPECT_TRUE(
      passes(validate(inside, PointKind::kCube, -1, distinct_rows(inside)), "every value lies"));
  const FileRows outside = read("0 1.0000001\n1 0\n");
  EXPECT_FALSE(
      passes(validate(outside, PointKind::kCube, -1, distinct_rows(outside)), "every value lies"));
}

}  // namespace
}  // namespace simplex_weights::detail
