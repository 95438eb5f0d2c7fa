#include "math/geometry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <numeric>
#include <utility>

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

namespace {

// The closest pair by a sweep in the order of the first coordinate: pairs further apart in it
// than the closest so far are never compared.
double swept_closest_squared_distance(const double* points, std::size_t n, std::size_t m) {
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

// The grids' axes at most: projections of a point on that many unit vectors.
constexpr std::size_t kMostAxes = 3;

// The least and largest projection along each axis.
struct Extent {
  std::array<double, kMostAxes> low{}, high{};
};

// Points sorted into the cells of a grid over `axes` of their projections on unit vectors
// (`along`, kMostAxes a point), cells of side `side`: two points closer than the side are
// closer than that along every unit vector, and so lie in the same cell or in neighbouring
// ones.
class PointGrid {
 public:
  // A grid of at most `most_cells` cells over projections spread from `low` to `high`; fits()
  // tells whether the side allowed one.
  PointGrid(const double* points, const double* along, const Extent& extent, std::size_t n,
            std::size_t m, std::size_t axes, double side, double most_cells)
      : points_(points), m_(m), axes_(axes), side_(side), low_(extent.low) {
    double cells = 1;
    for (std::size_t k = 0; k < axes_; ++k) {
      const double cells_along = std::floor((extent.high[k] - low_[k]) / side_) + 1;
      cells *= cells_along;
      if (!(cells <= most_cells)) return;
      count_[k] = static_cast<std::size_t>(cells_along);
    }
    fits_ = true;
    // By cell: counted, then placed.
    std::vector<std::size_t> cell(n);
    start_.assign(static_cast<std::size_t>(cells) + 1, 0);
    for (std::size_t i = 0; i < n; ++i) {
      cell[i] = cell_of(along + i * kMostAxes);
      ++start_[cell[i] + 1];
    }
    for (std::size_t c = 1; c < start_.size(); ++c) start_[c] += start_[c - 1];
    order_.resize(n);
    std::vector<std::size_t> next(start_.begin(), start_.end() - 1);
    for (std::size_t i = 0; i < n; ++i) order_[next[cell[i]]++] = i;
  }

  bool fits() const { return fits_; }

  // The least squared distance of two points of one cell, at most `best`.
  double closest_within_cells(double best) const {
    CancelCheck check(256);
    for (std::size_t c = 0; c + 1 < start_.size(); ++c) {
      check();
      best = std::min(best, closest_between(start_[c], start_[c + 1], start_[c], start_[c + 1]));
    }
    return best;
  }

  // The least squared distance of two points in the same or neighbouring cells, at most
  // `best`: the closest pair's, where that is below the side's square.
  double closest_near(double best) const {
    CancelCheck check(256);
    std::array<std::size_t, kMostAxes> index{};
    for (std::size_t c = 0; c + 1 < start_.size(); ++c) {
      check();
      if (start_[c] != start_[c + 1]) {
        best = std::min(best, closest_between(start_[c], start_[c + 1], start_[c], start_[c + 1]));
        // Each pair of neighbouring cells once: from the cell to those of larger number.
        for_each_later_neighbour(index, [&](std::size_t neighbour) {
          best = std::min(best, closest_between(start_[c], start_[c + 1], start_[neighbour],
                                                start_[neighbour + 1]));
        });
      }
      advance(index);
    }
    return best;
  }

 private:
  std::size_t cell_of(const double* projections) const {
    std::size_t cell = 0;
    for (std::size_t k = 0; k < axes_; ++k) {
      const double place = std::floor((projections[k] - low_[k]) / side_);
      cell = cell * count_[k] +
             static_cast<std::size_t>(std::clamp(place, 0.0, static_cast<double>(count_[k] - 1)));
    }
    return cell;
  }

  // The least squared distance between the points [a_begin, a_end) and [b_begin, b_end) of
  // order_; within one range, each pair once.
  double closest_between(std::size_t a_begin, std::size_t a_end, std::size_t b_begin,
                         std::size_t b_end) const {
    double best = std::numeric_limits<double>::infinity();
    for (std::size_t a = a_begin; a < a_end; ++a) {
      const double* x = points_ + order_[a] * m_;
      for (std::size_t b = a_begin == b_begin ? a + 1 : b_begin; b < b_end; ++b) {
        best = std::min(best, squared_distance(x, points_ + order_[b] * m_, m_));
      }
    }
    return best;
  }

  // The cell's index along each axis, moved on to the next cell's.
  void advance(std::array<std::size_t, kMostAxes>& index) const {
    for (std::size_t k = axes_; k > 0; --k) {
      if (++index[k - 1] < count_[k - 1]) return;
      index[k - 1] = 0;
    }
  }

  // visit(cell) for each neighbouring cell of larger number than the cell at `index`.
  template <typename Visit>
  void for_each_later_neighbour(const std::array<std::size_t, kMostAxes>& index,
                                Visit visit) const {
    std::size_t offsets = 1;
    for (std::size_t k = 0; k < axes_; ++k) offsets *= 3;
    // The offsets in the order of the cells' numbers: those past the middle one are later.
    for (std::size_t offset = offsets / 2 + 1; offset < offsets; ++offset) {
      std::size_t neighbour = 0;
      bool inside = true;
      std::size_t rest = offset;
      std::size_t scale = offsets / 3;
      for (std::size_t k = 0; k < axes_; ++k) {
        const std::size_t step = rest / scale;  // 0, 1, 2 for -1, 0, +1
        rest %= scale;
        scale = std::max<std::size_t>(scale / 3, 1);
        inside = inside && index[k] + step >= 1 && index[k] + step <= count_[k];
        neighbour = neighbour * count_[k] + (index[k] + step - 1);
      }
      if (inside) visit(neighbour);
    }
  }

  const double* points_;
  std::size_t m_, axes_;
  double side_;
  std::array<double, kMostAxes> low_;
  std::array<std::size_t, kMostAxes> count_{};
  bool fits_ = false;
  std::vector<std::size_t> start_;  // the first of each cell's points in order_
  std::vector<std::size_t> order_;  // the points by cell
};

// From this many points and columns on, the closest pair is found on grids; below, the sweep
// compares few pairs anyway.
constexpr std::size_t kPointsForGrid = 1000;
constexpr std::size_t kColumnsForGrid = 4;

// Each point's projections on kMostAxes unit vectors of the simplex's plane (rows of the
// discrete cosine transform, which spread a simplex's vertices, and so the clusters of rows
// that gather near them, over distinct values).
std::vector<double> grid_projections(const double* points, std::size_t n, std::size_t m) {
  std::vector<double> unit(kMostAxes * m);
  for (std::size_t k = 0; k < kMostAxes; ++k) {
    for (std::size_t j = 0; j < m; ++j) {
      unit[k * m + j] = std::sqrt(2.0 / static_cast<double>(m)) *
                        std::cos(std::numbers::pi * static_cast<double>(k + 1) *
                                 (static_cast<double>(j) + 0.5) / static_cast<double>(m));
    }
  }
  std::vector<double> along(n * kMostAxes);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t k = 0; k < kMostAxes; ++k) {
      double sum = 0;
      for (std::size_t j = 0; j < m; ++j) sum += unit[k * m + j] * points[i * m + j];
      along[i * kMostAxes + k] = sum;
    }
  }
  return along;
}

}  // namespace

