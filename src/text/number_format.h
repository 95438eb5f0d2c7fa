// Exact, fast text forms of numbers, byte-identical to the C library's "%f", "%e" and "%d".
//
// The method is exact integer scaling: a finite double is m / 2^k with an integer m below
// 2^53, so its six-decimal value is round(m * 10^6 / 2^k), which one 128-bit product and a
// shift with a sticky bit give exactly, ties to even as printf rounds. "%e" first picks the
// decimal exponent from a per-binade threshold table, so each value is rounded once. The same
// idea, with precomputed tables for every exponent, is Ryu printf (Ulf Adams, "Ryu revisited:
// printf floating point conversion", OOPSLA 2019). Values outside the fast ranges go to
// std::to_chars, which is exact but several times slower (bench/library_bench.cpp measures
// both and snprintf).
#pragma once

#include <cstddef>

namespace simplex_weights::detail {

/// Room that one formatted double can need: "%f" of -DBL_MAX is 317 characters.
inline constexpr std::size_t kMaxNumberChars = 330;

/// Writes x as printf's "%f" (and "%lf") would, into out (kMaxNumberChars of room); returns the
/// end. NaN and infinities give "nan", "-nan", "inf", "-inf" as glibc writes them.
char* format_fixed(char* out, double x);

/// Writes x as printf's "%e" would (one digit, point, six digits, exponent of two or more digits).
char* format_scientific(char* out, double x);

/// The digits after the decimal point that the formatters take: "%.1f" .. "%.17f".
inline constexpr int kMinDigits = 1;
inline constexpr int kMaxDigits = 17;
inline constexpr int kDefaultDigits = 6;

/// Writes x as printf's "%.Df" would, D = digits in kMinDigits .. kMaxDigits.
char* format_fixed(char* out, double x, int digits);

/// Writes x as printf's "%.De" would, D = digits in kMinDigits .. kMaxDigits.
char* format_scientific(char* out, double x, int digits);

/// Writes v as printf's "%d" would.
char* format_integer(char* out, long long v);

}  // namespace simplex_weights::detail
