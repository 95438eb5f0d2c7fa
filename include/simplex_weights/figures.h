// Figures of uniformity and checks of a weight set, as weights_inspect computes them, over a
// WeightSet or any row-major array of doubles.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "simplex_weights/export.h"
#include "simplex_weights/weight_set.h"

namespace simplex_weights {

/// What the rows are meant to be: weight vectors (on the simplex) or unit-cube points.
enum class PointKind { kWeights, kCube };

/// The figures of a set; a figure whose exact computation would exceed the pair budget of
/// weights_inspect is empty, with the reason in the matching note.
struct Figures {
  long long rows = 0;
  long long distinct = 0;
  std::optional<double> closest_pair;     ///< least distance between two distinct rows
  std::optional<double> mean_nearest;     ///< mean distance of a row to its nearest other row
  std::optional<double> nearest_cv;       ///< coefficient of variation of those distances
  std::optional<double> coverage_radius;  ///< largest distance of the region to the nearest row
  std::optional<double> energy;           ///< log of the mean of d^(-2m) over distinct pairs
  std::optional<double> discrepancy;      ///< CD2, cube points only
  std::string closest_pair_note, mean_nearest_note, coverage_radius_note, energy_note,
      discrepancy_note;
};

/// All figures of `rows` x `columns` values (row-major). Needs finite values and at least two
/// distinct rows; throws InvalidArgument otherwise. A library built without nanoflann
/// (-DWEIGHTS_INSPECT=OFF) has no figures: Error.
SIMPLEX_WEIGHTS_EXPORT Figures figures(const double* values, std::size_t rows, std::size_t columns,
                                       PointKind kind = PointKind::kWeights);
SIMPLEX_WEIGHTS_EXPORT Figures figures(const WeightSet& set, PointKind kind = PointKind::kWeights);

/// The squared centred L2 discrepancy of n points of s coordinates in the unit cube, exactly.
SIMPLEX_WEIGHTS_EXPORT double centred_l2_discrepancy(const double* values, std::size_t rows,
                                                     std::size_t columns);

/// One check: whether it holds, and the line weights_inspect prints for it.
struct CheckResult {
  bool pass;
  std::string text;
};

/// weights_inspect's checks (row sums within `tolerance` of 1, no negative component, values
/// in [0, 1] for cube points, no repeated row, ...). `tolerance` < 0 takes columns times half a
/// unit of the sixth decimal (5e-7), at most 1e-3, plus the rounding of the sum.
SIMPLEX_WEIGHTS_EXPORT std::vector<CheckResult> checks(const WeightSet& set,
                                                       PointKind kind = PointKind::kWeights,
                                                       double tolerance = -1);

/// Largest |sum of a row - 1| and whether every component is >= 0.
SIMPLEX_WEIGHTS_EXPORT double largest_row_sum_error(const WeightSet& set);
SIMPLEX_WEIGHTS_EXPORT bool all_non_negative(const WeightSet& set);

}  // namespace simplex_weights
