// A set of weight vectors (or of unit-cube points) in memory: rows of equal length, stored
// row-major, exactly the doubles a program formats into its file.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "simplex_weights/export.h"

namespace simplex_weights {

/// The allocator of a set's values: like std::allocator, but a vector sized by it leaves its
/// doubles as they come (no pass that zero-fills them), since a construction writes every value
/// before anyone reads it. Elements added by value (push_back, assign, insert) are initialised
/// as usual; a resize that grows leaves the new ones undefined.
/// Storage for large sets: page-aligned and backed by huge pages where the system offers them,
/// so that filling a set costs hundreds of page faults where it would cost tens of thousands.
/// Returns nullptr when no memory is left; release with release_large_storage(p, bytes).
SIMPLEX_WEIGHTS_EXPORT void* allocate_large_storage(std::size_t bytes) noexcept;
SIMPLEX_WEIGHTS_EXPORT void release_large_storage(void* storage, std::size_t bytes) noexcept;

/// Sizes from which storage_for uses large storage.
inline constexpr std::size_t kLargeStorageBytes = std::size_t{4} << 20;

template <typename T>
struct UninitializedAllocator : std::allocator<T> {
  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    if (n * sizeof(T) < kLargeStorageBytes) return std::allocator<T>::allocate(n);
    void* storage = allocate_large_storage(n * sizeof(T));
    if (storage == nullptr) throw std::bad_alloc();
    return static_cast<T*>(storage);
  }
  void deallocate(T* p, std::size_t n) noexcept {
    if (n * sizeof(T) < kLargeStorageBytes) {
      std::allocator<T>::deallocate(p, n);
    } else {
      release_large_storage(p, n * sizeof(T));
    }
  }
  template <typename U>
  struct rebind {
    using other = UninitializedAllocator<U>;
  };
  UninitializedAllocator() = default;
  template <typename U>
  UninitializedAllocator(const UninitializedAllocator<U>&) noexcept {}
  template <typename U>
  void construct(U* place) noexcept {
    ::new (static_cast<void*>(place)) U;
  }
  template <typename U, typename... Arguments>
  void construct(U* place, Arguments&&... arguments) {
    ::new (static_cast<void*>(place)) U(std::forward<Arguments>(arguments)...);
  }
};

/// The doubles of a set, row after row.
using Values = std::vector<double, UninitializedAllocator<double>>;

struct WeightSet {
  std::size_t rows = 0;
  std::size_t columns = 0;
  /// rows x columns doubles, row after row.
  Values values;

  const double* row(std::size_t i) const { return values.data() + i * columns; }
};

/// Where a construction hands its rows as it forms them, one row of `count` doubles at a time.
/// The pointer is valid only during the call.
class SIMPLEX_WEIGHTS_EXPORT RowSink {
 public:
  virtual ~RowSink() = default;
  virtual void row(const double* values, int count) = 0;
};

/// A sink that keeps every row in a WeightSet.
class SIMPLEX_WEIGHTS_EXPORT CollectingSink final : public RowSink {
 public:
  /// `expected_rows` reserves room for that many rows up front (0: grow as needed).
  explicit CollectingSink(std::size_t expected_rows = 0, std::size_t columns = 0);
  void row(const double* values, int count) override;
  /// The rows so far; the sink is empty afterwards.
  WeightSet take();

 private:
  WeightSet set_;
  std::size_t filled_ = 0;  // values written so far
};

/// A sink that passes each distinct row on once, in the order of first appearance (rows equal
/// value for value are one row).
class SIMPLEX_WEIGHTS_EXPORT DistinctRows final : public RowSink {
 public:
  explicit DistinctRows(RowSink& next);
  DistinctRows(const DistinctRows&) = delete;
  DistinctRows& operator=(const DistinctRows&) = delete;
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
SIMPLEX_WEIGHTS_EXPORT WeightSet unique_rows(const WeightSet& set);

}  // namespace simplex_weights
