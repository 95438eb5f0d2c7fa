// Stopping a long call from another thread: searches over many candidate vectors, figures of a
// large set, reading a file that stalls.
#pragma once

#include <atomic>

#include "simplex_weights/export.h"

namespace simplex_weights {

/// A request to stop, shared between a caller and the calls it makes. Any thread may request
/// it; a call made under a CancelScope of it checks it between small pieces of work (every few
/// milliseconds, on every thread it uses) and then throws Error with ErrorCode::kCancelled,
/// leaving nothing behind (save keeps the previous file).
class Cancellation {
 public:
  void request() noexcept { requested_.store(true, std::memory_order_relaxed); }
  bool requested() const noexcept { return requested_.load(std::memory_order_relaxed); }

 private:
  std::atomic<bool> requested_{false};
};

/// Puts the calls this thread makes, while the scope lasts, under `cancellation`:
///
///     simplex_weights::Cancellation stop;            // stop.request() from another thread
///     simplex_weights::CancelScope scope(stop);
///     auto w = simplex_weights::tglp(10, 20000, {.search = 100000});   // may throw kCancelled
class SIMPLEX_WEIGHTS_EXPORT CancelScope {
 public:
  explicit CancelScope(const Cancellation& cancellation);
  CancelScope(const CancelScope&) = delete;
  CancelScope& operator=(const CancelScope&) = delete;
  ~CancelScope();

 private:
  const Cancellation* previous_;
};

}  // namespace simplex_weights
