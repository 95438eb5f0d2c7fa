#include "math/geometry.h"

namespace simplex_weights::detail {

int largest_simplex_level(std::size_t m, double most_points, int highest) {
  int H = 0;
  while (H < highest && simplex_lattice_size(m, H + 1) <= most_points) ++H;
  return H;
}

std::vector<double> simplex_lattice_points(std::size_t m, int H) {
  std::vector<double> points;
  points.reserve(static_cast<std::size_t>(simplex_lattice_size(m, H)) * m);
  for_each_simplex_point(m, H, [&](const double* x) { points.insert(points.end(), x, x + m); });
  return points;
}

}  // namespace simplex_weights::detail
