// Reading a weight file of any origin as its bytes arrive: an optional "# rows columns" header,
// then rows of blank-separated numbers in any form strtod reads (fixed, exponent, hex floats,
// inf, nan). Memory grows with the rows kept, never with the bytes read, and the first byte that
// cannot belong to a number ends the reading with a file:line:column message.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace simplex_weights::detail {

/// Rows of equal length in memory, not owned: what the distinct rows and the figures read, so
/// that a caller's own array is measured where it lies.
struct RowsView {
  const double* values = nullptr;  // all rows, flat
  long long count = 0;
  int columns = 0;

  long long rows() const { return count; }
  const double* row(long long i) const { return values + i * columns; }
  const double* begin() const { return values; }
  const double* end() const { return values + count * columns; }
};

/// A file's rows.
struct FileRows {
  std::string path;
  std::optional<std::pair<long long, long long>> header;
  std::vector<double> values;        // all rows, flat
  std::vector<int> row_lengths;      // values per row
  std::vector<long long> row_lines;  // line number of each row, from 1
  int columns = 0;                   // length of the first row
  bool ragged = false;
  /// The largest unit in the last printed place of any value (0.000001 for "%f" and for
  /// "%e" values of 1 or more); 0 for a file without values or with only hex floats.
  double last_place = 0;

  long long rows() const { return static_cast<long long>(row_lengths.size()); }
  const double* row(long long i) const { return values.data() + i * columns; }
  /// The rows as a view; meaningful only for a set that is not ragged.
  RowsView view() const { return {values.data(), rows(), columns}; }
};

/// Rows in memory as the checks and figures read a file's rows, printed with six digits.
FileRows file_rows_of(const double* values, std::size_t rows, std::size_t columns);

/// Turns bytes into rows, in pieces of any size; throws Failure "<path>:<line>:<column>: ..."
/// at the first token that is no number.
class RowReader {
 public:
  explicit RowReader(std::string path);
  void feed(std::string_view bytes);
  /// The rows, once every byte has been fed.
  FileRows finish();

 private:
  void byte(char c);
  void end_token();
  void end_line();
  [[noreturn]] void fail(long long column, const std::string& what) const;

  FileRows set_;
  long long line_ = 1;
  long long column_ = 0;  // of the byte being read, from 1
  int bytes_ = 0;         // of the byte-order mark matched at the start; 3 once past it
  bool comment_ = false;
  std::string header_text_;
  std::string token_;
  long long token_column_ = 0;
  int row_count_ = 0;
};

/// Reads a file, or standard input for "-" where `dash_is_standard_input`; throws Failure
/// "<path>: ..." when it cannot be read (a directory, no permission) and at the first token
/// that is no number. A FIFO that no process writes to within 5 s is refused.
FileRows read_weight_set(const std::string& path, bool dash_is_standard_input = true);

}  // namespace simplex_weights::detail
