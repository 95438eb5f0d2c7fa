#include "text/rows.h"

#include <cstdio>

namespace simplex_weights::detail {
namespace {

constexpr std::size_t kNameBufferSize = 100;

}  // namespace

void print(Writer& stream, const double* values, int count, RowFormat format) {
  for (int j = 0; j < count; ++j) {
    switch (format) {
      case RowFormat::kFixed:
        stream.fixed(values[j]);
        stream.put(' ');
        break;
      case RowFormat::kScientific:
        stream.scientific(values[j]);
        stream.put(' ');
        break;
      case RowFormat::kFixedSeparated:
        if (j > 0) stream.put(' ');
        stream.fixed(values[j]);
        break;
    }
  }
  stream.put('\n');
}

void write_header(Writer& stream, long long first, long long second) {
  stream.text("# ");
  stream.integer(first);
  stream.put(' ');
  stream.integer(second);
  stream.put('\n');
}

std::string file_name(const char* pattern, int first, int second) {
  char buffer[kNameBufferSize];
  std::snprintf(buffer, sizeof buffer, pattern, first, second);
  return buffer;
}

}  // namespace simplex_weights::detail
