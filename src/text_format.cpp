#include "simplex_weights/text_format.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "inspect/reading.h"
#include "simplex_weights/errors.h"
#include "support/arguments.h"
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
  }
  return {RowFormat::kFixed, true};
}

std::string format_weight_file(const WeightSet& set, RowFormat format, int digits, bool header) {
  if (digits < kMinRowDigits || digits > kMaxRowDigits) {
    throw InvalidArgument(range_message("the digits", kMinRowDigits, kMaxRowDigits));
  }
  std::string text;
  {
    Writer out(&text);
    out.set_digits(digits);
    if (header) {
      write_header(out, static_cast<long long>(set.rows), static_cast<long long>(set.columns));
    }
    for (std::size_t i = 0; i < set.rows; ++i) {
      print(out, set.row(i), static_cast<int>(set.columns), format);
    }
  }
  return text;
}

void save(const std::string& path, const WeightSet& set, RowFormat format, int digits,
          bool header) {
  const std::string text = format_weight_file(set, format, digits, header);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    throw Error("Error to open the file " + path + ".\n", path + ": " + std::strerror(errno));
  }
  Writer out(fd, Writer::Kind::kFile);
  out.text(text);
  const bool written = out.flush();
  const int error = written ? 0 : out.error();
  if (::close(fd) != 0 || !written) {
    throw Error("Error to write the file " + path + " (" +
                std::strerror(error != 0 ? error : errno) + ").\n");
  }
}

WeightSet load(const std::string& path) {
  FileRows rows = read_weight_set(path);
  if (rows.ragged) {
    throw Error(path + ": rows differ in length\n", {}, ErrorCode::kParse);
  }
  WeightSet set;
  set.rows = static_cast<std::size_t>(rows.rows());
  set.columns = set.rows == 0 ? 0 : static_cast<std::size_t>(rows.columns);
  set.values.assign(rows.values.begin(), rows.values.end());
  return set;
}

}  // namespace simplex_weights
