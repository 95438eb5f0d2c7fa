#include "text/number_format.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace simplex_weights::detail {
namespace {

__extension__ typedef unsigned __int128 Wide;

constexpr std::uint64_t kMantissaMask = (std::uint64_t{1} << 52) - 1;
constexpr std::uint64_t kImplicitBit = std::uint64_t{1} << 52;

std::uint64_t bits_of(double x) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}

int biased_exponent(double x) { return static_cast<int>((bits_of(x) >> 52) & 0x7ff); }

// Exact rounding of the rational a / b to the nearest integer, ties to even, as printf rounds
// the exact binary value under the default rounding mode.
constexpr std::uint64_t round_quotient(Wide a, Wide b) {
  const Wide q = a / b;
  const Wide twice_remainder = (a % b) * 2;
  const bool up = twice_remainder > b || (twice_remainder == b && (q & 1) != 0);
  return static_cast<std::uint64_t>(q + (up ? 1 : 0));
}

// round(m * multiplier / 2^shift), ties to even, for 0 < shift < 128 and a result below 2^64.
// The product is split at the binary point into the integer part and the 64 bits after the
// point; bits further down only matter for telling a tie from just above it, so they are kept
// as one sticky bit. Adding just under one half, plus one when the integer part is odd, then
// carries out of the fraction exactly when the value rounds up.
constexpr std::uint64_t round_scaled(std::uint64_t m, int shift, std::uint64_t multiplier) {
  const Wide product = static_cast<Wide>(m) * multiplier;
  const auto high = static_cast<std::uint64_t>(product >> 64);
  const auto low = static_cast<std::uint64_t>(product);
  std::uint64_t whole = 0;
  std::uint64_t fraction = 0;
  if (shift >= 64) {
    const int s = shift - 64;  // the two-step shifts stay defined for s = 0
    whole = high >> s;
    fraction = ((high << (63 - s)) << 1) | (low >> s) | (((low << (63 - s)) << 1) != 0 ? 1 : 0);
  } else {
    whole = (high << (64 - shift)) | (low >> shift);
    fraction = low << (64 - shift);
  }
  const Wide carry = (static_cast<Wide>(fraction) + 0x7FFFFFFFFFFFFFFFULL + (whole & 1)) >> 64;
  return whole + static_cast<std::uint64_t>(carry);
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// "d.dddddd" for value < 10^7 (the digits of value / 10^6), read off a 44-bit fixed-point
// fraction one pair at a time. The rounded-up constant exceeds 2^44 / 10^6 by less than 1, so
// the excess stays below one unit of the last digit for every value below 1.7 * 10^7.
char* write_point_six(char* out, std::uint64_t value) {
  constexpr int kFractionBits = 44;
  constexpr std::uint64_t kMask = (std::uint64_t{1} << kFractionBits) - 1;
  constexpr std::uint64_t kScale = (std::uint64_t{1} << kFractionBits) / 1000000 + 1;
  std::uint64_t fraction = value * kScale;
  out[0] = static_cast<char>('0' + (fraction >> kFractionBits));
  out[1] = '.';
  for (int pair = 0; pair < 3; ++pair) {
    fraction = (fraction & kMask) * 100;
    std::memcpy(out + 2 + 2 * pair, kDigitPairs + 2 * (fraction >> kFractionBits), 2);
  }
  return out + 8;
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
                                          1000000000000000000ULL,
                                          10000000000000000000ULL};

// The binary exponents (biased) of |x| < 2^30.
constexpr int kFixedHighest = 1052;

// "%f" for |x| < 2^30: x * 10^6 rounded exactly with 128-bit integers. |x| = m / 2^shift with
// shift >= 23 here; below 2^-22 (shift > 74) the value rounds to zero, as zero and the
// subnormals do.
char* fixed_small(char* out, double x) {
  const std::uint64_t bits = bits_of(x);
  *out = '-';
  out += bits >> 63;
  const int shift = 1075 - static_cast<int>((bits >> 52) & 0x7ff);
  std::uint64_t scaled = 0;
  if (shift <= 74) {
    const std::uint64_t mantissa = (bits & kMantissaMask) | kImplicitBit;
    scaled = round_scaled(mantissa, shift, kPowersOfTen[6]);
  }
  if (scaled < kPowersOfTen[7]) return write_point_six(out, scaled);
  const std::uint64_t whole = scaled / kPowersOfTen[6];
  out = write_unsigned(out, whole / 10);
  return write_point_six(out, scaled - whole / 10 * kPowersOfTen[7]);
}

// digits + 1 significant digits of m / 2^shift at decimal exponent e:
// round(m * 10^(digits - e) / 2^shift); 10^(digits - e) below 2^64, 10^(e - digits) * 2^shift
// below 2^128.
constexpr std::uint64_t significand(std::uint64_t mantissa, int shift, int e, int digits = 6) {
  const int p = digits - e;
  if (p >= 0) return round_scaled(mantissa, shift, kPowersOfTen[p]);
  return round_quotient(mantissa, static_cast<Wide>(kPowersOfTen[-p]) << shift);
}

// The binary exponents (biased) of the binades around 1e-10 <= |x| < 1e10, where every
// quotient fits 128 bits and the decimal exponent has two digits.
constexpr int kModerateLowest = 989;
constexpr int kModerateHighest = 1056;

// For one binary exponent: |x| lies in [2^L, 2^(L + 1)), so its decimal exponent (after
// rounding to seven digits) is floor(L log10 2) or the next one; the next one from a threshold
// mantissa on. Knowing the threshold saves a second rounding, or a branch that goes either way.
struct DecimalExponent {
  int estimate;
  std::uint64_t next_from;
};

constexpr DecimalExponent decimal_exponent(int biased) {
  // (L * 78913) >> 18 is floor(L log10 2) for every binary exponent L of a double.
  const int estimate = ((biased - 1023) * 78913) >> 18;
  const int shift = 1075 - biased;
  std::uint64_t low = kImplicitBit;
  std::uint64_t high = kImplicitBit << 1;  // no mantissa of the binade reaches the next exponent
  while (low < high) {
    const std::uint64_t middle = low + (high - low) / 2;
    if (significand(middle, shift, estimate) >= kPowersOfTen[7]) {
      high = middle;
    } else {
      low = middle + 1;
    }
  }
  return {estimate, low};
}

constexpr auto kDecimalExponents = [] {
  std::array<DecimalExponent, kModerateHighest - kModerateLowest + 1> table{};
  for (int biased = kModerateLowest; biased <= kModerateHighest; ++biased) {
    table[static_cast<std::size_t>(biased - kModerateLowest)] = decimal_exponent(biased);
  }
  return table;
}();

// "%e" for the binades of kModerateLowest .. kModerateHighest.
char* scientific_moderate(char* out, double x) {
  const std::uint64_t bits = bits_of(x);
  *out = '-';
  out += bits >> 63;
  const int biased = static_cast<int>((bits >> 52) & 0x7ff);
  const std::uint64_t mantissa = (bits & kMantissaMask) | kImplicitBit;
  const DecimalExponent& exponent =
      kDecimalExponents[static_cast<std::size_t>(biased - kModerateLowest)];
  // At the next exponent |x| < 2 * 10^(e + 1), so seven digits never carry into an eighth.
  const int e = exponent.estimate + (mantissa >= exponent.next_from ? 1 : 0);
  out = write_point_six(out, significand(mantissa, 1075 - biased, e));
  *out++ = 'e';
  *out++ = e < 0 ? '-' : '+';
  std::memcpy(out, kDigitPairs + 2 * (e < 0 ? -e : e), 2);  // |e| <= 11 here
  return out + 2;
}

char* copy_text(char* out, const char* text) {
  while (*text != '\0') *out++ = *text++;
  return out;
}

// glibc prints the sign of a NaN; std::to_chars does too, but spell it out so that the files
// agree with printf whatever the library does.
char* format_non_finite(char* out, double x) {
  return copy_text(
      out, std::isnan(x) ? (std::signbit(x) ? "-nan" : "nan") : (std::signbit(x) ? "-inf" : "inf"));
}

// Any number of digits: the same exact scaling, with the digits written by division. Six
// digits, the suite's default, keep the paths above, which avoid the division.

// The largest binary exponent E with 2^E * 10^digits <= 2^63, so that every |x| < 2^E scaled
// by 10^digits fits 64 bits; at most 52, so that every such x has bits below the binary point.
constexpr int scaled_fixed_limit(int digits) {
  int e = 52;
  while ((static_cast<Wide>(1) << e) * kPowersOfTen[digits] > (static_cast<Wide>(1) << 63)) --e;
  return e;
}

constexpr auto kFixedLimits = [] {
  std::array<int, kMaxDigits + 1> limits{};
  for (int digits = kMinDigits; digits <= kMaxDigits; ++digits) {
    limits[static_cast<std::size_t>(digits)] = scaled_fixed_limit(digits);
  }
  return limits;
}();

// `value` as `digits` decimal digits, with leading zeros.
char* write_padded(char* out, std::uint64_t value, int digits) {
  for (int at = digits - 1; at >= 0; --at) {
    out[at] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return out + digits;
}

char* fixed_any(char* out, double x, int digits) {
  const std::uint64_t bits = bits_of(x);
  *out = '-';
  out += bits >> 63;
  const int shift = 1075 - static_cast<int>((bits >> 52) & 0x7ff);
  std::uint64_t scaled = 0;
  // Below 2^-75 every value rounds to zero at 17 digits or fewer (zero and subnormals too).
  if (shift < 128) {
    const std::uint64_t mantissa = (bits & kMantissaMask) | kImplicitBit;
    scaled = round_scaled(mantissa, shift, kPowersOfTen[digits]);
  }
  const std::uint64_t unit = kPowersOfTen[digits];
  out = std::to_chars(out, out + 24, scaled / unit).ptr;
  *out++ = '.';
  return write_padded(out, scaled % unit, digits);
}

char* scientific_any(char* out, double x, int digits) {
  const std::uint64_t bits = bits_of(x);
  *out = '-';
  out += bits >> 63;
  const int biased = static_cast<int>((bits >> 52) & 0x7ff);
  const std::uint64_t mantissa = (bits & kMantissaMask) | kImplicitBit;
  const int shift = 1075 - biased;
  // |x| >= 2^L >= 10^estimate, so the significand has at least digits + 1 digits; one more
  // means the exponent is the next one.
  int e = ((biased - 1023) * 78913) >> 18;
  std::uint64_t value = significand(mantissa, shift, e, digits);
  if (value >= kPowersOfTen[digits + 1]) {
    ++e;
    value = significand(mantissa, shift, e, digits);
  }
  const std::uint64_t unit = kPowersOfTen[digits];
  *out++ = static_cast<char>('0' + value / unit);
  *out++ = '.';
  out = write_padded(out, value % unit, digits);
  *out++ = 'e';
  *out++ = e < 0 ? '-' : '+';
  std::memcpy(out, kDigitPairs + 2 * (e < 0 ? -e : e), 2);  // |e| <= 11 here
  return out + 2;
}

}  // namespace

// The fast paths are chosen by the biased binary exponent alone: one comparison that also
// keeps out zero, subnormals, infinities and NaN where they must be.
char* format_fixed(char* out, double x) {
  if (biased_exponent(x) <= kFixedHighest) return fixed_small(out, x);
  if (!std::isfinite(x)) return format_non_finite(out, x);
  return std::to_chars(out, out + kMaxNumberChars, x, std::chars_format::fixed, 6).ptr;
}

char* format_scientific(char* out, double x) {
  const int biased = biased_exponent(x);
  if (biased >= kModerateLowest && biased <= kModerateHighest) return scientific_moderate(out, x);
  if (!std::isfinite(x)) return format_non_finite(out, x);
  if (x == 0) {
    return std::signbit(x) ? copy_text(out, "-0.000000e+00") : copy_text(out, "0.000000e+00");
  }
  return std::to_chars(out, out + kMaxNumberChars, x, std::chars_format::scientific, 6).ptr;
}

char* format_fixed(char* out, double x, int digits) {
  if (digits == kDefaultDigits) return format_fixed(out, x);
  if (biased_exponent(x) < 1023 + kFixedLimits[static_cast<std::size_t>(digits)]) {
    return fixed_any(out, x, digits);
  }
  if (!std::isfinite(x)) return format_non_finite(out, x);
  return std::to_chars(out, out + kMaxNumberChars, x, std::chars_format::fixed, digits).ptr;
}

char* format_scientific(char* out, double x, int digits) {
  if (digits == kDefaultDigits) return format_scientific(out, x);
  const int biased = biased_exponent(x);
  // Within the moderate binades the decimal exponent lies in -11 .. 10; the scale 10^(digits - e)
  // must stay below 2^64, so small values with many digits go to the library.
  const int lowest_exponent = ((biased - 1023) * 78913) >> 18;
  if (biased >= kModerateLowest && biased <= kModerateHighest && digits - lowest_exponent <= 19) {
    return scientific_any(out, x, digits);
  }
  if (!std::isfinite(x)) return format_non_finite(out, x);
  return std::to_chars(out, out + kMaxNumberChars, x, std::chars_format::scientific, digits).ptr;
}

char* format_integer(char* out, long long v) {
  return std::to_chars(out, out + kMaxNumberChars, v).ptr;
}

}  // namespace simplex_weights::detail
