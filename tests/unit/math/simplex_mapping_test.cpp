#include "math/simplex_mapping.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "common/runs.h"
#include "math/good_lattice.h"

namespace simplex_weights::detail {

using cli::RowPrinter;
using cli::TglpTrace;

namespace {

// The mapping read literally: every factor recomputed with pow wherever it is used.
std::vector<double> literal_mapping(const std::vector<double>& u, MultiplicationOrder order,
                                    Completion completion) {
  const int m = static_cast<int>(u.size()) + 1;
  auto a = [&](int j) {
    return std::pow(u[static_cast<std::size_t>(j - 1)], 1.0 / (double)(m - j));
  };
  std::vector<double> w(static_cast<std::size_t>(m));
  for (int i = 1; i <= m - 1; ++i) {
    double value = 0;
    if (order == MultiplicationOrder::kProductFirst) {
      double p = 1;
      for (int j = 1; j < i; ++j) p = p * a(j);
      value = (1 - a(i)) * p;
    } else {
      value = 1 - a(i);
      for (int j = 1; j < i; ++j) value = value * a(j);
    }
    w[static_cast<std::size_t>(i - 1)] = value;
  }
  if (completion == Completion::kProduct) {
    double p = 1;
    for (int j = 1; j <= m - 1; ++j) p = p * a(j);
    w.back() = p;
    return w;
  }
  double s = 0;
  for (int j = 0; j < m - 1; ++j) s = s + w[static_cast<std::size_t>(j)];
  if (s > 1) {
    const double d = std::fabs(1 - s) / (double)(float)(m - 1);
    for (int j = 0; j < m - 1; ++j) w[static_cast<std::size_t>(j)] -= d;
    w.back() = 0;
  } else {
    w.back() = 1 - s;
  }
  return w;
}

std::vector<double> mapped(std::vector<double> u, MultiplicationOrder order,
                           Completion completion) {
  SimplexMapping mapping(static_cast<int>(u.size()) + 1, order, completion);
  std::vector<double> w(u.size() + 1);
  mapping.map(u.data(), w.data());
  return w;
}

TEST(CubeToSimplex, FactorsComputedOnceGiveTheLiteralResultBitForBit) {
  std::mt19937_64 random(42);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int m = 1; m <= 22; ++m) {
    for (int point = 0; point < 2000; ++point) {
      std::vector<double> u(static_cast<std::size_t>(m - 1));
      for (double& x : u) x = unit(random);
      for (auto order : {MultiplicationOrder::kProductFirst, MultiplicationOrder::kLeftToRight}) {
        for (auto completion : {Completion::kCorrected, Completion::kProduct}) {
          const auto expected = literal_mapping(u, order, completion);
          const auto got = mapped(u, order, completion);
          for (std::size_t j = 0; j < got.size(); ++j) {
            ASSERT_EQ(std::memcmp(&got[j], &expected[j], sizeof(double)), 0) << m << " " << j;
          }
        }
      }
    }
  }
}

TEST(CubeToSimplex, UnusualCoordinatesGiveTheLiteralResultBitForBit) {
  const double odd[] = {0.0,
                        -0.0,
                        1.0,
                        -0.5,
                        5e-324,
                        1e-300,
                        0.999999999999,
                        2.0,
                        std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity()};
  for (double first : odd) {
    for (double last : odd) {
      for (auto order : {MultiplicationOrder::kProductFirst, MultiplicationOrder::kLeftToRight}) {
        for (auto completion : {Completion::kCorrected, Completion::kProduct}) {
          const std::vector<double> u = {first, 0.3, last};
          const auto expected = literal_mapping(u, order, completion);
          const auto got = mapped(u, order, completion);
          for (std::size_t j = 0; j < got.size(); ++j) {
            // Which NaN a product of NaNs yields depends on the compiler's operand order.
            if (std::isnan(expected[j])) {
              EXPECT_TRUE(std::isnan(got[j]));
              continue;
            }
            ASSERT_EQ(std::memcmp(&got[j], &expected[j], sizeof(double)), 0)
                << first << " " << last;
          }
        }
      }
    }
  }
}

TEST(CubeToSimplex, SmallDimensionsAndBoundaryCoordinates) {
  for (auto completion : {Completion::kCorrected, Completion::kProduct}) {
    EXPECT_EQ(mapped({}, MultiplicationOrder::kProductFirst, completion), (std::vector<double>{1}));
    const auto w2 = mapped({0.25}, MultiplicationOrder::kProductFirst, completion);
    EXPECT_EQ(w2, (std::vector<double>{0.75, 0.25}));
    // u_i = 1 gives w_i = 0; u_i = 0 zeroes every later component, the product one included.
    const auto one = mapped({1.0, 0.5}, MultiplicationOrder::kProductFirst, completion);
    EXPECT_EQ(one[0], 0.0);
    const auto zero = mapped({0.0, 0.5, 0.3}, MultiplicationOrder::kLeftToRight, completion);
    EXPECT_EQ(zero[0], 1.0);
    EXPECT_EQ(zero[1], 0.0);
    EXPECT_EQ(zero[2], 0.0);
    EXPECT_EQ(zero[3], 0.0);
  }
}

TEST(CubeToSimplex, NegativeCoordinatePropagatesNaN) {
  const auto w = mapped({-0.5, 0.5}, MultiplicationOrder::kProductFirst, Completion::kCorrected);
  EXPECT_TRUE(std::isnan(w[0]));
  EXPECT_TRUE(std::isnan(w[2]));
}

TEST(LatticeSimplexRows, TheTraceShowsThePointsThenTheRowsBetweenRulers) {
  const std::string points =
      "_______________________\n0.250000\t\n0.750000\t\n_______________________\n";
  const std::string rows_trace =
      "===========================\n0.750000 \t0.250000 \t\n0.250000 \t0.750000 \t\n"
      "===========================\n";
  for (bool quiet : {false, true}) {
    std::string rows;
    std::string trace_text;
    {
      Writer stream(&rows);
      Writer out(&trace_text);
      Writer discard(-1, Writer::Kind::kDiscard);
      TglpTrace trace(quiet ? discard : out);
      RowPrinter printer(stream, RowFormat::kFixed);
      lattice_simplex_rows({1}, 2, printer, trace);
    }
    EXPECT_EQ(rows, "0.750000 0.250000 \n0.250000 0.750000 \n");
    EXPECT_EQ(trace_text, quiet ? "" : points + rows_trace);
  }
}

}  // namespace
}  // namespace simplex_weights::detail
