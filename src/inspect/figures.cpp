#include "inspect/figures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "math/discrepancy.h"
#include "math/geometry.h"
#include "nanoflann.hpp"
#include "support/cancel.h"
#include "support/fan_out.h"

namespace simplex_weights::detail {
namespace {

// Up to this many columns the k-d tree finds neighbours faster than comparing all pairs.
constexpr int kTreeColumns = 16;

std::string count_text(double x) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.3g", x);
  return buffer;
}

Figure skipped(double work) {
  return {std::nullopt, "skipped: " + count_text(work) + " pair terms, over the budget of " +
                            count_text(kPairBudget)};
}

// The distinct rows as flat points of m doubles.
struct PointCloud {
  std::vector<double> points;
  std::size_t m;
  std::size_t kdtree_get_point_count() const { return points.size() / m; }
  double kdtree_get_pt(std::size_t i, std::size_t j) const { return points[i * m + j]; }
  const double* point(std::size_t i) const { return points.data() + i * m; }
  template <class Box>
  bool kdtree_get_bbox(Box&) const {
    return false;
  }
};

using Tree = nanoflann::KDTreeSingleIndexAdaptor<nanoflann::L2_Adaptor<double, PointCloud>,
                                                 PointCloud, -1, std::size_t>;

// Nearest neighbours: by the k-d tree for few columns, else by every pair.
class Neighbours {
 public:
  explicit Neighbours(const PointCloud& cloud) : cloud_(cloud) {
    if (cloud.m <= kTreeColumns) {
      tree_.emplace(static_cast<int>(cloud.m), cloud,
                    nanoflann::KDTreeSingleIndexAdaptorParams(16));
    }
  }
  /// Squared distance from q to the nearest point other than `self` (pass a count for none).
  double nearest(const double* q, std::size_t self) const {
    const std::size_t n = cloud_.kdtree_get_point_count();
    if (tree_) {
      std::size_t indices[2];
      double squared[2];
      const std::size_t found = tree_->knnSearch(q, self < n ? 2 : 1, indices, squared);
      return found > 1 && indices[0] == self ? squared[1] : squared[0];
    }
    double best = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < n; ++i) {
      if (i != self) best = std::min(best, squared_distance(q, cloud_.point(i), cloud_.m));
    }
    return best;
  }
  /// Pair work of one query.
  double query_work() const {
    return tree_ ? 64.0 * static_cast<double>(cloud_.m)
                 : static_cast<double>(cloud_.kdtree_get_point_count() * cloud_.m);
  }

 private:
  const PointCloud& cloud_;
  std::optional<Tree> tree_;
};

// Runs work(begin, end, part) over [0, n) split into one range per processor (at most four):
// the queries only read the tree, and the machine's other cores would otherwise stay idle.
template <typename Work>
void in_parallel(std::size_t n, Work work) {
  fan_out(n, n < 1000 ? 1 : block_count(n, 1, 4), work);
}

struct NearestSums {
  double closest = std::numeric_limits<double>::infinity();
  double sum = 0;
  double sum_squares = 0;
};

void nearest_figures(const PointCloud& cloud, const Neighbours& neighbours, Uniformity& result) {
  const std::size_t n = cloud.kdtree_get_point_count();
  const double work = neighbours.query_work() * static_cast<double>(n);
  if (work > kPairBudget) {
    result.closest_pair = result.mean_nearest = result.nearest_cv = skipped(work);
    return;
  }
  std::vector<NearestSums> parts(4);
  in_parallel(n, [&](std::size_t begin, std::size_t end, std::size_t part) {
    NearestSums sums;  // kept apart until the end, so that no two threads share a cache line
    CancelCheck check;
    for (std::size_t i = begin; i < end; ++i) {
      check();
      const double nearest = std::sqrt(neighbours.nearest(cloud.point(i), i));
      sums.closest = std::min(sums.closest, nearest);
      sums.sum += nearest;
      sums.sum_squares += nearest * nearest;
    }
    parts[part] = sums;
  });
  double closest = std::numeric_limits<double>::infinity();
  double sum = 0;
  double sum_squares = 0;
  for (const NearestSums& sums : parts) {
    closest = std::min(closest, sums.closest);
    sum += sums.sum;
    sum_squares += sums.sum_squares;
  }
  const double count = static_cast<double>(n);
  const double mean = sum / count;
  const double variance = std::max(0.0, sum_squares / count - mean * mean);
  // Distinct rows closer than this have a squared distance that underflows (to 0 for
  // 1e-308 apart): no figure rather than a wrong one.
  constexpr double kSmallestResolved = 1e-150;
  if (closest < kSmallestResolved) {
    result.closest_pair = {std::nullopt,
                           "skipped: two distinct rows lie closer than 1e-150, where a squared "
                           "distance underflows"};
  } else {
    result.closest_pair = {closest, ""};
  }
  result.mean_nearest = {mean, ""};
  result.nearest_cv = {mean > 0 ? std::sqrt(variance) / mean : 0, ""};
}

