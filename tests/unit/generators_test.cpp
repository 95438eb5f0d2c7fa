// The generator families: Hammersley, irrational-constant lattice, multi-layer design.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "common/runs.h"
#include "constructions/hammersley.h"
#include "constructions/irrational_set.h"
#include "constructions/layered_design.h"

namespace simplex_weights::cli {

using namespace simplex_weights::detail;

namespace {

TEST(RadicalInverse, MatchesHandValues) {
  EXPECT_EQ(radical_inverse(1, 2), 0.5);
  EXPECT_EQ(radical_inverse(2, 2), 0.25);
  EXPECT_EQ(radical_inverse(3, 2), 0.75);
  EXPECT_EQ(radical_inverse(4, 2), 0.125);
  EXPECT_EQ(radical_inverse(6, 2), 0.375);
  EXPECT_DOUBLE_EQ(radical_inverse(1, 3), 1.0 / 3);
  EXPECT_DOUBLE_EQ(radical_inverse(5, 3), 7.0 / 9);
  EXPECT_DOUBLE_EQ(radical_inverse(1, 71), 1.0 / 71);
}

TEST(RadicalInverse, SequencesGiveTheDigitLoopBitForBit) {
  for (int b : kRadicalInverseBases) {
    const RadicalInverseTable table(b);
    RadicalInverseSequence sequence(table);
    for (int n = 1; n <= 300000; ++n) {
      const double expected = radical_inverse(n, b);
      const double got = sequence.next();
      ASSERT_EQ(std::memcmp(&expected, &got, sizeof got), 0) << b << " " << n;
    }
  }
}

TEST(HammersleyRows, WorkedExampleOfThreeObjectivesAndFourVectors) {
  EXPECT_EQ(hammersley_midpoint(0, 4), 0.125);
  EXPECT_EQ(hammersley_midpoint(3, 4), 0.875);
  const double expected[4][3] = {{0.646447, 0.176777, 0.176777},
                                 {0.387628, 0.459279, 0.153093},
                                 {0.209431, 0.197642, 0.592927},
                                 {0.064586, 0.818488, 0.116927}};
  const double sums[4] = {0.823223, 0.846907, 0.407073, 0.883073};
  HammersleyRows rows(kUdhWeights, 3, 4);
  double w[3];
  for (int i = 0; i < 4; ++i) {
    double sum = -1;
    rows.next(w, &sum);
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(w[j], expected[i][j], 5e-7);
    EXPECT_NEAR(sum, sums[i], 5e-7);
  }
}

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

TEST(MultiLayerDesign, RowCountsFollowTheFormula) {
  EXPECT_EQ(design_row_count(3, 2), 31);
  EXPECT_EQ(design_row_count(3, 10), 499);
  EXPECT_EQ(design_row_count(4, 1), 17);
  EXPECT_EQ(design_row_count(1, 2), 11);
  EXPECT_EQ(design_row_count(2, 3), 4);
  EXPECT_EQ(design_row_count(3, 0), 4);
  EXPECT_EQ(design_row_count(3, -5), 4);
  EXPECT_EQ(design_row_count(3, 21844), 3 + 1 + 3LL * 3 * 21844 * 21845 / 2);
  EXPECT_EQ(design_row_count(3, 21845), -1);
  EXPECT_EQ(design_row_count(2, 2147483647), -1);
  EXPECT_EQ(design_row_count(2147483647, 0), -1);
}

TEST(MultiLayerDesign, FourObjectivesOneLayerGiveVerticesCentroidAndEdgeMidpoints) {
  std::string rows_text;
  {
    Writer stream(&rows_text);
    RowPrinter printer(stream, RowFormat::kFixed);
    DesignRows rows{printer, 1};
    layered_design_rows(rows, no_observer(), 4, 1);
  }
  const std::string e[4] = {
      "1.000000 0.000000 0.000000 0.000000 \n", "0.000000 1.000000 0.000000 0.000000 \n",
      "0.000000 0.000000 1.000000 0.000000 \n", "0.000000 0.000000 0.000000 1.000000 \n"};
  const std::string midpoints[4] = {
      "0.500000 0.500000 0.000000 0.000000 \n", "0.000000 0.500000 0.500000 0.000000 \n",
      "0.000000 0.000000 0.500000 0.500000 \n", "0.500000 0.000000 0.000000 0.500000 \n"};
  std::string expected = e[0] + e[1] + e[2] + e[3] + "0.250000 0.250000 0.250000 0.250000 \n";
  for (int i = 0; i < 4; ++i) expected += e[i] + e[(i + 1) % 4] + midpoints[i];
  EXPECT_EQ(rows_text, expected);
}

TEST(MultiLayerDesign, WrittenRowsMatchTheCount) {
  for (int M : {1, 2, 3, 4, 7}) {
    for (int K : {1, 2, 5}) {
      std::string rows_text;
      Writer stream(&rows_text);
      RowPrinter printer(stream, RowFormat::kFixed);
      DesignRows rows{printer, K};
      layered_design_rows(rows, no_observer(), M, K);
      stream.flush();
      EXPECT_EQ(rows.count, design_row_count(M, K));
      EXPECT_EQ(static_cast<long long>(std::count(rows_text.begin(), rows_text.end(), '\n')),
                design_row_count(M, K));
    }
  }
}

}  // namespace
}  // namespace simplex_weights::cli
