// Rows of a weight file: the number forms, the row writer, the header line and file names.
#pragma once

#include <string>

#include "simplex_weights/text_format.h"
#include "text/writer.h"

namespace simplex_weights::detail {

/// The row writer: values[0 .. count - 1] in `format` with the stream's digits, then "\n".
void print(Writer& stream, const double* values, int count, RowFormat format);

/// The header line "# %d %d\n".
void write_header(Writer& stream, long long first, long long second);

/// Formats a file name from a printf pattern with two integers, as into a 100-character buffer.
std::string file_name(const char* pattern, int first, int second);

}  // namespace simplex_weights::detail