template <typename Visit>
void for_each_grid_point(std::size_t m, int G, Visit visit) {
  std::vector<int> index(m, 0);
  std::vector<double> x(m);
  for (;;) {
    for (std::size_t j = 0; j < m; ++j) x[j] = static_cast<double>(index[j]) / (G - 1);
    visit(x.data());
    std::size_t j = 0;
    while (j < m && ++index[j] == G) index[j++] = 0;
    if (j == m) return;
  }
}

// The largest distance from a point of a reference set to its nearest row: the simplex lattice
// with the largest H of at most kReferencePoints points, or the largest regular grid of the cube
// that size allows.
Figure coverage(const PointCloud& cloud, const Neighbours& neighbours, PointKind kind) {
  const std::size_t m = cloud.m;
  double references = 0;
  int level = 0;
  if (kind == PointKind::kWeights) {
    level = largest_simplex_level(m, static_cast<double>(kReferencePoints));
    references = simplex_lattice_size(m, level);
  } else {
    level = 2;
    while (std::pow(level + 1.0, static_cast<double>(m)) <= kReferencePoints) ++level;
    references = std::pow(level, static_cast<double>(m));
  }
  if (level == 0 || (kind == PointKind::kCube && references > kReferencePoints)) {
    return {std::nullopt, "skipped: the coarsest reference set has more than " +
                              std::to_string(kReferencePoints) + " points"};
  }
  const double work = references * neighbours.query_work();
  if (work > kPairBudget) return skipped(work);
  if (references * static_cast<double>(m) > kReferenceValues) {
    return {std::nullopt, "skipped: its reference set would hold " +
                              count_text(references * static_cast<double>(m)) +
                              " values, over the budget of " + count_text(kReferenceValues)};
  }
  std::vector<double> points;
  auto keep = [&](const double* q) { points.insert(points.end(), q, q + m); };
  std::string note;
  if (kind == PointKind::kWeights) {
    for_each_simplex_point(m, level, keep);
    note = "from a simplex lattice H = " + std::to_string(level) + ", " +
           std::to_string(static_cast<long long>(references)) + " points";
  } else {
    for_each_grid_point(m, level, keep);
    note = "from a cube grid " + std::to_string(level) + "^" + std::to_string(m) + " points";
  }
  std::vector<double> radius(4, 0.0);
  in_parallel(points.size() / m, [&](std::size_t begin, std::size_t end, std::size_t part) {
    double largest = 0;
    CancelCheck check;
    for (std::size_t i = begin; i < end; ++i) {
      check();
      const double d2 = neighbours.nearest(points.data() + i * m, static_cast<std::size_t>(-1));
      largest = std::max(largest, std::sqrt(d2));
    }
    radius[part] = largest;
  });
  return {*std::max_element(radius.begin(), radius.end()), note};
}

// log(d^2) of a pair, scaled by the largest difference where the squares would underflow.
double log_squared_distance(const double* a, const double* b, std::size_t m) {
  const double d2 = squared_distance(a, b, m);
  if (d2 >= 1e-300) return std::log(d2);
  double scale = 0;
  for (std::size_t k = 0; k < m; ++k) scale = std::max(scale, std::fabs(a[k] - b[k]));
  double scaled = 0;
  for (std::size_t k = 0; k < m; ++k) {
    const double r = (a[k] - b[k]) / scale;
    scaled += r * r;
  }
  return 2 * std::log(scale) + std::log(scaled);
}

// r^e by squaring, for 0 <= r <= 1: no log or exp, so that the pair loop vectorises.
double power(double r, std::size_t e) {
  double result = 1;
  for (; e > 0; e >>= 1, r *= r) {
    if ((e & 1) != 0) result *= r;
  }
  return result;
}

