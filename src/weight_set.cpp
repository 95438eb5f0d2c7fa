#include "simplex_weights/weight_set.h"

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

}  // namespace simplex_weights
