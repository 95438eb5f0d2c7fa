// Exact, fast text forms of numbers, byte-identical to the C library's "%f", "%e" and "%d".
#pragma once

#include <cstddef>

namespace weights {

/// Room that one formatted double can need: "%f" of -DBL_MAX is 317 characters.
inline constexpr std::size_t kMaxNumberChars = 330;

/// Writes x as printf's "%f" (and "%lf") would, into out (kMaxNumberChars of room); returns the
/// end. NaN and infinities give "nan", "-nan", "inf", "-inf" as glibc writes them.
char* format_fixed(char* out, double x);

/// Writes x as printf's "%e" would (one digit, point, six digits, exponent of two or more digits).
char* format_scientific(char* out, double x);

/// Writes v as printf's "%d" would.
char* format_integer(char* out, long long v);

}  // namespace weights
