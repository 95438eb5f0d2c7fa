// The figures of uniformity of weights_inspect, each computed exactly where its cost stays
// within a fixed budget and reported as skipped, with the reason, beyond it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "inspect/checks.h"
#include "inspect/reading.h"

namespace simplex_weights::detail {

/// Pair work (pairs of rows times columns) any one figure may take: a few seconds here.
inline constexpr double kPairBudget = 2e9;
/// Largest reference set of the coverage radius, in points and in values (points x columns).
inline constexpr long long kReferencePoints = 100000;
inline constexpr double kReferenceValues = 8e6;
/// Largest magnitude of a value measured: beyond it squared distances could overflow.
inline constexpr double kLargestMeasured = 1e150;

/// One figure, or the reason it was not computed.
struct Figure {
  std::optional<double> value;
  std::string note;  // how it was computed, or why it was skipped
};

struct Uniformity {
  long long distinct = 0;
  Figure closest_pair;
  Figure mean_nearest;
  Figure nearest_cv;
  Figure coverage_radius;
  /// log of the mean of d^(-2m) over all pairs of distinct rows (Riesz s-energy, s = 2m).
  Figure energy;
  /// Squared centred L2 discrepancy over all rows; unit-cube files only.
  Figure discrepancy;
};

/// Needs finite values and at least two distinct rows; `distinct` from distinct_rows.
std::optional<Uniformity> measure_uniformity(const RowsView& set, PointKind kind,
                                             const std::vector<long long>& distinct);

}  // namespace simplex_weights::detail
