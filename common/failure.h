// The one exception type of the library: a failure with the exact text to show the user.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace weights {

/// Thrown by library code on any detected failure; only the program's entry point catches it,
/// prints `message()` on standard output as is (no newline added), then `detail()`, when there
/// is one, as a line of its own on standard error, and picks the exit status.
class Failure : public std::runtime_error {
 public:
  explicit Failure(std::string message, std::string detail = {})
      : std::runtime_error(std::move(message)), detail_(std::move(detail)) {}
  const char* message() const noexcept { return what(); }
  /// The reason behind the message, for people (empty when the message says it all).
  const std::string& detail() const noexcept { return detail_; }

 private:
  std::string detail_;
};

/// Replaces the first "%s" of `format` with `value`; the other characters stay as they are.
std::string format_message(std::string_view format, std::string_view value);

}  // namespace weights
