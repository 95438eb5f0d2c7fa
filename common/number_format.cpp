#include "number_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace weights {
namespace {

// glibc prints the sign of a NaN; std::to_chars does too, but spell it out so that both
// builds agree whatever the library does.
char* format_non_finite(char* out, double x) {
  const char* text =
      std::isnan(x) ? (std::signbit(x) ? "-nan" : "nan") : (std::signbit(x) ? "-inf" : "inf");
  while (*text != '\0') *out++ = *text++;
  return out;
}

}  // namespace

#ifdef WEIGHTS_LEGACY_IO
// The C library's own formatting: slower, kept to measure the fast path against.
char* format_fixed(char* out, double x) {
  return out + std::snprintf(out, kMaxNumberChars, "%f", x);
}
char* format_scientific(char* out, double x) {
  return out + std::snprintf(out, kMaxNumberChars, "%e", x);
}
#else
char* format_fixed(char* out, double x) {
  if (!std::isfinite(x)) return format_non_finite(out, x);
  return std::to_chars(out, out + kMaxNumberChars, x, std::chars_format::fixed, 6).ptr;
}
char* format_scientific(char* out, double x) {
  if (!std::isfinite(x)) return format_non_finite(out, x);
  return std::to_chars(out, out + kMaxNumberChars, x, std::chars_format::scientific, 6).ptr;
}
#endif

char* format_integer(char* out, long long v) {
  return std::to_chars(out, out + kMaxNumberChars, v).ptr;
}

}  // namespace weights
