#include "math/discrepancy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

#include "math/good_lattice.h"

namespace simplex_weights::detail {

namespace {

// The formula term by term, every ordered pair, in long double, as a reference.
double brute_force(const std::vector<double>& x, std::size_t n, std::size_t s) {
  long double singles = 0;
  long double pairs = 0;
  for (std::size_t i = 0; i < n; ++i) {
    long double single = 1;
    for (std::size_t k = 0; k < s; ++k) {
      const double z = std::fabs(x[i * s + k] - 0.5);
      single *= 1 + z / 2 - z * z / 2;
    }
    singles += single;
    for (std::size_t j = 0; j < n; ++j) {
      long double pair = 1;
      for (std::size_t k = 0; k < s; ++k) {
        const long double a = x[i * s + k];
        const long double b = x[j * s + k];
        pair *= 1 + std::fabs(a - 0.5L) / 2 + std::fabs(b - 0.5L) / 2 - std::fabs(a - b) / 2;
      }
      pairs += pair;
    }
  }
  const long double count = static_cast<long double>(n);
  return static_cast<double>(std::pow(13.0L / 12.0L, static_cast<long double>(s)) -
                             2 / count * singles + pairs / (count * count));
}

TEST(CentredDiscrepancy, MatchesThePublishedValue) {
  // Six points (x - 0.5) / 6, as scipy.stats.qmc.discrepancy documents.
  const double x[6][2] = {{1, 3}, {2, 6}, {3, 2}, {4, 5}, {5, 1}, {6, 4}};
  std::vector<double> points;
  for (const auto& point : x) {
    for (double v : point) points.push_back((v - 0.5) / 6);
  }
  EXPECT_NEAR(simplex_weights::centred_l2_discrepancy(points.data(), 6, 2), 0.008142039609053513,
              1e-15);
}

TEST(CentredDiscrepancy, AgreesWithTheFormulaOnRandomLattices) {
  std::mt19937 random(11);
  for (std::size_t n : {3u, 7u, 101u, 255u, 256u, 257u, 600u, 2003u}) {
    for (std::size_t s : {1u, 2u, 5u, 9u}) {
      const int modulus = static_cast<int>(n);
      std::vector<int> h{1};
      for (std::size_t k = 1; k < s; ++k) h.push_back(1 + static_cast<int>(random() % (n - 1)));
      std::vector<double> cube;
      LatticeIndices q(h, modulus);
      for (std::size_t i = 0; i < n; ++i) {
        q.advance();
        for (std::size_t k = 0; k < s; ++k) cube.push_back(lattice_coordinate(q[k], modulus));
      }
      const double expected = brute_force(cube, n, s);
      // The terms reach 1.5^s and the sums cancel to CD2: the error is absolute, about
      // n * 2^-52 of the largest term at most.
      EXPECT_NEAR(simplex_weights::centred_l2_discrepancy(cube.data(), n, s), expected,
                  0x1p-52 * static_cast<double>(n) * std::pow(1.5, static_cast<double>(s)))
          << n << " " << s;
    }
  }
}

// Large sets of the plane take their pair sum by sorting and dominance counts: against the
// formula for lattices, for random points, and for points with many equal coordinates.
TEST(CentredDiscrepancy, AgreesWithTheFormulaInThePlaneFromTwoThousandPoints) {
  std::mt19937 random(3);
  std::uniform_real_distribution<double> uniform(0, 1);
  for (int kind = 0; kind < 3; ++kind) {
    const std::size_t n = 2003;
    std::vector<double> points(2 * n);
    if (kind == 0) {
      const std::vector<int> h{1, 1157};
      LatticeIndices q(h, static_cast<int>(n));
      for (std::size_t i = 0; i < n; ++i) {
        q.advance();
        for (std::size_t k = 0; k < 2; ++k) {
          points[2 * i + k] = lattice_coordinate(q[k], static_cast<int>(n));
        }
      }
    }
    for (std::size_t v = 0; v < 2 * n && kind > 0; ++v) {
      points[v] = kind == 1 ? uniform(random) : std::floor(uniform(random) * 8) / 8;
    }
    EXPECT_NEAR(simplex_weights::centred_l2_discrepancy(points.data(), n, 2),
                brute_force(points, n, 2), 0x1p-52 * static_cast<double>(n) * 2.25)
        << kind;
  }
}

}  // namespace
}  // namespace simplex_weights::detail
