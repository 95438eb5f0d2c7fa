// Limits and thresholds, each tested at the limit and one step past it: the places where a
// fault of one (a comparison made exclusive, a guard dropped) shows and random values do not
// reach.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include "constructions/hammersley.h"
#include "constructions/layered_design.h"
#include "inspect/checks.h"
#include "inspect/reading.h"
#include "math/good_lattice.h"
#include "simplex_weights/constructions.h"
#include "simplex_weights/errors.h"
#include "text/number_format.h"

namespace simplex_weights::detail {

namespace {

std::string ours(double x, int digits, bool scientific) {
  char text[kMaxNumberChars + 1];
  char* end = scientific ? format_scientific(text, x, digits) : format_fixed(text, x, digits);
  return std::string(text, end);
}

std::string printf_of(double x, int digits, bool scientific) {
  char text[400];
  std::snprintf(text, sizeof text, scientific ? "%.*e" : "%.*f", digits, x);
  return text;
}

void expect_neighbours_match(double x, int digits, bool scientific) {
  double value = x;
  for (int i = 0; i < 2; ++i) value = std::nextafter(value, -HUGE_VAL);
  for (int i = 0; i < 5; ++i, value = std::nextafter(value, HUGE_VAL)) {
    ASSERT_EQ(ours(value, digits, scientific), printf_of(value, digits, scientific))
        << std::hexfloat << value << " with " << digits << " digits";
  }
}

TEST(FormatterBoundaries, EveryDecimalExponentThresholdAndItsNeighbours) {
  // The smallest value that prints with decimal exponent e is 9.99..95 x 10^(e - 1): at it the
  // rounding carries into the next exponent. Every threshold, for every number of digits.
  for (int digits = kMinDigits; digits <= kMaxDigits; ++digits) {
    for (int e = -300; e <= 300; ++e) {
      const std::string text =
          "9." + std::string(static_cast<std::size_t>(digits), '9') + "5e" + std::to_string(e - 1);
      const double threshold = std::strtod(text.c_str(), nullptr);
      expect_neighbours_match(threshold, digits, true);
      expect_neighbours_match(std::pow(10.0, e), digits, true);
    }
  }
}

TEST(FormatterBoundaries, EveryBinadeEdgeOfTheFixedPaths) {
  // Each fast path covers the binades below a limit: 2^k and its neighbours, for every k a
  // path could end at, with every number of digits.
  for (int digits = kMinDigits; digits <= kMaxDigits; ++digits) {
    for (int k = -80; k <= 70; ++k) {
      expect_neighbours_match(std::ldexp(1.0, k), digits, false);
      expect_neighbours_match(-std::ldexp(1.0, k), digits, false);
    }
  }
}

// A random source that gives the values it was handed, in order.
class ScriptedRandom final : public RandomSource {
 public:
  explicit ScriptedRandom(std::deque<int> values) : values_(std::move(values)) {}
  int next() override {
    const int value = values_.front();
    values_.pop_front();
    return value;
  }
  std::size_t left() const { return values_.size(); }

 private:
  std::deque<int> values_;
};

TEST(RandInterval, RejectsExactlyTheValuesPastTheLastWholeBucket) {
  // [2, 4] has three values: buckets of 715827882, the limit 3 * 715827882 = 2147483646.
  ScriptedRandom at_limit({2147483646, 2147483647, 2147483645});
  EXPECT_EQ(rand_interval(2, 4, at_limit), 4);  // the last value below the limit
  EXPECT_EQ(at_limit.left(), 0u);
  ScriptedRandom edges({0, 715827881, 715827882, 2147483645});
  EXPECT_EQ(rand_interval(2, 4, edges), 2);
  EXPECT_EQ(rand_interval(2, 4, edges), 2);
  EXPECT_EQ(rand_interval(2, 4, edges), 3);
  EXPECT_EQ(rand_interval(2, 4, edges), 4);
  // A single value: one bucket of 2^31 - 1 values, and the top value 2^31 - 1 is past it.
  ScriptedRandom single({2147483647, 7});
  EXPECT_EQ(rand_interval(5, 5, single), 5);
  EXPECT_EQ(single.left(), 0u);
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

FileRows read(const std::string& text) {
  RowReader reader("t");
  reader.feed(text);
  return reader.finish();
}

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

}  // namespace
}  // namespace simplex_weights::detail
