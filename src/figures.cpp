#include "simplex_weights/figures.h"

#include <cmath>

#include "inspect/checks.h"
#include "inspect/figures.h"
#include "math/discrepancy.h"
#include "simplex_weights/errors.h"

namespace simplex_weights {

using namespace detail;
namespace {

// The rows as the checks and figures of weights_inspect read a file's rows.
FileRows as_file_rows(const double* values, std::size_t rows, std::size_t columns) {
  FileRows set;
  set.values.assign(values, values + rows * columns);
  set.row_lengths.assign(rows, static_cast<int>(columns));
  set.row_lines.resize(rows);
  for (std::size_t i = 0; i < rows; ++i) set.row_lines[i] = static_cast<long long>(i) + 1;
  set.columns = static_cast<int>(columns);
  set.last_place = 1e-6;
  return set;
}

void take(const Figure& figure, std::optional<double>& value, std::string& note) {
  value = figure.value;
  note = figure.note;
}

}  // namespace

Figures figures(const double* values, std::size_t rows, std::size_t columns, PointKind kind) {
  const FileRows set = as_file_rows(values, rows, columns);
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

std::vector<CheckResult> checks(const WeightSet& set, PointKind kind, double tolerance) {
  const FileRows rows = as_file_rows(set.values.data(), set.rows, set.columns);
  std::vector<CheckResult> results;
  for (const Check& check : validate(rows, kind, tolerance, distinct_rows(rows))) {
    results.push_back({check.pass, check.text});
  }
  return results;
}

double largest_row_sum_error(const WeightSet& set) {
  double worst = 0;
  for (std::size_t i = 0; i < set.rows; ++i) {
    double sum = 0;
    for (std::size_t j = 0; j < set.columns; ++j) sum += set.row(i)[j];
    worst = std::max(worst, std::fabs(sum - 1));
  }
  return worst;
}

bool all_non_negative(const WeightSet& set) {
  for (double x : set.values) {
    if (!(x >= 0)) return false;
  }
  return true;
}

}  // namespace simplex_weights
