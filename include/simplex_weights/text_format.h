// The suite's text format: an optional "# rows columns" header line, then one row per line in
// one of the programs' number forms, byte-identical to the C library's printf.
#pragma once

#include <string>

#include "simplex_weights/constructions.h"
#include "simplex_weights/export.h"
#include "simplex_weights/weight_set.h"

namespace simplex_weights {

/// Number forms of a row: every value followed by a blank ("%f ", "%e "), or values separated
/// by single blanks with none after the last ("%lf").
enum class RowFormat { kFixed, kScientific, kFixedSeparated };

/// Digits after the decimal point the formats take.
inline constexpr int kMinRowDigits = 1;
inline constexpr int kMaxRowDigits = 17;

/// How a program writes its rows, and whether its file starts with the header line.
struct FileLayout {
  RowFormat format;
  bool header;
};
SIMPLEX_WEIGHTS_EXPORT FileLayout program_layout(Construction construction);

/// The text of a weight file: the header when asked for, then every row in `format` with
/// `digits` digits after the point (kMinRowDigits .. kMaxRowDigits).
SIMPLEX_WEIGHTS_EXPORT std::string format_weight_file(const WeightSet& set, RowFormat format,
                                                      int digits = 6, bool header = true);

/// Writes format_weight_file(...) to `path` whole or not at all, as the programs publish their
/// files: the rows go to a hidden file of the call's own beside `path`
/// (".<name>.sw-partial.XXXXXX", created exclusively), are synced, and the hidden file is
/// renamed onto `path`. A file or link at `path` is replaced, never written through; a
/// directory, FIFO, socket or device there, or a link to a device or stream, is refused at
/// once; on any failure (a full disk, a file-size limit, memory, a cancellation) the hidden
/// file is removed and what was at `path` stays as it was. "-" is a file of that name. The
/// default, scientific with 17 digits, reads back as the same doubles; the fixed forms keep 17
/// digits after the point, which read back exactly only values of 0.1 or more. Throws Error.
SIMPLEX_WEIGHTS_EXPORT void save(const std::string& path, const WeightSet& set,
                                 RowFormat format = RowFormat::kScientific, int digits = 17,
                                 bool header = true);

/// Reads a weight file in any form weights_inspect reads (header optional, any strtod
/// numbers); "-" is a file of that name, never standard input. Throws Error with
/// ErrorCode::kParse for text that is no weight file, for ragged rows and for a header that
/// disagrees with the rows (a truncated file), naming both counts; ErrorCode::kIo when the
/// file cannot be read. A header-only file "# 0 m" reads back as 0 rows of m columns.
SIMPLEX_WEIGHTS_EXPORT WeightSet load(const std::string& path);

}  // namespace simplex_weights
