// The generator families: Hammersley, irrational-constant lattice, multi-layer design.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "hammersley.h"
#include "lattice_weights.h"
#include "simplex_lattice.h"

namespace weights {
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

TEST(RadicalInverse, TablesGiveTheDigitLoopBitForBit) {
  for (int b : P) {
    const RadicalInverseTable table(b);
    for (int n = 1; n < 200000; n += (n < 5000 ? 1 : 97)) {
      const double expected = radical_inverse(n, b);
      const double got = table(n);
      ASSERT_EQ(std::memcmp(&expected, &got, sizeof got), 0) << b << " " << n;
    }
    const double big = radical_inverse(2147483647, b);
    const double got = table(2147483647);
    EXPECT_EQ(std::memcmp(&big, &got, sizeof got), 0);
  }
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

TEST(HammersleyPoint, MidpointThenRadicalInverses) {
  double U[4] = {};
  hammersley_point(0, 1, radical_inverse_tables(5), U);  // N = 1: 0.5, then 1/2, 1/3, 1/5
  EXPECT_EQ(U[0], 0.5);
  EXPECT_EQ(U[1], 0.5);
  EXPECT_DOUBLE_EQ(U[2], 1.0 / 3);
  EXPECT_DOUBLE_EQ(U[3], 1.0 / 5);
  hammersley_point(2, 4, radical_inverse_tables(3), U);
  EXPECT_EQ(U[0], 0.625);
  EXPECT_EQ(U[1], 0.75);
}

TEST(LatticeConstants, HoldExactlyTheStoredBitPatterns) {
  const std::uint64_t patterns[9] = {0x400921FB54442D18, 0x3FF6A09E667F3BCD, 0x3FF9E3779B97F4A8,
                                     0x4005BF0A8B145769, 0x40055237179FD803, 0x403724046EB09338,
                                     0x4003289AB7CBA20C, 0x3FE62E42FEFA39EF, 0x3FF95C01A39FBD69};
  for (int j = 0; j < 9; ++j) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &kLatticeConstants[j], sizeof bits);
    EXPECT_EQ(bits, patterns[j]) << j;
  }
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
      EXPECT_EQ(LowSequences_lattices_weights(a, 50, m, kGwudWeights, trace), 50);
      EXPECT_EQ(LowSequences_lattices_weights(b, 50, m, kGwudWeightsProd, trace), 50);
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

TEST(MultiLayerDesign, WrittenRowsMatchTheCount) {
  for (int M : {1, 2, 3, 4, 7}) {
    for (int K : {1, 2, 5}) {
      std::string rows_text, trace_text;
      Writer stream(&rows_text), trace(&trace_text);
      LayerRowWriter rows{stream, K};
      simplex_lattice_design(rows, trace, M, K);
      stream.flush();
      EXPECT_EQ(rows.count, design_row_count(M, K));
      EXPECT_EQ(static_cast<long long>(std::count(rows_text.begin(), rows_text.end(), '\n')),
                design_row_count(M, K));
    }
  }
}

}  // namespace
}  // namespace weights
