// The Hammersley construction: radical inverses and rows.
#include "constructions/hammersley.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "common/runs.h"

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

}  // namespace
}  // namespace simplex_weights::cli
