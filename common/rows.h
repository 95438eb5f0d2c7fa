// Rows of a weight file: the number forms, the row writer, the header line and file names.
#pragma once

#include <string>

#include "writer.h"

namespace weights {

/// Number forms of a row: every value followed by a blank ("%f ", "%e "), or values separated
/// by single blanks with none after the last ("%lf").
enum class RowFormat { kFixed, kScientific, kFixedSeparated };

/// Digits after the decimal point of every row value the process writes (--digits); the trace
/// keeps its own formats.
void set_row_digits(int digits);
int row_digits();

/// The row writer: values[0 .. count - 1] in `format`, then "\n".
void print(Writer& stream, const double* values, int count, RowFormat format);

/// The header line "# %d %d\n".
void write_header(Writer& stream, long long first, long long second);

/// Formats a file name from a printf pattern with two integers, as into a 100-character buffer.
std::string file_name(const char* pattern, int first, int second);

}  // namespace weights
