// The generator families: Hammersley, irrational-constant lattice, multi-layer design.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "common/runs.h"
#include "constructions/hammersley.h"
#include "constructions/lattice_weights.h"
#include "constructions/simplex_lattice.h"

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
  for (int b : P) {
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
  std::string text;
  Writer trace(&text);
  HammersleyRows rows(kUdhWeights, 3, 4);
  double w[3];
  for (const auto& row : expected) {
    rows.next(w, &trace);
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(w[j], row[j], 5e-7);
  }
  trace.flush();
  EXPECT_EQ(text, "sum = 0.823223\nsum = 0.846907\nsum = 0.407073\nsum = 0.883073\n");
}

TEST(LatticeConstants, HoldTheStatedValues) {
  const double decimal[9] = {3.141592653589793,  1.4142135623730951, 1.618033988749895,
                             2.718281828459045,  2.665144142690225,  23.140692632779263,
                             2.3948263510722025, 0.6931471805599453, 1.5849625007211563};
  for (int j = 0; j < 9; ++j) EXPECT_EQ(kLatticeConstants[j], decimal[j]) << j;
  // e^pi is stored two units in the last place below its nearest double, log2(3) one above.
  const double nearest_e_pi = 23.14069263277926900572908636794854738;
  const double nearest_log2_3 = 1.58496250072115618145373894394781651;
  EXPECT_EQ(kLatticeConstants[5], std::nextafter(std::nextafter(nearest_e_pi, 0.0), 0.0));
  EXPECT_EQ(kLatticeConstants[8], std::nextafter(nearest_log2_3, 2.0));
}

TEST(Lattice, CoordinatesAndTrace) {
  std::string text;
  Writer trace(&text);
  EXPECT_EQ(lattice(1, 0, 2, kLatticeConstants[0], &trace), 1.0);
  EXPECT_EQ(lattice(1, 1, 2, kLatticeConstants[1], nullptr),
            fractional_part(2.0 * kLatticeConstants[1]));
  trace.flush();
  EXPECT_EQ(text, "value = 1.000000 \n");
  EXPECT_EQ(fractional_part(-0.25), 0.75);
}

TEST(LatticeWeights, BuildsAgreeOnAllButTheLastColumn) {
  for (int m = 2; m <= 10; ++m) {
    std::string full, product, trace_text;
    {
      Writer a(&full), b(&product), trace(&trace_text);
      RowPrinter a_rows(a, RowFormat::kScientific), b_rows(b, RowFormat::kScientific);
      EXPECT_EQ(LowSequences_lattices_weights(a_rows, 50, m, kGwudWeights, trace), 50);
      EXPECT_EQ(LowSequences_lattices_weights(b_rows, 50, m, kGwudWeightsProd, trace), 50);
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
  std::string rows_text, trace_text;
  {
    Writer stream(&rows_text), trace(&trace_text);
    RowPrinter printer(stream, RowFormat::kFixed);
    LayerRowWriter rows{printer, 1};
    simplex_lattice_design(rows, trace, 4, 1);
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
      std::string rows_text, trace_text;
      Writer stream(&rows_text), trace(&trace_text);
      RowPrinter printer(stream, RowFormat::kFixed);
      LayerRowWriter rows{printer, K};
      simplex_lattice_design(rows, trace, M, K);
      stream.flush();
      EXPECT_EQ(rows.count, design_row_count(M, K));
      EXPECT_EQ(static_cast<long long>(std::count(rows_text.begin(), rows_text.end(), '\n')),
                design_row_count(M, K));
    }
  }
}

}  // namespace
}  // namespace simplex_weights::cli
