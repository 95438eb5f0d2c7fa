#include "support/cancel.h"

#include "simplex_weights/errors.h"

namespace simplex_weights {
namespace {

// Per thread, and only while a CancelScope lasts.
thread_local const Cancellation* scoped = nullptr;

}  // namespace

CancelScope::CancelScope(const Cancellation& cancellation) : previous_(scoped) {
  scoped = &cancellation;
}

CancelScope::~CancelScope() { scoped = previous_; }

namespace detail {

const Cancellation* current_cancellation() { return scoped; }

void throw_if_cancelled() {
  if (scoped != nullptr && scoped->requested()) {
    throw Error("Error... the call was cancelled.\n", {}, ErrorCode::kCancelled);
  }
}

}  // namespace detail
}  // namespace simplex_weights
