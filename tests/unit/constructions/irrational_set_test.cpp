// The irrational-constant set: its constants and rows.
#include "constructions/irrational_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "common/runs.h"

namespace simplex_weights::cli {

using namespace simplex_weights::detail;

namespace {

TEST(IrrationalConstants, AreTheNamedIrrationalsWithinAFewUnits) {
  const double* c = kIrrationalConstants;
  const auto near = [](double x, double y) { return std::fabs(x - y) <= 4 * 0x1p-52 * y; };
  EXPECT_TRUE(near(c[0], std::acos(-1.0)));
  EXPECT_TRUE(near(c[1] * c[1], 2.0));
  EXPECT_TRUE(near(c[2] * c[2], c[2] + 1.0));  // the golden ratio
  EXPECT_TRUE(near(std::log(c[3]), 1.0));
  EXPECT_TRUE(near(std::log2(c[4]), c[1]));
  EXPECT_TRUE(near(std::log(c[5]), c[0]));
  EXPECT_TRUE(near(std::exp(c[7]), 2.0));
  EXPECT_TRUE(near(std::exp2(c[8]), 3.0));
  // None is rational with a small denominator: every column of the set differs from the first.
  for (int j = 1; j < 9; ++j) EXPECT_NE(c[j], std::floor(c[j])) << j;
}

TEST(IrrationalSet, FirstCoordinateStepsEvenlyAndTheOthersStayInTheUnitInterval) {
  for (int N : {1, 2, 7, 1000}) {
    for (int i = 0; i < N; ++i) {
      EXPECT_EQ(irrational_coordinate(i, 0, N, kIrrationalConstants[0]),
                static_cast<double>(i + 1) / static_cast<double>(N));
      for (int j = 1; j < 9; ++j) {
        const double x = irrational_coordinate(i, j, N, kIrrationalConstants[j]);
        ASSERT_TRUE(x >= 0.0 && x < 1.0) << i << " " << j;
      }
    }
  }
  EXPECT_EQ(fractional_part(-0.25), 0.75);
}

TEST(IrrationalSet, BuildsAgreeOnAllButTheLastColumn) {
  for (int m = 2; m <= 10; ++m) {
    std::string full, product;
    {
      Writer a(&full), b(&product);
      RowPrinter a_rows(a, RowFormat::kScientific), b_rows(b, RowFormat::kScientific);
      irrational_rows(kGwudWeights, m, 50, 0, 50, a_rows);
      irrational_rows(kGwudWeightsProd, m, 50, 0, 50, b_rows);
    }
    std::size_t a = 0, b = 0;
    for (int row = 0; row < 50; ++row) {
      for (int j = 0; j < m - 1; ++j) {
        const std::size_t a_end = full.find(' ', a), b_end = product.find(' ', b);
        ASSERT_EQ(full.substr(a, a_end - a), product.substr(b, b_end - b)) << m << " " << row;
        a = a_end + 1;
        b = b_end + 1;
      }
      a = full.find('\n', a) + 1;
      b = product.find('\n', b) + 1;
    }
  }
}

}  // namespace
}  // namespace simplex_weights::cli
