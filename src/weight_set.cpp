#include "simplex_weights/weight_set.h"

#include <algorithm>
#include <set>

namespace simplex_weights {

CollectingSink::CollectingSink(std::size_t expected_rows, std::size_t columns) {
  set_.columns = columns;
  set_.values.resize(expected_rows * columns);  // room only: the values are not zero-filled
}

void CollectingSink::row(const double* values, int count) {
  const std::size_t width = static_cast<std::size_t>(count);
  if (filled_ + width > set_.values.size()) {
    set_.values.resize(std::max(2 * set_.values.size(), filled_ + width));
  }
  std::copy(values, values + width, set_.values.data() + filled_);
  filled_ += width;
  set_.columns = width;
  ++set_.rows;
}

WeightSet CollectingSink::take() {
  set_.values.resize(filled_);
  WeightSet set = std::move(set_);
  set_ = WeightSet{};
  filled_ = 0;
  return set;
}

struct DistinctRows::Seen {
  std::set<std::vector<double>> rows;
};

DistinctRows::DistinctRows(RowSink& next) : next_(next), seen_(new Seen) {}

DistinctRows::~DistinctRows() { delete seen_; }

void DistinctRows::row(const double* values, int count) {
  if (!seen_->rows.emplace(values, values + count).second) return;
  next_.row(values, count);
  ++passed_;
}

WeightSet unique_rows(const WeightSet& set) {
  CollectingSink kept(0, set.columns);
  DistinctRows distinct(kept);
  for (std::size_t i = 0; i < set.rows; ++i)
    distinct.row(set.row(i), static_cast<int>(set.columns));
  WeightSet result = kept.take();
  result.columns = set.columns;
  return result;
}

}  // namespace simplex_weights
