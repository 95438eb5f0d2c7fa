// Sets of least Riesz s-energy: the energy's definition, and what the descent keeps.
#include "constructions/energy_set.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "simplex_weights/errors.h"
#include "simplex_weights/random.h"

namespace simplex_weights::detail {
namespace {

double direct_energy(const std::vector<double>& x, std::size_t m, double s) {
  const std::size_t n = x.size() / m;
  double sum = 0;
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = i + 1; j < n; ++j) {
      double d2 = 0;
      for (std::size_t k = 0; k < m; ++k) d2 += std::pow(x[i * m + k] - x[j * m + k], 2);
      sum += std::pow(d2, -s / 2);
    }
  }
  return std::log(sum / (0.5 * static_cast<double>(n * (n - 1))));
}

TEST(RieszEnergy, IsTheLogOfTheMeanOfTheInversePowers) {
  const std::vector<double> x = {1, 0, 0, 0.5, 0.5, 0, 0.2, 0.3, 0.5, 0, 0, 1};
  for (double s : {1.0, 2.5, 6.0}) {
    EXPECT_NEAR(riesz_energy(x.data(), 4, 3, s), direct_energy(x, 3, s), 1e-12) << s;
  }
  // Pairs closer than any power of a double could hold still give a finite energy.
  const std::vector<double> close = {0, 1, 1e-150, 1, 1, 0};
  EXPECT_TRUE(std::isfinite(riesz_energy(close.data(), 3, 2, 6)));
  const std::vector<double> twice = {0.5, 0.5, 0.5, 0.5, 1, 0};
  EXPECT_TRUE(std::isinf(riesz_energy(twice.data(), 3, 2, 6)));
}

TEST(Descend, LowersTheEnergyKeepsTheVerticesAndStaysOnTheSimplex) {
  std::vector<double> x = {1,   0,   0,   0,    1,   0,    0,   0,   1,
                           0.3, 0.3, 0.4, 0.32, 0.3, 0.38, 0.1, 0.8, 0.1};
  const DescentOutcome outcome = descend(x.data(), 6, 3, 6);
  EXPECT_LT(outcome.energy, outcome.start_energy);
  EXPECT_NEAR(outcome.energy, direct_energy(x, 3, 6), 1e-9);
  EXPECT_EQ(std::vector<double>(x.begin(), x.begin() + 9),
            (std::vector<double>{1, 0, 0, 0, 1, 0, 0, 0, 1}));
  for (std::size_t i = 0; i < 6; ++i) {
    double sum = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      EXPECT_GE(x[i * 3 + k], 0);
      sum += x[i * 3 + k];
    }
    EXPECT_NEAR(sum, 1, 1e-12);
  }
}

TEST(EnergySet, HoldsNDistinctRowsWithTheVerticesForEverySeed) {
  for (unsigned seed : {1u, 2u, 99u}) {
    GlibcRandom random(seed);
    const EnergySet result = energy_set(4, 30, random, 8);
    ASSERT_EQ(result.set.rows, 30u);
    std::set<std::vector<double>> rows;
    for (std::size_t i = 0; i < 30; ++i) rows.emplace(result.set.row(i), result.set.row(i) + 4);
    EXPECT_EQ(rows.size(), 30u);
    for (std::size_t j = 0; j < 4; ++j) {
      std::vector<double> vertex(4, 0.0);
      vertex[j] = 1;
      EXPECT_EQ(rows.count(vertex), 1u) << j;
    }
    EXPECT_LE(result.outcome.energy, result.outcome.start_energy);
  }
}

TEST(EnergySet, RefusesArgumentsOutOfRange) {
  EXPECT_THROW(check_energy_arguments(1, 10, 2), InvalidArgument);
  EXPECT_THROW(check_energy_arguments(5, 4, 10), InvalidArgument);
  EXPECT_THROW(check_energy_arguments(3, 20001, 6), InvalidArgument);
  EXPECT_THROW(check_energy_arguments(3, 10, 0), InvalidArgument);
  EXPECT_NO_THROW(check_energy_arguments(3, 3, 6));
}

}  // namespace
}  // namespace simplex_weights::detail
