// Where the library's loops look for a request to stop: the Cancellation of the calling
// thread's CancelScope, carried into the threads a call starts.
#pragma once

#include "simplex_weights/cancel.h"

namespace simplex_weights::detail {

/// The calling thread's Cancellation, or nullptr outside any CancelScope.
const Cancellation* current_cancellation();

/// Throws Error (ErrorCode::kCancelled) when the calling thread's Cancellation was requested.
void throw_if_cancelled();

/// A check for loops of cheap steps: looks at the request once every `every` calls.
class CancelCheck {
 public:
  explicit CancelCheck(unsigned every = 1024) : every_(every) {}
  void operator()() {
    if (++count_ == every_) {
      count_ = 0;
      throw_if_cancelled();
    }
  }

 private:
  unsigned every_;
  unsigned count_ = 0;
};

}  // namespace simplex_weights::detail
