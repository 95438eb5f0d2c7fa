// Work split over the machine's cores: contiguous blocks of a range, one thread each, with the
// same result whatever number of threads could start.
#pragma once

#include <algorithm>
#include <cstddef>
#include <exception>
#include <functional>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "support/cancel.h"

namespace simplex_weights::detail {

/// How the threads of fan_out are started: std::thread here; a test's starter refuses some.
class ThreadStarter {
 public:
  virtual ~ThreadStarter() = default;
  /// A running thread, or std::system_error when none can be had.
  virtual std::thread start(std::function<void()> body) { return std::thread(std::move(body)); }
};

/// The system's threads.
ThreadStarter& system_threads();

/// Whether the address space has room for `threads` more threads (their stacks and
/// thread-local data) under RLIMIT_AS. glibc ends the process, rather than failing the start,
/// when a cached thread stack is reused and its thread-local data cannot be mapped, so a call
/// near the limit starts none.
bool room_for_threads(std::size_t threads);

/// Threads a call uses at most.
inline constexpr std::size_t kMaxThreads = 8;

/// Blocks for n items where a thread is worth its start for `per_thread` items or more:
/// between 1 and the machine's cores, at most `most`.
inline std::size_t block_count(std::size_t n, std::size_t per_thread,
                               std::size_t most = kMaxThreads) {
  const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
  return std::clamp<std::size_t>(n / std::max<std::size_t>(per_thread, 1), 1,
                                 std::min(cores, most));
}

/// Runs work(begin, end, block) for each of the `blocks` contiguous blocks of [0, n): block 0
/// on the calling thread, every other on a thread of its own. A block whose thread cannot start
/// is worked by the calling thread after its own, so fewer threads give the same result. The
/// calling thread's Cancellation holds in every thread; the first exception a block throws is
/// rethrown once every thread has ended.
template <typename Work>
void fan_out(std::size_t n, std::size_t blocks, Work work,
             ThreadStarter& starter = system_threads()) {
  blocks = std::max<std::size_t>(blocks, 1);
  const auto begin_of = [&](std::size_t block) { return n * block / blocks; };
  std::vector<std::exception_ptr> failures(blocks);
  const auto run_block = [&](std::size_t block) {
    try {
      work(begin_of(block), begin_of(block + 1), block);
    } catch (...) {
      failures[block] = std::current_exception();
    }
  };
  if (blocks > 1 && !room_for_threads(blocks - 1)) {
    for (std::size_t block = 0; block < blocks; ++block) run_block(block);
    for (const std::exception_ptr& failure : failures) {
      if (failure) std::rethrow_exception(failure);
    }
    return;
  }
  const Cancellation* cancellation = current_cancellation();
  std::vector<std::thread> threads;
  threads.reserve(blocks);  // no allocation may fail between a thread's start and its keeping
  std::vector<std::size_t> left_to_caller;
  left_to_caller.reserve(blocks);
  for (std::size_t block = 1; block < blocks; ++block) {
    try {
      threads.push_back(starter.start([&, block] {
        std::optional<CancelScope> scope;
        if (cancellation != nullptr) scope.emplace(*cancellation);
        run_block(block);
      }));
    } catch (const std::system_error&) {
      left_to_caller.push_back(block);
    }
  }
  run_block(0);
  for (std::size_t block : left_to_caller) run_block(block);
  for (std::thread& thread : threads) thread.join();
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
}

}  // namespace simplex_weights::detail
