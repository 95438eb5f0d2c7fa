// The simplex lattice: its points, and the nearest of them to a point of the simplex.
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

}  // namespace
}  // namespace simplex_weights::detail
