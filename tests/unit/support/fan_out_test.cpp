// Work over the cores: the same result whatever threads could start, failures and
// cancellations carried across threads.
#include "support/fan_out.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "constructions/hammersley.h"
#include "simplex_weights/errors.h"
#include "support/filling_sink.h"

namespace simplex_weights::detail {
namespace {

// Starts the threads of the blocks it is told to, refuses the others as the system would.
class RefusingStarter final : public ThreadStarter {
 public:
  explicit RefusingStarter(std::vector<bool> starts) : starts_(std::move(starts)) {}
  std::thread start(std::function<void()> body) override {
    const bool allowed = starts_[next_++ % starts_.size()];
    if (!allowed)
      throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    ++started;
    return std::thread(std::move(body));
  }
  int started = 0;

 private:
  std::vector<bool> starts_;
  std::size_t next_ = 0;
};

// The rows of a Hammersley set as fan_out fills them, block by block.
std::vector<double> rows_in_blocks(std::size_t blocks, ThreadStarter& starter) {
  constexpr int k = 5;
  constexpr int N = 10007;
  std::vector<double> values(static_cast<std::size_t>(k) * N, -1.0);
  fan_out(
      N, blocks,
      [&](std::size_t first, std::size_t last, std::size_t /*block*/) {
        FillingSink sink(values.data() + first * k);
        hammersley_rows(kUdhWeights, k, N, static_cast<int>(first), static_cast<int>(last), sink);
      },
      starter);
  return values;
}

TEST(FanOut, BlocksWhoseThreadCannotStartAreWorkedByTheCaller) {
  ThreadStarter threads;
  const std::vector<double> one_pass = rows_in_blocks(1, threads);
  for (const std::vector<bool>& starts :
       {std::vector<bool>{false}, std::vector<bool>{true, false}, std::vector<bool>{false, true}}) {
    RefusingStarter starter(starts);
    EXPECT_EQ(rows_in_blocks(7, starter), one_pass);
  }
  RefusingStarter none({false});
  rows_in_blocks(7, none);
  EXPECT_EQ(none.started, 0);
}

TEST(FanOut, AFailureInAnyBlockReachesTheCallerOnceAllHaveEnded) {
  std::atomic<int> ended{0};
  EXPECT_THROW(fan_out(8, 4,
                       [&](std::size_t first, std::size_t, std::size_t) {
                         ++ended;
                         if (first == 6) throw std::runtime_error("block 3");
                       }),
               std::runtime_error);
  EXPECT_EQ(ended.load(), 4);
}

TEST(FanOut, TheCallersCancellationHoldsInEveryThread) {
  Cancellation stop;
  stop.request();
  const CancelScope scope(stop);
  std::atomic<int> cancelled{0};
  fan_out(4, 4, [&](std::size_t, std::size_t, std::size_t) {
    try {
      throw_if_cancelled();
    } catch (const Error& error) {
      if (error.code() == ErrorCode::kCancelled) ++cancelled;
    }
  });
  EXPECT_EQ(cancelled.load(), 4);
}

}  // namespace
}  // namespace simplex_weights::detail
