// A row sink that writes the rows it is handed one after another into a buffer, so that a
// construction's row loop can fill a block of a set's values in place.
#pragma once

#include <algorithm>

#include "simplex_weights/weight_set.h"

namespace simplex_weights::detail {

class FillingSink final : public RowSink {
 public:
  /// The buffer must hold every value of every row handed on.
  explicit FillingSink(double* start) : next_(start) {}
  void row(const double* values, int count) override {
    next_ = std::copy(values, values + count, next_);
  }

 private:
  double* next_;
};

/// Rows thrown away: for passes made only for an observer.
class DiscardingSink final : public RowSink {
 public:
  void row(const double* /*values*/, int /*count*/) override {}
};

}  // namespace simplex_weights::detail
