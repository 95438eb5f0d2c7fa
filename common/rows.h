// Rows of a weight file: the number forms, the row writer, the header line and file names.
#pragma once

#include <string>

#include "writer.h"

namespace weights {

/// Number forms of a row: every value followed by a blank ("%f ", "%e "), or values separated
/// by single blanks with none after the last ("%lf").
enum class RowFormat { kFixed, kScientific, kFixedSeparated };

/// The row writer: values[0 .. count - 1] in `format`, then "\n".
void print(Writer& stream, const double* values, int count, RowFormat format);

/// The header line "# %d %d\n".
void write_header(Writer& stream, long long first, long long second);

/// Formats a file name from a printf pattern with two integers, as into a 100-character buffer.
std::string file_name(const char* pattern, int first, int second);

}  // namespace weights
