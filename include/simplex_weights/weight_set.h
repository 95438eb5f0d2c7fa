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

}  // namespace simplex_weights
