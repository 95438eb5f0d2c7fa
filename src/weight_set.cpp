#include "simplex_weights/weight_set.h"

#include <set>

namespace simplex_weights {

CollectingSink::CollectingSink(std::size_t expected_rows, std::size_t columns) {
  set_.columns = columns;
  set_.values.reserve(expected_rows * columns);
}

void CollectingSink::row(const double* values, int count) {
  set_.columns = static_cast<std::size_t>(count);
  set_.values.insert(set_.values.end(), values, values + count);
  ++set_.rows;
}

WeightSet CollectingSink::take() {
  WeightSet set = std::move(set_);
  set_ = WeightSet{};
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