double closest_squared_distance(const double* points, std::size_t n, std::size_t m) {
  if (n < kPointsForGrid || m < kColumnsForGrid)
    return swept_closest_squared_distance(points, n, m);
  // A coarse grid of about two points a cell bounds the closest pair by pairs that share a
  // cell; on a grid of that bound's side the closest pair lies in neighbouring cells.
  const std::vector<double> along = grid_projections(points, n, m);
  Extent extent;
  extent.low.fill(std::numeric_limits<double>::infinity());
  extent.high.fill(-std::numeric_limits<double>::infinity());
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t k = 0; k < kMostAxes; ++k) {
      extent.low[k] = std::min(extent.low[k], along[i * kMostAxes + k]);
      extent.high[k] = std::max(extent.high[k], along[i * kMostAxes + k]);
    }
  }
  const std::size_t axes = kMostAxes;
  const double most_cells = 8 * static_cast<double>(n);
  double volume = 1;
  for (std::size_t k = 0; k < axes; ++k) volume *= extent.high[k] - extent.low[k];
  const double coarse_side =
      std::pow(2 * volume / static_cast<double>(n), 1.0 / static_cast<double>(axes));
  const PointGrid coarse(points, along.data(), extent, n, m, axes, coarse_side, most_cells);
  if (!(coarse_side > 0) || !coarse.fits()) return swept_closest_squared_distance(points, n, m);
  const double bound = coarse.closest_within_cells(std::numeric_limits<double>::infinity());
  if (!(bound > 0)) return bound;  // two points coincide
  if (!std::isfinite(bound)) return swept_closest_squared_distance(points, n, m);
  // A side a little over the bound's root, so that a pair at the bound lies in neighbouring
  // cells whatever the rounding of the projections and the cells' edges; over fewer axes where
  // so small a side would make too many cells.
  const double fine_side = std::sqrt(bound) * (1 + 1e-6);
  for (std::size_t fine_axes = axes; fine_axes > 0; --fine_axes) {
    const PointGrid fine(points, along.data(), extent, n, m, fine_axes, fine_side, most_cells);
    if (fine.fits()) return fine.closest_near(bound);
  }
  return swept_closest_squared_distance(points, n, m);
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
