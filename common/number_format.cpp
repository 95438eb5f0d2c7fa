#include "number_format.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace weights {
namespace {

#ifndef WEIGHTS_LEGACY_IO
__extension__ typedef unsigned __int128 Wide;

// Exact rounding of the rational a / b to the nearest integer, ties to even, as printf rounds
// the exact binary value under the default rounding mode.
std::uint64_t round_quotient(Wide a, Wide b) {
  const Wide q = a / b;
  const Wide twice_remainder = (a % b) * 2;
  const bool up = twice_remainder > b || (twice_remainder == b && (q & 1) != 0);
  return static_cast<std::uint64_t>(q + (up ? 1 : 0));
}

// The same rounding for b = 2^shift, without a division.
std::uint64_t round_shift(Wide a, int shift) {
  if (shift == 0) return static_cast<std::uint64_t>(a);
  const Wide q = a >> shift;
  const Wide remainder = a & ((static_cast<Wide>(1) << shift) - 1);
  const Wide half = static_cast<Wide>(1) << (shift - 1);
  const bool up = remainder > half || (remainder == half && (q & 1) != 0);
  return static_cast<std::uint64_t>(q + (up ? 1 : 0));
}

// |x| = mantissa * 2^exponent with an integer mantissa; x finite and non-zero.
void decompose(double x, std::uint64_t& mantissa, int& exponent) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &x, sizeof bits);
  const int biased = static_cast<int>((bits >> 52) & 0x7ff);
  mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  if (biased == 0) {
    exponent = -1074;  // subnormal
  } else {
    mantissa |= std::uint64_t{1} << 52;
    exponent = biased - 1075;
  }
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Exactly six digits of value < 10^6, zero-padded.
char* write_six_digits(char* out, std::uint64_t value) {
  for (int pair = 2; pair >= 0; --pair) {
    std::memcpy(out + 2 * pair, kDigitPairs + 2 * (value % 100), 2);
    value /= 100;
  }
  return out + 6;
}

char* write_unsigned(char* out, std::uint64_t value) {
  char digits[20];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (count > 0) *out++ = digits[--count];
  return out;
}

constexpr std::uint64_t kPowersOfTen[] = {1ULL,
                                          10ULL,
                                          100ULL,
                                          1000ULL,
                                          10000ULL,
                                          100000ULL,
                                          1000000ULL,
                                          10000000ULL,
                                          100000000ULL,
                                          1000000000ULL,
                                          10000000000ULL,
                                          100000000000ULL,
                                          1000000000000ULL,
                                          10000000000000ULL,
                                          100000000000000ULL,
                                          1000000000000000ULL,
                                          10000000000000000ULL,
                                          100000000000000000ULL,
                                          1000000000000000000ULL};

// "%f" for |x| < 2^30: x * 10^6 rounded exactly with 128-bit integers.
char* fixed_small(char* out, double x) {
  if (std::signbit(x)) *out++ = '-';
  std::uint64_t scaled = 0;
  if (x != 0) {
    std::uint64_t mantissa = 0;
    int exponent = 0;
    decompose(x, mantissa, exponent);
    const Wide numerator = static_cast<Wide>(mantissa) * kPowersOfTen[6];
    // exponent < -23 below 2^30; below 2^-47 the value rounds to zero.
    if (exponent > -100) scaled = round_shift(numerator, -exponent);
  }
  out = write_unsigned(out, scaled / kPowersOfTen[6]);
  *out++ = '.';
  return write_six_digits(out, scaled % kPowersOfTen[6]);
}

// Seven significant digits of |x| at decimal exponent e: round(|x| * 10^(6 - e)).
std::uint64_t significand(std::uint64_t mantissa, int exponent, int e) {
  const int p = 6 - e;
  if (p >= 0) return round_shift(static_cast<Wide>(mantissa) * kPowersOfTen[p], -exponent);
  return round_quotient(mantissa, static_cast<Wide>(kPowersOfTen[-p]) << -exponent);
}

// "%e" for 1e-10 <= |x| < 1e10, where every quotient fits 128 bits.
char* scientific_moderate(char* out, double x) {
  if (std::signbit(x)) *out++ = '-';
  std::uint64_t mantissa = 0;
  int exponent = 0;
  decompose(x, mantissa, exponent);
  // |x| lies in [2^(b - 1), 2^b) with b = exponent + 53, so its decimal exponent is this
  // estimate or the next one.
  int e = static_cast<int>(std::floor((exponent + 52) * 0.30102999566398120));
  std::uint64_t digits = significand(mantissa, exponent, e);
  if (digits >= kPowersOfTen[7]) digits = significand(mantissa, exponent, ++e);
  if (digits < kPowersOfTen[6]) digits = significand(mantissa, exponent, --e);
  if (digits >= kPowersOfTen[7]) {  // 9.9999995 rounding up across the power of ten
    digits = kPowersOfTen[6];
    ++e;
  }
  *out++ = static_cast<char>('0' + digits / kPowersOfTen[6]);
  *out++ = '.';
  out = write_six_digits(out, digits % kPowersOfTen[6]);
  *out++ = 'e';
  *out++ = e < 0 ? '-' : '+';
  std::memcpy(out, kDigitPairs + 2 * (e < 0 ? -e : e), 2);  // |e| <= 10 here
  return out + 2;
}

char* copy_text(char* out, const char* text) {
  while (*text != '\0') *out++ = *text++;
  return out;
}

// glibc prints the sign of a NaN; std::to_chars does too, but spell it out so that both
// builds agree whatever the library does.
char* format_non_finite(char* out, double x) {
  const char* text =
      std::isnan(x) ? (std::signbit(x) ? "-nan" : "nan") : (std::signbit(x) ? "-inf" : "inf");
  while (*text != '\0') *out++ = *text++;
  return out;
}

#endif
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
  if (std::fabs(x) < 1073741824.0) return fixed_small(out, x);
  return std::to_chars(out, out + kMaxNumberChars, x, std::chars_format::fixed, 6).ptr;
}
char* format_scientific(char* out, double x) {
  if (!std::isfinite(x)) return format_non_finite(out, x);
  if (x == 0)
    return std::signbit(x) ? copy_text(out, "-0.000000e+00") : copy_text(out, "0.000000e+00");
  if (std::fabs(x) >= 1e-10 && std::fabs(x) < 1e10) return scientific_moderate(out, x);
  return std::to_chars(out, out + kMaxNumberChars, x, std::chars_format::scientific, 6).ptr;
}
#endif

char* format_integer(char* out, long long v) {
  return std::to_chars(out, out + kMaxNumberChars, v).ptr;
}

}  // namespace weights
