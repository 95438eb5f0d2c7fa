#include "text/exact_sums.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "text/number_format.h"
#include "text/rows.h"

namespace simplex_weights::detail {
namespace {

__extension__ typedef __int128 Units;

// One component: its value in units u and what its rounding lost (positive) or gained.
struct Rounded {
  Units units;
  long double lost;
};

Units power_of_ten(int exponent) {
  Units power = 1;
  for (int i = 0; i < exponent; ++i) power *= 10;
  return power;
}

// round(x * 10^places), exactly as printf would round it, for 0 <= x <= 1 and places <= 20.
Units scaled(double x, int places) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, x, std::chars_format::fixed, places);
  Units units = 0;
  for (const char* c = text; c < result.ptr; ++c) {
    if (*c >= '0' && *c <= '9') units = units * 10 + (*c - '0');
  }
  return units;
}

// The decimal exponent of x as "%.De" prints it.
int printed_exponent(double x, int digits) {
  char text[kMaxNumberChars];
  char* end = format_scientific(text, x, digits);
  *end = '\0';
  const char* e = text;
  while (*e != 'e') ++e;
  return std::atoi(e + 1);
}

std::string digits_of(Units units) {
  std::string text;
  do {
    text.insert(text.begin(), static_cast<char>('0' + static_cast<int>(units % 10)));
    units /= 10;
  } while (units > 0);
  return text;
}

// units * 10^-digits as "%.Df".
void write_fixed(Writer& stream, Units units, int digits) {
  char reversed[48];  // the digits from the last: at most 21 of them, or digits + 1
  int count = 0;
  do {
    reversed[count++] = static_cast<char>('0' + static_cast<int>(units % 10));
    units /= 10;
  } while (units > 0);
  while (count <= digits) reversed[count++] = '0';
  char text[64];
  int length = 0;
  for (int i = count - 1; i >= 0; --i) {
    if (i == digits - 1) text[length++] = '.';
    text[length++] = reversed[i];
  }
  stream.text(std::string_view(text, static_cast<std::size_t>(length)));
}

// units * 10^unit_exponent as "%.De", padded with zeros past the units' own digits.
void write_scientific(Writer& stream, Units units, int unit_exponent, int digits) {
  if (units == 0) {
    stream.text("0." + std::string(static_cast<std::size_t>(digits), '0') + "e+00");
    return;
  }
  std::string mantissa = digits_of(units);
  const int exponent = unit_exponent + static_cast<int>(mantissa.size()) - 1;
  mantissa.resize(static_cast<std::size_t>(digits) + 1, '0');  // only zeros fall off
  char exponent_text[16];
  std::snprintf(exponent_text, sizeof exponent_text, "e%c%02d", exponent < 0 ? '-' : '+',
                std::abs(exponent));
  stream.text(mantissa.substr(0, 1) + "." + mantissa.substr(1) + exponent_text);
}

// Moves the fewest components by one unit so that the units add up to `total`.
void balance(std::vector<Rounded>& rows, Units total) {
  Units sum = 0;
  for (const Rounded& r : rows) sum += r.units;
  while (sum != total) {
    const bool up = sum < total;
    int best = -1;
    for (int j = 0; j < static_cast<int>(rows.size()); ++j) {
      const Rounded& r = rows[static_cast<std::size_t>(j)];
      if (up ? r.units >= total : r.units <= 0) continue;
      const Rounded& b = rows[static_cast<std::size_t>(best < 0 ? 0 : best)];
      if (best < 0 || (up ? r.lost > b.lost : r.lost < b.lost)) best = j;
    }
    if (best < 0) return;  // nothing can move: the row cannot reach 1
    Rounded& moved = rows[static_cast<std::size_t>(best)];
    moved.units += up ? 1 : -1;
    moved.lost += up ? -1.0L : 1.0L;
    sum += up ? 1 : -1;
  }
}

}  // namespace

void print_exact_sum(Writer& stream, const double* values, int count, RowFormat format) {
  const int digits = stream.digits();
  double largest = 0;
  for (int j = 0; j < count; ++j) {
    if (!std::isfinite(values[j])) {
      print(stream, values, count, format);
      return;
    }
    largest = std::fmax(largest, values[j]);
  }
  const bool scientific = format == RowFormat::kScientific;
  // The unit is 10^-places; 1 is 10^places units.
  const int places =
      scientific && largest > 0 ? digits - printed_exponent(largest, digits) : digits;
  const Units total = power_of_ten(places);
  std::vector<Rounded> rows(static_cast<std::size_t>(count));
  for (int j = 0; j < count; ++j) {
    const double x = std::fmin(std::fmax(values[j], 0.0), 1.0);
    Rounded& r = rows[static_cast<std::size_t>(j)];
    r.units = scaled(x, places);
    r.lost = static_cast<long double>(x) * static_cast<long double>(total) -
             static_cast<long double>(r.units);
  }
  balance(rows, total);
  for (int j = 0; j < count; ++j) {
    const Units units = rows[static_cast<std::size_t>(j)].units;
    if (format == RowFormat::kFixedSeparated && j > 0) stream.put(' ');
    if (scientific) {
      write_scientific(stream, units, -places, digits);
    } else {
      write_fixed(stream, units, digits);
    }
    if (format != RowFormat::kFixedSeparated) stream.put(' ');
  }
  stream.put('\n');
}

}  // namespace simplex_weights::detail
