#include "inspect/checks.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "inspect/number_text.h"

namespace simplex_weights::detail {
namespace {

std::string number(double x, const char* format = "%.6g") { return number_text(x, format); }

Check rows_present(const FileRows& set) {
  if (set.rows() > 0) return {true, "the file holds " + std::to_string(set.rows()) + " rows"};
  if (set.header && set.header->first == 0)
    return {true, "the file holds no rows, as its header says"};
  return {false, "the file holds no rows"};
}

Check header_match(const FileRows& set) {
  const auto [rows, columns] = *set.header;
  // Without rows there are no columns to count: zero rows match any width.
  const bool match = rows == set.rows() && (set.rows() == 0 || columns == set.columns);
  return {match, "header \"# " + std::to_string(rows) + " " + std::to_string(columns) + "\" " +
                     (match ? "matches the rows and columns"
                            : "does not match " + std::to_string(set.rows()) + " rows of " +
                                  std::to_string(set.columns))};
}

Check row_lengths(const FileRows& set) {
  const int m = set.columns;
  if (!set.ragged) return {true, "every row has " + std::to_string(m) + " values"};
  const auto bad =
      std::find_if(set.row_lengths.begin(), set.row_lengths.end(), [&](int n) { return n != m; });
  const std::size_t row = static_cast<std::size_t>(bad - set.row_lengths.begin());
  return {false, "rows differ in length: line " + std::to_string(set.row_lines[row]) + " has " +
                     std::to_string(*bad) + " values, the first row " + std::to_string(m)};
}

Check row_sums(const FileRows& set, double tolerance) {
  const double allowed = tolerance >= 0 ? tolerance : default_tolerance(set);
  long long worst = 0;
  double worst_deviation = -1;
  for (long long i = 0; i < set.rows(); ++i) {
    double sum = 0;
    for (int j = 0; j < set.columns; ++j) sum += set.row(i)[j];
    if (std::fabs(sum - 1) > worst_deviation) {
      worst_deviation = std::fabs(sum - 1);
      worst = i;
    }
  }
  return {worst_deviation <= allowed,
          "every row sums to 1 within " + number(allowed, "%.2g") + " (worst: line " +
              std::to_string(set.row_lines[static_cast<std::size_t>(worst)]) + ", deviation " +
              number(worst_deviation, "%.2g") + ")"};
}

}  // namespace

double default_tolerance(const FileRows& set) {
  const double m = set.columns;
  return std::min(1e-3, m * 0.5 * set.last_place) + 4 * m * 0x1p-52;
}

std::vector<long long> distinct_rows(const FileRows& set) {
  return set.ragged ? std::vector<long long>{} : distinct_rows(set.view());
}

std::vector<long long> distinct_rows(const RowsView& set) {
  std::vector<long long> order(static_cast<std::size_t>(set.rows()));
  std::iota(order.begin(), order.end(), 0LL);
  const int m = set.columns;
  auto less = [&](long long a, long long b) {
    return std::lexicographical_compare(set.row(a), set.row(a) + m, set.row(b), set.row(b) + m);
  };
  std::sort(order.begin(), order.end(), less);
  std::vector<long long> distinct;
  for (long long index : order) {
    if (distinct.empty() ||
        !std::equal(set.row(index), set.row(index) + m, set.row(distinct.back()))) {
      distinct.push_back(index);
    }
  }
  return distinct;
}

std::vector<Check> validate(const FileRows& set, PointKind kind, double tolerance,
                            const std::vector<long long>& distinct) {
  std::vector<Check> checks{rows_present(set)};
  if (set.rows() > 0) checks.push_back(row_lengths(set));
  if (set.header) checks.push_back(header_match(set));
  const bool finite =
      std::all_of(set.values.begin(), set.values.end(), [](double x) { return std::isfinite(x); });
  checks.push_back({finite, finite
                                ? "every value is finite"
                                : "a value is NaN or infinite, or beyond the range of a double"});
  if (set.ragged || set.rows() == 0 || !finite) return checks;

  const auto [low, high] = std::minmax_element(set.values.begin(), set.values.end());
  if (kind == PointKind::kCube) {
    checks.push_back({*low >= 0 && *high <= 1, "every value lies in [0, 1] (smallest " +
                                                   number(*low) + ", largest " + number(*high) +
                                                   ")"});
  } else {
    checks.push_back({*low >= 0, "every component is >= 0 (smallest " + number(*low) + ")"});
    checks.push_back(row_sums(set, tolerance));
  }
  const long long duplicates = set.rows() - static_cast<long long>(distinct.size());
  checks.push_back({duplicates == 0,
                    duplicates == 0 ? "no duplicate rows"
                                    : std::to_string(duplicates) + " rows repeat an earlier row"});
  return checks;
}

}  // namespace simplex_weights::detail
