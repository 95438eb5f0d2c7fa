// Sets of least Riesz s-energy: the energy's definition, and what the descent keeps.
#include "constructions/energy_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <vector>

#include "math/geometry.h"
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

// Rows as a set of rows, for comparisons that ignore their order.
std::set<std::vector<double>> row_set(const WeightSet& set) {
  std::set<std::vector<double>> rows;
  for (std::size_t i = 0; i < set.rows; ++i) rows.emplace(set.row(i), set.row(i) + set.columns);
  return rows;
}

TEST(EnergyStart, IsTheSimplexLatticeWhereNIsItsSize) {
  GlibcRandom random(1);
  const WeightSet start = energy_start(5, 210, random);
  const std::vector<double> lattice = simplex_lattice_points(5, 6);
  EXPECT_EQ(std::vector<double>(start.values.begin(), start.values.end()), lattice);
  // The descent ends next to it: the lattice is nearly a minimum of the energy.
  GlibcRandom again(1);
  const EnergySet set = energy_set(5, 210, again, 10);
  const double lattice_energy = riesz_energy(lattice.data(), 210, 5, 10);
  EXPECT_LE(set.outcome.energy, lattice_energy);
  EXPECT_GT(set.outcome.energy, lattice_energy - 1e-4);
}

// Between two lattices' sizes the start holds the smaller lattice and distinct further rows on
// the simplex; where no finer lattice is small enough (m = 300), tglp's rows give them.
TEST(EnergyStart, HoldsTheLatticeBelowAndDistinctRowsOnTheSimplex) {
  struct Case {
    int m, N, H;
  };
  for (const Case& c : {Case{3, 100, 12}, Case{10, 275, 3}, Case{300, 400, 1}}) {
    for (unsigned seed : {1u, 7u}) {
      GlibcRandom random(seed);
      const WeightSet start = energy_start(c.m, c.N, random);
      const std::set<std::vector<double>> rows = row_set(start);
      EXPECT_EQ(rows.size(), static_cast<std::size_t>(c.N)) << c.m << " " << c.N;
      const std::vector<double> lattice = simplex_lattice_points(start.columns, c.H);
      for (std::size_t i = 0; i < lattice.size(); i += start.columns) {
        EXPECT_EQ(rows.count({lattice.begin() + static_cast<long>(i),
                              lattice.begin() + static_cast<long>(i + start.columns)}),
                  1u);
      }
      for (const std::vector<double>& row : rows) {
        double sum = 0;
        for (double v : row) sum += v;
        EXPECT_NEAR(sum, 1, 1e-12);
        EXPECT_GE(*std::min_element(row.begin(), row.end()), 0);
      }
    }
  }
}

// The squared distance from `point` to the nearest of the first `rows` rows of the set.
double nearest_row(const WeightSet& set, std::size_t rows, const double* point) {
  double nearest = std::numeric_limits<double>::infinity();
  for (std::size_t j = 0; j < rows; ++j) {
    nearest = std::min(nearest,
                       squared_distance(set.values.data() + j * set.columns, point, set.columns));
  }
  return nearest;
}

// Each row beyond the lattice is, when it is taken, a point of the lattice of three times the
// level that is farthest from every row before it.
TEST(EnergyStart, TakesACandidateFarthestFromTheRowsEachTime) {
  struct Case {
    int m, N, H;
  };
  for (const Case& c : {Case{3, 100, 12}, Case{6, 100, 3}}) {
    GlibcRandom random(3);
    const WeightSet start = energy_start(c.m, c.N, random);
    const std::size_t m = start.columns;
    const std::vector<double> candidates = simplex_lattice_points(m, 3 * c.H);
    const std::set<std::vector<double>> candidate_set = [&] {
      std::set<std::vector<double>> rows;
      for (std::size_t i = 0; i < candidates.size(); i += m) {
        rows.insert({candidates.begin() + static_cast<long>(i),
                     candidates.begin() + static_cast<long>(i + m)});
      }
      return rows;
    }();
    for (std::size_t k = simplex_lattice_points(m, c.H).size() / m; k < start.rows; ++k) {
      const double* row = start.values.data() + k * m;
      EXPECT_EQ(candidate_set.count({row, row + m}), 1u) << c.m << " row " << k;
      double farthest = 0;
      for (std::size_t i = 0; i < candidates.size(); i += m) {
        farthest = std::max(farthest, nearest_row(start, k, candidates.data() + i));
      }
      EXPECT_NEAR(nearest_row(start, k, row), farthest, 1e-9 * farthest) << c.m << " row " << k;
    }
  }
}

// The seed orders the candidates that are equally far, of which a lattice has many.
TEST(EnergyStart, IsReproducibleFromItsSeed) {
  GlibcRandom first(1), again(1), other(2);
  const WeightSet a = energy_start(3, 100, first);
  EXPECT_EQ(a.values, energy_start(3, 100, again).values);
  EXPECT_NE(a.values, energy_start(3, 100, other).values);
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
