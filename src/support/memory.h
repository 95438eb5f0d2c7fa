// Allocation that fails with a message instead of an abort or a kill by the kernel.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "simplex_weights/weight_set.h"
#include "support/failure.h"

namespace simplex_weights::detail {

/// The message of every failed allocation.
inline constexpr const char* kAllocationMessage =
    "Error... not enough memory for %s values (%s bytes).\n";

/// The message of an allocation refused where its size is not known.
inline constexpr const char* kOutOfMemoryMessage = "Error... not enough memory.\n";

/// Physical memory of the machine in bytes (0 when unknown). A request beyond it would only
/// be granted lazily and end with the kernel killing the process, so it counts as failed.
std::size_t physical_memory_bytes();

/// Throws the allocation Failure for `count` elements of `element_size` bytes.
[[noreturn]] void fail_allocation(std::size_t count, std::size_t element_size);

/// Throws the allocation Failure unless `count` elements of T fit in memory.
template <typename T>
void check_allocation(std::size_t count) {
  const std::size_t limit = physical_memory_bytes();
  if (count > static_cast<std::size_t>(-1) / sizeof(T) ||
      (limit != 0 && count * sizeof(T) > limit)) {
    fail_allocation(count, sizeof(T));
  }
}

/// A zero-filled vector of `count` elements, or the allocation Failure.
template <typename T>
std::vector<T> allocate(std::size_t count) {
  check_allocation<T>(count);
  try {
    return std::vector<T>(count);
  } catch (const std::bad_alloc&) {
    fail_allocation(count, sizeof(T));
  }
}

/// Room for `count` elements that the caller fills completely before reading any, or the
/// allocation Failure. Leaving it unfilled saves a pass over a large set that is about to be
/// written anyway.
template <typename T>
std::unique_ptr<T[]> allocate_for_overwrite(std::size_t count) {
  check_allocation<T>(count);
  try {
    return std::make_unique_for_overwrite<T[]>(count);
  } catch (const std::bad_alloc&) {
    fail_allocation(count, sizeof(T));
  }
}

/// Room for `count` values of a weight set, written completely before any is read, or the
/// allocation Failure.
inline Values allocate_values(std::size_t count) {
  check_allocation<double>(count);
  try {
    return Values(count);
  } catch (const std::bad_alloc&) {
    fail_allocation(count, sizeof(double));
  }
}

}  // namespace simplex_weights::detail