// log(mean of d^(-2m)) over all pairs. The closest pair's term is the largest: the sum is taken
// relative to it, (d_min^2 / d^2)^m for every pair, so that no power overflows however close
// two rows are; every core takes a share of the rows.
Figure energy(const PointCloud& cloud) {
  const std::size_t n = cloud.kdtree_get_point_count();
  const std::size_t m = cloud.m;
  const double pairs = 0.5 * static_cast<double>(n) * static_cast<double>(n - 1);
  if (pairs * static_cast<double>(m) > kPairBudget) return skipped(pairs * static_cast<double>(m));
  // Row i pairs with every j > i: rows i and n - 1 - i together make a share of n - 1 pairs,
  // so that the cores get equal work.
  const std::size_t folds = (n + 1) / 2;
  const auto for_rows_of_folds = [n](std::size_t begin, std::size_t end, auto visit) {
    CancelCheck check(8);
    for (std::size_t f = begin; f < end; ++f) {
      check();
      visit(f);
      if (n - 1 - f != f) visit(n - 1 - f);
    }
  };
  std::vector<double> least(4, std::numeric_limits<double>::infinity());
  in_parallel(folds, [&](std::size_t begin, std::size_t end, std::size_t part) {
    double smallest = std::numeric_limits<double>::infinity();
    for_rows_of_folds(begin, end, [&](std::size_t i) {
      for (std::size_t j = i + 1; j < n; ++j) {
        smallest = std::min(smallest, log_squared_distance(cloud.point(i), cloud.point(j), m));
      }
    });
    least[part] = smallest;
  });
  const double log_least = *std::min_element(least.begin(), least.end());
  const double d2_least = std::exp(log_least);
  std::vector<double> sums(4, 0.0);
  const bool underflow = log_least < std::log(1e-300);
  in_parallel(folds, [&](std::size_t begin, std::size_t end, std::size_t part) {
    double sum = 0;
    for_rows_of_folds(begin, end, [&](std::size_t i) {
      const double* a = cloud.point(i);
      for (std::size_t j = i + 1; j < n; ++j) {
        if (underflow) {
          sum += std::exp(static_cast<double>(m) *
                          (log_least - log_squared_distance(a, cloud.point(j), m)));
        } else {
          sum += power(d2_least / squared_distance(a, cloud.point(j), m), m);
        }
      }
    });
    sums[part] = sum;
  });
  double sum = 0;
  for (double part : sums) sum += part;
  return {-static_cast<double>(m) * log_least + std::log(sum) - std::log(pairs),
          "over " + count_text(pairs) + " pairs"};
}

// Beyond this many columns the terms of CD2, up to (3/2)^s, leave the range of a double.
constexpr int kDiscrepancyColumns = 1000;

Figure discrepancy(const RowsView& set) {
  if (set.columns > kDiscrepancyColumns) {
    return {std::nullopt, "skipped: more than " + std::to_string(kDiscrepancyColumns) +
                              " columns, where its terms leave the range of a double"};
  }
  const double n = static_cast<double>(set.rows());
  const double work = 0.5 * n * n * set.columns;
  if (work > kPairBudget) return skipped(work);
  return {simplex_weights::centred_l2_discrepancy(set.values, static_cast<std::size_t>(set.rows()),
                                                  static_cast<std::size_t>(set.columns)),
          "over all " + std::to_string(set.rows()) + " rows"};
}

}  // namespace

std::optional<Uniformity> measure_uniformity(const RowsView& set, PointKind kind,
                                             const std::vector<long long>& distinct) {
  if (distinct.size() < 2 ||
      !std::all_of(set.begin(), set.end(), [](double x) { return std::isfinite(x); })) {
    return std::nullopt;
  }
  const std::size_t m = static_cast<std::size_t>(set.columns);
  const auto [low, high] = std::minmax_element(set.begin(), set.end());
  if (std::max(std::fabs(*low), std::fabs(*high)) > kLargestMeasured) {
    Uniformity unmeasured;
    unmeasured.distinct = static_cast<long long>(distinct.size());
    const Figure skip{std::nullopt, "skipped: values beyond " + count_text(kLargestMeasured) +
                                        " in magnitude, whose squared distances overflow"};
    unmeasured.closest_pair = unmeasured.mean_nearest = unmeasured.nearest_cv = skip;
    unmeasured.coverage_radius = unmeasured.energy = unmeasured.discrepancy = skip;
    return unmeasured;
  }
  PointCloud cloud{{}, m};
  cloud.points.reserve(distinct.size() * m);
  for (long long index : distinct)
    cloud.points.insert(cloud.points.end(), set.row(index), set.row(index) + m);
  const Neighbours neighbours(cloud);
  Uniformity result;
  result.distinct = static_cast<long long>(distinct.size());
  nearest_figures(cloud, neighbours, result);
  result.coverage_radius = coverage(cloud, neighbours, kind);
  result.energy = energy(cloud);
  if (kind == PointKind::kCube) result.discrepancy = discrepancy(set);
  return result;
}

}  // namespace simplex_weights::detail
