// Geometry of point sets that the search and the figures share: distances, the number of
// points of a simplex lattice, and its points in order.
#pragma once

#include <cstddef>
#include <vector>

namespace simplex_weights::detail {

/// |a - b|^2 over m coordinates.
inline double squared_distance(const double* a, const double* b, std::size_t m) {
  double sum = 0;
  for (std::size_t j = 0; j < m; ++j) sum += (a[j] - b[j]) * (a[j] - b[j]);
  return sum;
}

/// C(n, k) as a double (exact while it stays below 2^53).
inline double binomial(long long n, long long k) {
  double result = 1;
  for (long long i = 1; i <= k; ++i) {
    result = result * static_cast<double>(n - k + i) / static_cast<double>(i);
  }
  return result;
}

/// Points of the simplex lattice {c / H : c_j >= 0 integers, sum c_j = H} in m dimensions:
/// C(H + m - 1, m - 1).
inline double simplex_lattice_size(std::size_t m, int H) {
  return binomial(H + static_cast<long long>(m) - 1, static_cast<long long>(m) - 1);
}

/// The largest H (at most `highest`) whose simplex lattice in m dimensions has at most
/// `most_points` points; 0 when even H = 1 has more.
int largest_simplex_level(std::size_t m, double most_points, int highest = 100000);

/// Calls visit(x) for every point x (m doubles) of the simplex lattice of level H >= 1, in
/// reverse lexicographic order of c: (H, 0, ..., 0) first, (0, ..., 0, H) last.
template <typename Visit>
void for_each_simplex_point(std::size_t m, int H, Visit visit) {
  std::vector<int> c(m, 0);
  std::vector<double> x(m);
  c[0] = H;
  for (;;) {
    for (std::size_t j = 0; j < m; ++j) x[j] = static_cast<double>(c[j]) / H;
    visit(x.data());
    // The next composition: one unit moves right of the last non-zero entry before the end.
    std::size_t p = m - 1;
    while (p > 0 && c[p - 1] == 0) --p;
    if (p == 0) return;
    --c[p - 1];
    const int rest = c[m - 1] + 1;
    c[m - 1] = 0;
    c[p] = rest;
  }
}

/// The points of that lattice, row-major.
std::vector<double> simplex_lattice_points(std::size_t m, int H);

/// The least squared distance between two of the n points (m columns, row-major), exactly:
/// from 1000 points of 4 columns on, on grids over the first coordinates (a coarse one bounds
/// it by pairs that share a cell, one of that bound's side finds it among neighbouring cells);
/// otherwise swept in the order of the first coordinate, pairs further apart in it than the
/// closest so far never compared. Infinity for fewer than two points.
double closest_squared_distance(const double* points, std::size_t n, std::size_t m);

/// The squared distance from a point x of the simplex (m doubles) to the nearest point of the
/// simplex lattice of level H, found by rounding as for the lattice A_{m-1} (Conway and Sloane):
/// H x rounded, then the components rounded furthest moved back until they sum to H.
double squared_distance_to_simplex_lattice(const double* x, std::size_t m, int H);

}  // namespace simplex_weights::detail
