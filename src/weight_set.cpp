#include "simplex_weights/weight_set.h"

#include <sys/mman.h>

#include <algorithm>
#include <set>

namespace simplex_weights {

void* allocate_large_storage(std::size_t bytes) noexcept {
  // A mapping of its own: page-aligned, returned to the system whole when released.
  void* storage =
      ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (storage == MAP_FAILED) return nullptr;
  ::madvise(storage, bytes, MADV_HUGEPAGE);  // a hint: where it is refused, small pages serve
  return storage;
}

void release_large_storage(void* storage, std::size_t bytes) noexcept {
  if (storage != nullptr) ::munmap(storage, bytes);
}

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
