// The one exception type of the library: a failure with the exact text to show the user.
#pragma once

#include <stdexcept>
#include <string>

namespace weights {

/// Thrown by library code on any detected failure; only the program's entry point catches it,
/// prints `message()` on standard output as is (no newline added) and picks the exit status.
class Failure : public std::runtime_error {
 public:
  explicit Failure(std::string message) : std::runtime_error(std::move(message)) {}
  const char* message() const noexcept { return what(); }
};

/// Replaces the first "%s" of `format` with `value`; the other characters stay as they are.
std::string format_message(std::string_view format, std::string_view value);

}  // namespace weights
