// A set of weight vectors (or of unit-cube points) in memory: rows of equal length, stored
// row-major, exactly the doubles a program formats into its file.
#pragma once

#include <cstddef>
#include <vector>

namespace simplex_weights {

struct WeightSet {
  std::size_t rows = 0;
  std::size_t columns = 0;
  /// rows x columns doubles, row after row.
  std::vector<double> values;

  const double* row(std::size_t i) const { return values.data() + i * columns; }
};

/// Where a construction hands its rows as it forms them, one row of `count` doubles at a time.
/// The pointer is valid only during the call.
class RowSink {
 public:
  virtual ~RowSink() = default;
  virtual void row(const double* values, int count) = 0;
};

/// A sink that keeps every row in a WeightSet.
class CollectingSink final : public RowSink {
 public:
  /// `expected_rows` reserves room for that many rows up front (0: grow as needed).
  explicit CollectingSink(std::size_t expected_rows = 0, std::size_t columns = 0);
  void row(const double* values, int count) override;
  /// The rows so far; the sink is empty afterwards.
  WeightSet take();

 private:
  WeightSet set_;
};

/// A sink that passes each distinct row on once, in the order of first appearance (rows equal
/// value for value are one row).
class DistinctRows final : public RowSink {
 public:
  explicit DistinctRows(RowSink& next);
  ~DistinctRows() override;
  void row(const double* values, int count) override;
  /// Rows passed on so far.
  long long passed() const { return passed_; }

 private:
  struct Seen;
  RowSink& next_;
  Seen* seen_;
  long long passed_ = 0;
};

/// Each distinct row of `set` once, in the order of first appearance.
WeightSet unique_rows(const WeightSet& set);

}  // namespace simplex_weights
