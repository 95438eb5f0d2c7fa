// libFuzzer target for the reader: any bytes end as rows or as one file:line:column Failure,
// never a crash, a hang or unbounded memory; and the result does not depend on how the bytes
// are split into pieces.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "inspect/reading.h"
#include "support/failure.h"

namespace {

// The rows or the failure, as text to compare.
std::string read_in_pieces(std::string_view bytes, std::size_t piece) {
  simplex_weights::detail::RowReader reader("fuzz");
  try {
    for (std::size_t at = 0; at < bytes.size(); at += piece) reader.feed(bytes.substr(at, piece));
    const simplex_weights::detail::FileRows set = reader.finish();
    std::size_t values = 0;
    for (int length : set.row_lengths) values += static_cast<std::size_t>(length);
    if (values != set.values.size()) __builtin_trap();
    std::string text(reinterpret_cast<const char*>(set.values.data()),
                     set.values.size() * sizeof(double));
    for (long long line : set.row_lines) text += std::to_string(line) + ",";
    return text + (set.header ? "header" : "");
  } catch (const simplex_weights::detail::Failure& failure) {
    return failure.message();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // The first byte picks a piece size, so that tokens and lines cross the pieces' ends.
  const std::size_t piece = size > 0 ? 1 + data[0] % 64 : 1;
  const std::string whole = read_in_pieces(bytes, size > 0 ? size : 1);
  if (read_in_pieces(bytes, piece) != whole) __builtin_trap();
  return 0;
}
