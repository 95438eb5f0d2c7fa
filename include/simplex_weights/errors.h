// The errors of the library: every failure is thrown as one of two exception types that carry
// a code beside the message, so that callers can branch on the kind of failure while the
// message stays the text the programs print.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

#include "simplex_weights/export.h"

namespace simplex_weights {

/// What went wrong, for callers that branch on it.
enum class ErrorCode {
  kInvalidArgument,  ///< an argument outside the range a construction supports
  kIo,               ///< a file could not be opened, read or written
  kOutOfMemory,      ///< an allocation was refused
  kParse,            ///< a file's text is not a weight file
  kCancelled,        ///< the call's Cancellation was requested
};

/// An argument out of range. `what()` is the programs' message for it, word for word
/// (ending in a newline, as they print it).
class SIMPLEX_WEIGHTS_EXPORT InvalidArgument : public std::invalid_argument {
 public:
  explicit InvalidArgument(const std::string& message, std::string detail = {})
      : std::invalid_argument(message), detail_(std::move(detail)) {}
  ErrorCode code() const noexcept { return ErrorCode::kInvalidArgument; }
  const char* message() const noexcept { return what(); }
  /// Empty: the message says it all.
  const std::string& detail() const noexcept { return detail_; }

 private:
  std::string detail_;
};

/// Any other failure: input and output, memory, unreadable files. `what()` is the programs'
/// message; `detail()` the reason behind it, for people (empty when the message says it all).
class SIMPLEX_WEIGHTS_EXPORT Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message, std::string detail = {},
                 ErrorCode code = ErrorCode::kIo)
      : std::runtime_error(message), detail_(std::move(detail)), code_(code) {}
  ErrorCode code() const noexcept { return code_; }
  const char* message() const noexcept { return what(); }
  const std::string& detail() const noexcept { return detail_; }

 private:
  std::string detail_;
  ErrorCode code_;
};

}  // namespace simplex_weights
