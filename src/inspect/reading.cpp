#include "inspect/reading.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "support/cancel.h"
#include "support/failure.h"

namespace simplex_weights::detail {
namespace {

// No number a program writes comes near this; longer runs of number characters are refused
// before they can fill memory.
constexpr std::size_t kLongestToken = 400;
constexpr std::size_t kLongestHeader = 200;
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// What strtod may read: digits, letters (exponents, hex digits, inf, nan), signs, points and the
// parentheses and underscores of "nan(...)".
constexpr bool may_be_in_number(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' ||
         c == '+' || c == '-' || c == '_' || c == '(' || c == ')';
}

// "# rows columns" and nothing else.
std::optional<std::pair<long long, long long>> parse_header(const std::string& line) {
  long long rows = 0;
  long long columns = 0;
  char tail = 0;
  if (std::sscanf(line.c_str(), "# %lld %lld %c", &rows, &columns, &tail) == 2) {
    return std::make_pair(rows, columns);
  }
  return std::nullopt;
}

// The unit in the last printed place of a decimal token: 10^-(digits after the point), times
// 10^exponent; 0 for hex floats, whose digits are exact.
double last_place_of(std::string_view token) {
  std::size_t at = token[0] == '+' || token[0] == '-' ? 1 : 0;
  if (token.size() > at + 1 && token[at] == '0' && (token[at + 1] == 'x' || token[at + 1] == 'X')) {
    return 0;
  }
  int decimals = 0;
  bool after_point = false;
  for (; at < token.size() && token[at] != 'e' && token[at] != 'E'; ++at) {
    if (token[at] == '.') {
      after_point = true;
    } else if (after_point) {
      ++decimals;
    }
  }
  int exponent = 0;
  if (at + 1 < token.size()) {
    const char* first = token.data() + at + 1;
    if (*first == '+') ++first;
    std::from_chars(first, token.data() + token.size(), exponent);
  }
  static const auto kPowers = [] {
    std::array<double, 61> powers{};
    for (int k = -30; k <= 30; ++k) powers[static_cast<std::size_t>(k + 30)] = std::pow(10.0, k);
    return powers;
  }();
  const int place = exponent - decimals;
  return place >= -30 && place <= 30 ? kPowers[static_cast<std::size_t>(place + 30)]
                                     : std::pow(10.0, place);
}

// The value of a token: from_chars for the decimal forms it reads exactly and fast, strtod for
// the rest (hex floats, a leading plus, values beyond a double's range); nullopt for no number.
std::optional<double> value_of(const std::string& token) {
  double value = 0;
  const char* first = token.data();
  const char* last = first + token.size();
  const auto [end, error] = std::from_chars(first, last, value);
  if (error == std::errc() && end == last) return value;
  char* stop = nullptr;
  value = std::strtod(token.c_str(), &stop);  // overflow: an infinity; underflow: 0 or subnormal
  if (stop != last) return std::nullopt;
  return value;
}

constexpr auto kNumberByte = [] {
  std::array<bool, 256> table{};
  for (int c = 0; c < 256; ++c)
    table[static_cast<std::size_t>(c)] = may_be_in_number(static_cast<char>(c));
  return table;
}();

std::string shown(char c) {
  if (c >= 0x20 && c < 0x7f) return std::string("\"") + c + "\"";
  char text[16];
  std::snprintf(text, sizeof text, "byte 0x%02x", static_cast<unsigned char>(c));
  return text;
}

// How long a FIFO may stay without a writer before the reading gives up.
constexpr int kFifoWaitSeconds = 5;
// How often a wait for input looks at the cancellation.
constexpr int kPollMilliseconds = 100;

// Whether a writer opens the FIFO (or has written to it) in time. A FIFO opened without waiting
// reads as empty until a writer comes, so the reading waits for one, but not forever.
bool writer_connects(int fd) {
  pollfd wanted{fd, POLLIN, 0};
  for (int waited = 0; waited < kFifoWaitSeconds * 1000; waited += kPollMilliseconds) {
    throw_if_cancelled();
    const int ready = ::poll(&wanted, 1, kPollMilliseconds);
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return false;
  }
  return false;
}

// Waits until fd has bytes (or its end) to read, looking at the cancellation in between: a
// stream that stalls never holds a call that was asked to stop.
void wait_readable(int fd) {
  pollfd wanted{fd, POLLIN, 0};
  for (;;) {
    throw_if_cancelled();
    const int ready = ::poll(&wanted, 1, kPollMilliseconds);
    if (ready != 0 && !(ready < 0 && errno == EINTR)) return;
  }
}

}  // namespace

RowReader::RowReader(std::string path) { set_.path = std::move(path); }

void RowReader::feed(std::string_view bytes) {
  std::size_t at = 0;
  while (at < bytes.size()) {
    // The common case, a run of number characters inside a row, is taken whole; every other
    // byte goes through byte().
    if (bytes_ == 3 && !comment_ && column_ > 0 &&
        kNumberByte[static_cast<unsigned char>(bytes[at])]) {
      std::size_t end = at;
      while (end < bytes.size() && kNumberByte[static_cast<unsigned char>(bytes[end])]) ++end;
      if (token_.empty()) token_column_ = column_ + 1;
      if (token_.size() + (end - at) > kLongestToken) {
        fail(token_column_,
             "not a number: a token of more than " + std::to_string(kLongestToken) + " characters");
      }
      token_.append(bytes.data() + at, end - at);
      column_ += static_cast<long long>(end - at);
      at = end;
      continue;
    }
    byte(bytes[at++]);
  }
}

void RowReader::byte(char c) {
  ++column_;
  // A UTF-8 byte-order mark at the very start is no part of the text.
  if (bytes_ < 3) {
    if (c == kByteOrderMark[bytes_] && bytes_ == column_ - 1) {
      if (++bytes_ == 3) column_ = 0;
      return;
    }
    if (bytes_ > 0) fail(1, "not a number: " + shown(kByteOrderMark[0]));
    bytes_ = 3;
  }
  if (c == '\n') {
    end_line();
    return;
  }
  if (comment_) {
    if (line_ == 1 && header_text_.size() < kLongestHeader) header_text_ += c;
    return;
  }
  if (c == '#' && column_ == 1) {
    comment_ = true;
    header_text_.assign(1, '#');
    return;
  }
  if (is_blank(c)) {
    end_token();
    return;
  }
  if (!may_be_in_number(c)) fail(column_, "not a number: " + shown(c));
  if (token_.empty()) token_column_ = column_;
  if (token_.size() >= kLongestToken) {
    fail(token_column_,
         "not a number: a token of more than " + std::to_string(kLongestToken) + " characters");
  }
  token_ += c;
}

void RowReader::end_token() {
  if (token_.empty()) return;
  const std::optional<double> value = value_of(token_);
  if (!value) fail(token_column_, "not a number: \"" + token_ + "\"");
  set_.values.push_back(*value);
  set_.last_place = std::max(set_.last_place, last_place_of(token_));
  ++row_count_;
  token_.clear();
}

void RowReader::end_line() {
  if (comment_) {
    if (line_ == 1) set_.header = parse_header(header_text_);
    comment_ = false;
  } else {
    end_token();
  }
  if (row_count_ > 0) {
    if (set_.row_lengths.empty()) set_.columns = row_count_;
    if (row_count_ != set_.columns) set_.ragged = true;
    set_.row_lengths.push_back(row_count_);
    set_.row_lines.push_back(line_);
  }
  row_count_ = 0;
  ++line_;
  column_ = 0;
}

void RowReader::fail(long long column, const std::string& what) const {
  throw Failure(
      set_.path + ":" + std::to_string(line_) + ":" + std::to_string(column) + ": " + what + "\n",
      {}, ErrorCode::kParse);
}

FileRows RowReader::finish() {
  if (column_ > 0 || comment_) end_line();  // a last line without its newline
  return std::move(set_);
}

FileRows read_weight_set(const std::string& path, bool dash_is_standard_input) {
  const bool standard_input = dash_is_standard_input && path == "-";
  // Without O_NONBLOCK, opening a FIFO that no one writes would wait for a writer forever.
  const int fd =
      standard_input ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw Failure(path + ": cannot be read (" + std::strerror(errno) + ")\n");
  struct stat status {};
  if (::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
    ::close(fd);
    throw Failure(path + ": cannot be read (it is a directory)\n");
  }
  if (!standard_input && S_ISFIFO(status.st_mode) && !writer_connects(fd)) {
    ::close(fd);
    throw Failure(path + ": cannot be read (no process wrote to the FIFO within " +
                  std::to_string(kFifoWaitSeconds) + " s)\n");
  }
  if (!standard_input) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  RowReader reader(path);
  char chunk[1 << 16];
  try {
    for (;;) {
      if (current_cancellation() != nullptr) wait_readable(fd);
      const ssize_t got = ::read(fd, chunk, sizeof chunk);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) throw Failure(path + ": cannot be read (" + std::strerror(errno) + ")\n");
      if (got == 0) break;
      reader.feed(std::string_view(chunk, static_cast<std::size_t>(got)));
    }
  } catch (...) {
    if (!standard_input) ::close(fd);
    throw;
  }
  if (!standard_input) ::close(fd);
  return reader.finish();
}

FileRows file_rows_of(const double* values, std::size_t rows, std::size_t columns) {
  FileRows set;
  set.values.assign(values, values + rows * columns);
  set.row_lengths.assign(rows, static_cast<int>(columns));
  set.row_lines.resize(rows);
  for (std::size_t i = 0; i < rows; ++i) set.row_lines[i] = static_cast<long long>(i) + 1;
  set.columns = static_cast<int>(columns);
  set.last_place = 1e-6;
  return set;
}

}  // namespace simplex_weights::detail
