#include "simplex_weights/text_format.h"

#include <algorithm>
#include <new>
#include <string>

#include "files/file_system.h"
#include "files/publication.h"
#include "inspect/reading.h"
#include "simplex_weights/errors.h"
#include "support/arguments.h"
#include "support/cancel.h"
#include "support/memory.h"
#include "text/rows.h"
#include "text/writer.h"

namespace simplex_weights {

using namespace detail;

FileLayout program_layout(Construction construction) {
  switch (construction) {
    case Construction::kTglp:
      return {RowFormat::kFixed, false};
    case Construction::kUdh:
      return {RowFormat::kFixedSeparated, true};
    case Construction::kUdhProduct:
      return {RowFormat::kFixedSeparated, false};
    case Construction::kGwud:
    case Construction::kGwudProduct:
      return {RowFormat::kScientific, true};
    case Construction::kMsld:
      return {RowFormat::kFixed, true};
    case Construction::kGlpCube:
      return {RowFormat::kScientific, true};
    case Construction::kEnergy:
      return {RowFormat::kFixed, false};
  }
  return {RowFormat::kFixed, true};
}

namespace {

void check_digits(int digits) {
  if (digits < kMinRowDigits || digits > kMaxRowDigits) {
    throw InvalidArgument(range_message("the digits", kMinRowDigits, kMaxRowDigits));
  }
}

// The header, when asked for, then every row: formatted as it is written, never held whole.
void write_rows(Writer& out, const WeightSet& set, RowFormat format, bool header) {
  if (header) {
    write_header(out, static_cast<long long>(set.rows), static_cast<long long>(set.columns));
  }
  CancelCheck check;
  for (std::size_t i = 0; i < set.rows; ++i) {
    check();
    print(out, set.row(i), static_cast<int>(set.columns), format);
  }
}

[[noreturn]] void fail_memory() { throw Error(kOutOfMemoryMessage, {}, ErrorCode::kOutOfMemory); }

}  // namespace

std::string format_weight_file(const WeightSet& set, RowFormat format, int digits, bool header) {
  check_digits(digits);
  try {
    std::string text;
    Writer out(&text);
    out.set_digits(digits);
    write_rows(out, set, format, header);
    out.flush();
    return text;
  } catch (const std::bad_alloc&) {
    fail_memory();
  }
}

void save(const std::string& path, const WeightSet& set, RowFormat format, int digits,
          bool header) {
  check_digits(digits);
  try {
    // The programs' own publication: a hidden file beside `path`, synced, then renamed onto
    // it; any failure removes the hidden file and leaves what was at `path` as it was.
    Publication file(path, false, kStandardMessages, digits, plain_file_system(), false);
    write_rows(file.rows(), set, format, header);
    file.open_final();
    file.finish();
  } catch (const std::bad_alloc&) {
    fail_memory();
  }
}

namespace {

// A header that disagrees with the rows marks a damaged file: a truncated one, most often.
void check_header(const FileRows& rows, const std::string& path) {
  if (!rows.header) return;
  const auto [stated_rows, stated_columns] = *rows.header;
  const bool columns_agree = rows.rows() == 0 || stated_columns == rows.columns;
  if (stated_rows == rows.rows() && columns_agree) return;
  throw Error(path + ": the header states " + std::to_string(stated_rows) + " rows of " +
                  std::to_string(stated_columns) + " values, the file holds " +
                  std::to_string(rows.rows()) + " rows of " + std::to_string(rows.columns) + "\n",
              {}, ErrorCode::kParse);
}

}  // namespace

WeightSet load(const std::string& path) {
  try {
    const FileRows rows = read_weight_set(path, false);
    if (rows.ragged) {
      throw Error(path + ": rows differ in length\n", {}, ErrorCode::kParse);
    }
    check_header(rows, path);
    WeightSet set;
    set.rows = static_cast<std::size_t>(rows.rows());
    // A header-only file keeps its columns: (0, m) reads back as (0, m).
    set.columns = set.rows > 0  ? static_cast<std::size_t>(rows.columns)
                  : rows.header ? static_cast<std::size_t>(std::max(0LL, rows.header->second))
                                : 0;
    set.values.assign(rows.values.begin(), rows.values.end());
    return set;
  } catch (const std::bad_alloc&) {
    fail_memory();
  }
}

}  // namespace simplex_weights
