#include "text/exact_sums.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace simplex_weights::detail {

namespace {

std::string exact_row(std::vector<double> values, RowFormat format, int digits = 6) {
  std::string text;
  {
    Writer out(&text);
    out.set_digits(digits);
    print_exact_sum(out, values.data(), static_cast<int>(values.size()), format);
  }
  return text;
}

TEST(ExactSums, TheFewestComponentsMoveByOneUnitTiesToTheLowerColumn) {
  // Each third rounds down by a third of a unit: one must move up, the first of the equals.
  EXPECT_EQ(exact_row({1.0 / 3, 1.0 / 3, 1.0 / 3}, RowFormat::kFixed),
            "0.333334 0.333333 0.333333 \n");
  // The component whose rounding lost the most moves, not the first.
  EXPECT_EQ(exact_row({0.1000001, 0.4000004, 0.4999994}, RowFormat::kFixed),
            "0.100000 0.400000 0.500000 \n");
  EXPECT_EQ(exact_row({0.25, 0.75}, RowFormat::kFixedSeparated, 2), "0.25 0.75\n");
  // Rows that already sum to 1 are printed as printf prints them.
  EXPECT_EQ(exact_row({0.5, 0.25, 0.25}, RowFormat::kFixed, 3), "0.500 0.250 0.250 \n");
}

TEST(ExactSums, ScientificRowsShareTheUnitOfTheirLargestComponent) {
  // Largest 6.837722e-01: the unit is 1e-7, so 1.234567891e-3 prints as 1.234600e-03.
  EXPECT_EQ(exact_row({0.6837722, 0.314993232109, 0.001234567891}, RowFormat::kScientific),
            "6.837722e-01 3.149932e-01 1.234600e-03 \n");
  // A component rounded up to the next power of ten keeps every printed digit.
  EXPECT_EQ(exact_row({0.99999996, 0.00000004}, RowFormat::kScientific),
            "1.000000e+00 0.000000e+00 \n");
  EXPECT_EQ(exact_row({0.0, 1.0}, RowFormat::kScientific, 2), "0.00e+00 1.00e+00 \n");
}

TEST(ExactSums, NoComponentLeavesZeroToOne) {
  // A corrected completion's -1e-17 prints as 0; a component never passes 1.
  EXPECT_EQ(exact_row({1.0, -1e-17, 0.0}, RowFormat::kFixed), "1.000000 0.000000 0.000000 \n");
  EXPECT_EQ(exact_row({0.9999999, 0.0000004}, RowFormat::kFixed), "1.000000 0.000000 \n");
  // Non-finite rows cannot sum to 1: they print as they are.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(exact_row({nan, 0.5}, RowFormat::kFixed), "nan 0.500000 \n");
}

TEST(ExactSums, SeventeenDigitsCountUnitsBeyondADoublesPrecision) {
  // The unit is 10^-18 and 1 is 10^18 units. 0.998 rounds down by 0.22 units and each 0.001
  // by 0.02: the two units missing go to 0.998, then to the first 0.001.
  EXPECT_EQ(exact_row({0.001, 0.001, 0.998}, RowFormat::kScientific, 17),
            "1.00000000000000100e-03 1.00000000000000000e-03 9.97999999999999999e-01 \n");
}

}  // namespace
}  // namespace simplex_weights::detail
