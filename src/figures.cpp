#include "simplex_weights/figures.h"

#include "inspect/checks.h"
#include "inspect/figures.h"
#include "math/discrepancy.h"
#include "simplex_weights/errors.h"

namespace simplex_weights {

using namespace detail;
namespace {

void take(const Figure& figure, std::optional<double>& value, std::string& note) {
  value = figure.value;
  note = figure.note;
}

}  // namespace

Figures figures(const double* values, std::size_t rows, std::size_t columns, PointKind kind) {
  // Measured where the caller's rows lie: only the distinct rows are copied, for the tree.
  const RowsView set{values, static_cast<long long>(rows), static_cast<int>(columns)};
  const std::vector<long long> distinct = distinct_rows(set);
  const std::optional<Uniformity> measured = measure_uniformity(set, kind, distinct);
  if (!measured) {
    throw InvalidArgument(
        "Error... the figures need finite values and at least two distinct rows\n");
  }
  Figures result;
  result.rows = static_cast<long long>(rows);
  result.distinct = measured->distinct;
  take(measured->closest_pair, result.closest_pair, result.closest_pair_note);
  take(measured->mean_nearest, result.mean_nearest, result.mean_nearest_note);
  result.nearest_cv = measured->nearest_cv.value;
  take(measured->coverage_radius, result.coverage_radius, result.coverage_radius_note);
  take(measured->energy, result.energy, result.energy_note);
  take(measured->discrepancy, result.discrepancy, result.discrepancy_note);
  return result;
}

Figures figures(const WeightSet& set, PointKind kind) {
  return figures(set.values.data(), set.rows, set.columns, kind);
}

}  // namespace simplex_weights
