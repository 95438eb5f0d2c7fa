// libFuzzer target for the reader: any bytes, fed in pieces of any size, end as rows or as one
// file:line:column Failure, never a crash, a hang or unbounded memory.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "failure.h"
#include "reading.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // The first byte picks the piece size, so that tokens and lines cross the pieces' ends.
  const std::size_t piece = size > 0 ? 1 + data[0] % 64 : 1;
  weights::RowReader reader("fuzz");
  try {
    for (std::size_t at = 0; at < bytes.size(); at += piece) reader.feed(bytes.substr(at, piece));
    const weights::WeightSet set = reader.finish();
    std::size_t values = 0;
    for (int length : set.row_lengths) values += static_cast<std::size_t>(length);
    if (values != set.values.size()) __builtin_trap();
  } catch (const weights::Failure&) {
  }
  return 0;
}
