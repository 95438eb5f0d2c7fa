#include "support/arguments.h"

#include <cctype>

namespace simplex_weights::detail {
namespace {

bool is_space(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool is_digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

}  // namespace

IntegerPrefix read_integer_prefix(std::string_view text, std::size_t at) {
  while (at < text.size() && is_space(text[at])) ++at;
  const bool negative = at < text.size() && text[at] == '-';
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
  if (at >= text.size() || !is_digit(text[at])) return {IntegerPrefix::Kind::kNone, 0, at};
  long long magnitude = 0;
  bool too_large = false;
  for (; at < text.size() && is_digit(text[at]); ++at) {
    if (!too_large) magnitude = magnitude * 10 + (text[at] - '0');
    too_large = too_large || magnitude > 2147483648LL;
  }
  const long long value = negative ? -magnitude : magnitude;
  if (too_large || value > 2147483647LL) return {IntegerPrefix::Kind::kOutOfRange, 0, at};
  return {IntegerPrefix::Kind::kValue, static_cast<int>(value), at};
}

std::optional<int> parse_atoi(std::string_view text) {
  const IntegerPrefix prefix = read_integer_prefix(text);
  if (prefix.kind == IntegerPrefix::Kind::kOutOfRange) return std::nullopt;
  return prefix.value;
}

std::string range_text(long long lo, long long hi) {
  return std::to_string(lo) + " .. " + std::to_string(hi);
}

std::string range_message(std::string_view what, long long lo, long long hi) {
  return "Error... " + std::string(what) + " should lie in " + range_text(lo, hi) + "\n";
}

}  // namespace simplex_weights::detail
