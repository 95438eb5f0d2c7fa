// Integers read from text (command-line arguments and the prime table) and the texts that
// state the ranges the programs accept.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace simplex_weights::detail {

/// One integer as "%d" and atoi read it, starting at `at`: leading white space, an optional
/// sign, decimal digits. `end` is where the digits stop.
struct IntegerPrefix {
  enum class Kind { kNone, kValue, kOutOfRange } kind;
  int value;
  std::size_t end;
};
IntegerPrefix read_integer_prefix(std::string_view text, std::size_t at = 0);

/// Converts text as atoi does (the rest after the digits ignored, no digits gives 0), or
/// nothing when the number is outside the signed 32-bit range.
std::optional<int> parse_atoi(std::string_view text);

/// "lo .. hi".
std::string range_text(long long lo, long long hi);

/// "Error... <what> should lie in lo .. hi\n".
std::string range_message(std::string_view what, long long lo, long long hi);

}  // namespace simplex_weights::detail
