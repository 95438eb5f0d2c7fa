#include "math/geometry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numeric>

#include "support/cancel.h"

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

double closest_squared_distance(const double* points, std::size_t n, std::size_t m) {
  std::vector<std::size_t> order(n);
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return points[a * m] < points[b * m]; });
  double best = std::numeric_limits<double>::infinity();
  CancelCheck check(256);
  for (std::size_t i = 0; i < n; ++i) {
    check();
    const double* a = points + order[i] * m;
    for (std::size_t k = i + 1; k < n; ++k) {
      const double* b = points + order[k] * m;
      const double dx = b[0] - a[0];
      if (dx * dx >= best) break;
      best = std::min(best, squared_distance(a, b, m));
    }
  }
  return best;
}

double squared_distance_to_simplex_lattice(const double* x, std::size_t m, int H) {
  // The rounding error of each component, in units of 1 / H, and the units the rounded
  // components hold beyond H; short rows keep their errors on the stack, as this is asked of
  // every point of a finer lattice.
  constexpr std::size_t kShortRow = 16;
  std::array<double, kShortRow> short_error{};
  std::vector<double> long_error(m > kShortRow ? m : 0);
  double* error = m > kShortRow ? long_error.data() : short_error.data();
  double excess = -H;
  for (std::size_t k = 0; k < m; ++k) {
    const double scaled = x[k] * H;
    const double rounded = std::round(scaled);
    error[k] = rounded - scaled;
    excess += rounded;
  }
  // Each unit too many comes off the component rounded up the most, each unit too few goes
  // onto the one rounded down the most: the errors of those components change by one.
  if (m > kShortRow) {
    std::sort(error, error + m);
  } else {
    for (std::size_t k = 1; k < m; ++k) {
      const double value = error[k];
      std::size_t place = k;
      for (; place > 0 && error[place - 1] > value; --place) error[place] = error[place - 1];
      error[place] = value;
    }
  }
  const auto units = static_cast<std::size_t>(std::min(std::abs(excess), static_cast<double>(m)));
  for (std::size_t u = 0; u < units; ++u) {
    if (excess > 0) {
      error[m - 1 - u] -= 1;
    } else {
      error[u] += 1;
    }
  }
  double sum = 0;
  for (std::size_t k = 0; k < m; ++k) sum += error[k] * error[k];
  return sum / (static_cast<double>(H) * H);
}

}  // namespace simplex_weights::detail
