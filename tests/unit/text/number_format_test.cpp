#include "text/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace simplex_weights::detail {

namespace {

std::string fast(char* (*format)(char*, double), double x) {
  char buffer[kMaxNumberChars];
  return std::string(buffer, format(buffer, x));
}

std::string libc(const char* conversion, double x) {
  char buffer[kMaxNumberChars];
  std::snprintf(buffer, sizeof buffer, conversion, x);
  return buffer;
}

void expect_same(double x) {
  ASSERT_EQ(fast(format_fixed, x), libc("%f", x)) << std::hexfloat << x;
  ASSERT_EQ(fast(format_scientific, x), libc("%e", x)) << std::hexfloat << x;
}

// "%.Df" and "%.De" for every D the programs accept, against snprintf.
void expect_same_digits(double x, int digits) {
  char fast_buffer[kMaxNumberChars];
  char libc_buffer[kMaxNumberChars];
  std::snprintf(libc_buffer, sizeof libc_buffer, "%.*f", digits, x);
  ASSERT_EQ(std::string(fast_buffer, format_fixed(fast_buffer, x, digits)), libc_buffer)
      << digits << " " << std::hexfloat << x;
  std::snprintf(libc_buffer, sizeof libc_buffer, "%.*e", digits, x);
  ASSERT_EQ(std::string(fast_buffer, format_scientific(fast_buffer, x, digits)), libc_buffer)
      << digits << " " << std::hexfloat << x;
}

TEST(NumberFormat, EveryNumberOfDigitsMatchesTheCLibrary) {
  std::mt19937_64 random(20261209);
  std::uniform_real_distribution<double> weight(0.0, 1.0);
  std::uniform_int_distribution<int> exponent(-30, 30);
  const double edges[] = {0.0,
                          -0.0,
                          1.0,
                          0.5,
                          0.05,
                          0.95,
                          0.999999999999999,
                          1e-17,
                          5e-18,
                          4.5,
                          9.5,
                          0.25,
                          1e17,
                          1e22,
                          5e-324,
                          1e308,
                          -1e-5,
                          std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::quiet_NaN()};
  for (int digits = kMinDigits; digits <= kMaxDigits; ++digits) {
    for (double x : edges) expect_same_digits(x, digits);
    for (int i = 0; i < 20000; ++i) {
      std::uint64_t bits = random();
      double any = 0;
      std::memcpy(&any, &bits, sizeof any);
      expect_same_digits(any, digits);
      expect_same_digits(weight(random), digits);
      expect_same_digits(std::ldexp(weight(random), exponent(random)), digits);
      // Ties at the last printed digit.
      const double tie = (static_cast<double>(random() % 2000) + 0.5) / 1024.0;
      expect_same_digits(tie, digits);
    }
  }
}

TEST(NumberFormat, EdgeValuesMatchTheCLibrary) {
  const double edges[] = {0.0,
                          -0.0,
                          1.0,
                          -1.0,
                          0.5,
                          0.0000005,
                          0.0000015,
                          0.0000025,
                          2.5e-7,
                          9.9999995,
                          0.9999995,
                          9.9999995e-5,
                          999999.5,
                          1e22,
                          1e23,
                          5e-324,
                          std::numeric_limits<double>::max(),
                          -std::numeric_limits<double>::max(),
                          std::numeric_limits<double>::min(),
                          0.125,
                          1.0 / 3,
                          2.0 / 3,
                          0.0625,
                          std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::quiet_NaN(),
                          -std::numeric_limits<double>::quiet_NaN()};
  for (double x : edges) expect_same(x);
}

TEST(NumberFormat, RandomDoublesOfEveryMagnitudeMatchTheCLibrary) {
  std::mt19937_64 bits(20261208);
  for (int i = 0; i < 2000000; ++i) {
    const std::uint64_t pattern = bits();
    double x = 0;
    std::memcpy(&x, &pattern, sizeof x);
    expect_same(x);
    // Values near the six-digit grid: where rounding of ties and carries into a new digit bite.
    const double near_tie = static_cast<double>(pattern % 20000000) / 2e6 *
                            std::pow(10.0, static_cast<int>(pattern >> 59) - 16);
    expect_same(near_tie);
  }
}

TEST(NumberFormat, WeightLikeMagnitudesMatchTheCLibrary) {
  // The magnitudes weight files hold, where the integer fast paths work: log-uniform over
  // [1e-12, 1e11], and exact multiples of 2^-k that put ties at the sixth decimal.
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> magnitude(-12.0, 11.0);
  for (int i = 0; i < 3000000; ++i) {
    const double x = std::pow(10.0, magnitude(random));
    expect_same(i % 2 == 0 ? x : -x);
    expect_same(
        std::ldexp(static_cast<double>(random() % 4000000), -static_cast<int>(random() % 30)));
  }
  for (double x = 9.9999990; x < 10.0000010; x = std::nextafter(x, 11.0) + 1e-12) expect_same(x);
}

TEST(NumberFormat, EverySixDecimalDigitStringBelowTenMatchesTheCLibrary) {
  // k / 10^6 rounds to k at the sixth decimal, so every digit string "d.dddddd" comes up, both
  // as "%f" and as the significand of "%e".
  for (int k = 0; k < 10000000; ++k) {
    const double x = static_cast<double>(k) / 1e6;
    ASSERT_EQ(fast(format_fixed, x), libc("%f", x)) << k;
    if (k >= 1000000) {
      ASSERT_EQ(fast(format_scientific, x), libc("%e", x)) << k;
    }
  }
}

TEST(NumberFormat, IntegersMatchTheCLibrary) {
  char buffer[kMaxNumberChars];
  const auto expect_same_integer = [&buffer](long long v) {
    char expected[64];
    std::snprintf(expected, sizeof expected, "%lld", v);
    ASSERT_EQ(std::string(buffer, format_integer(buffer, v)), expected);
  };
  for (long long v = -200000; v <= 200000; ++v) expect_same_integer(v);
  for (long long v : {2147483647LL, -2147483648LL, std::numeric_limits<long long>::max(),
                      std::numeric_limits<long long>::min()}) {
    expect_same_integer(v);
  }
  std::mt19937_64 bits(11);
  for (int i = 0; i < 200000; ++i) {
    const long long v = static_cast<long long>(bits());
    expect_same_integer(v);
    expect_same_integer(v >> (i % 63));
  }
  long long power = 1;
  for (int digits = 1; digits <= 18; ++digits) {
    power *= 10;
    expect_same_integer(power - 1);
    expect_same_integer(power);
    expect_same_integer(-power);
  }
}

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

}  // namespace
}  // namespace simplex_weights::detail
