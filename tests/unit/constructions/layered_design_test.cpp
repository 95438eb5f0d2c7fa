// The multi-layer simplex-lattice design.
#include "constructions/layered_design.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "common/runs.h"

namespace simplex_weights::cli {

using namespace simplex_weights::detail;

namespace {

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
