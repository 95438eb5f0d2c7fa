// The simplex lattice: its points, and the nearest of them to a point of the simplex; the
// closest pair of a set.
#include "math/geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <vector>

namespace simplex_weights::detail {
namespace {

TEST(SimplexLattice, HoldsEveryCompositionOnce) {
  const std::vector<double> points = simplex_lattice_points(4, 5);
  EXPECT_EQ(points.size(), static_cast<std::size_t>(simplex_lattice_size(4, 5)) * 4);
  EXPECT_EQ(largest_simplex_level(4, 56), 5);  // C(8, 3) = 56
  EXPECT_EQ(largest_simplex_level(4, 55), 4);
}

// Against the nearest of every lattice point, for points drawn anywhere on the simplex, on its
// faces, and at lattice points themselves.
TEST(SimplexLattice, TheNearestPointFoundByRoundingIsTheNearestOfAll) {
  std::mt19937 engine(5);
  std::exponential_distribution<double> spread(1.0);
  for (std::size_t m : {2u, 3u, 5u, 10u}) {
    for (int H : {1, 2, 3, 7}) {
      const std::vector<double> lattice = simplex_lattice_points(m, H);
      for (int draw = 0; draw < 200; ++draw) {
        std::vector<double> x(m);
        double sum = 0;
        for (std::size_t k = 0; k < m; ++k) {
          x[k] = draw % 3 == 0 && k % 2 == 1 ? 0 : spread(engine);  // a third on faces
          sum += x[k];
        }
        if (draw % 17 == 0) {  // a lattice point
          std::copy_n(lattice.begin(), m, x.begin());
          sum = 1;
        }
        for (double& v : x) v /= sum;
        double nearest = std::numeric_limits<double>::infinity();
        for (std::size_t p = 0; p < lattice.size(); p += m) {
          double d2 = 0;
          for (std::size_t k = 0; k < m; ++k)
            d2 += (x[k] - lattice[p + k]) * (x[k] - lattice[p + k]);
          nearest = std::min(nearest, d2);
        }
        EXPECT_NEAR(squared_distance_to_simplex_lattice(x.data(), m, H), nearest, 1e-12)
            << "m " << m << " H " << H << " draw " << draw;
      }
    }
  }
}

double closest_by_every_pair(const std::vector<double>& points, std::size_t m) {
  double best = std::numeric_limits<double>::infinity();
  for (std::size_t i = 0; i < points.size(); i += m) {
    for (std::size_t j = i + m; j < points.size(); j += m) {
      best = std::min(best, squared_distance(points.data() + i, points.data() + j, m));
    }
  }
  return best;
}

// Exactly the least over every pair, on sets that favour each way of finding it: spread over
// the simplex or the cube, clustered in a corner, on a line (no volume for a grid), with a
// repeated point, and a lattice's own regular rows.
TEST(ClosestPair, IsTheLeastOverEveryPairForEveryShapeOfSet) {
  std::mt19937 engine(11);
  std::exponential_distribution<double> spread(1.0);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (std::size_t m : {3u, 4u, 5u, 8u}) {
    for (int shape = 0; shape < 6; ++shape) {
      std::vector<double> points =
          shape == 5 ? simplex_lattice_points(m, m == 3 ? 50 : 8) : std::vector<double>(1500 * m);
      const std::size_t n = points.size() / m;
      for (std::size_t i = 0; shape < 5 && i < n; ++i) {
        double sum = 0;
        for (std::size_t k = 0; k < m; ++k) {
          double& x = points[i * m + k];
          x = shape == 1 ? unit(engine) : shape == 3 && k > 0 ? 0.5 : spread(engine);
          if (shape == 2) x = 1e-3 * x + (k == 0 ? 1 : 0);  // near the vertex e_1
          sum += x;
        }
        for (std::size_t k = 0; shape != 1 && shape != 3 && k < m; ++k) points[i * m + k] /= sum;
      }
      if (shape == 4) std::copy_n(points.begin(), m, points.begin() + static_cast<long>(700 * m));
      EXPECT_EQ(closest_squared_distance(points.data(), points.size() / m, m),
                closest_by_every_pair(points, m))
          << "m " << m << " shape " << shape;
    }
  }
}

// Where the closest pair straddles two cells of a grid: many draws of random rows, whose
// closest pair lands anywhere.
TEST(ClosestPair, IsFoundAcrossTheCellsOfItsGrids) {
  std::mt19937 engine(12);
  std::exponential_distribution<double> spread(1.0);
  for (std::size_t m : {4u, 6u}) {
    for (int draw = 0; draw < 25; ++draw) {
      std::vector<double> points(1000 * m);
      for (std::size_t i = 0; i < points.size(); i += m) {
        double sum = 0;
        for (std::size_t k = 0; k < m; ++k) sum += points[i + k] = spread(engine);
        for (std::size_t k = 0; k < m; ++k) points[i + k] /= sum;
      }
      EXPECT_EQ(closest_squared_distance(points.data(), 1000, m), closest_by_every_pair(points, m))
          << "m " << m << " draw " << draw;
    }
  }
}

}  // namespace
}  // namespace simplex_weights::detail
