#include "inspect/checks.h"

#include <cmath>

#include "inspect/reading.h"
#include "simplex_weights/figures.h"

namespace simplex_weights {

using namespace detail;

std::vector<CheckResult> checks(const WeightSet& set, PointKind kind, double tolerance) {
  const FileRows rows = file_rows_of(set.values.data(), set.rows, set.columns);
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
