// Buffered text output to a file descriptor that keeps the first write error instead of
// losing it; the trace on standard output and every weight file go through one of these.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "text/number_format.h"

namespace simplex_weights::detail {

class Writer {
 public:
  /// A trace treats a reader that went away (EPIPE) as the normal end of its output, not as
  /// an error; a file treats every failed write as an error; a discarded trace writes nothing.
  enum class Kind { kFile, kTrace, kDiscard };

  Writer(int fd, Kind kind);
  /// Collects everything into *capture instead of a descriptor (for tests).
  explicit Writer(std::string* capture);
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;
  /// Flushes what is left; a failure is only recorded.
  ~Writer();

  void text(std::string_view s) {
    // Long texts go through the buffer a slack at a time, so output stays in whole chunks.
    for (; s.size() > kSlack; s.remove_prefix(kSlack)) text(s.substr(0, kSlack));
    char* out = room(s.size());
    for (char c : s) *out++ = c;
    pos_ = out;
  }
  void put(char c) {
    room(1);
    *pos_++ = c;
  }
  /// "%f" (also "%lf"), with the writer's digits after the point.
  void fixed(double x) {
    char* out = room(kMaxNumberChars);
    pos_ = digits_ == kDefaultDigits ? format_fixed(out, x) : format_fixed(out, x, digits_);
  }
  /// "%e", with the writer's digits after the point.
  void scientific(double x) {
    char* out = room(kMaxNumberChars);
    pos_ =
        digits_ == kDefaultDigits ? format_scientific(out, x) : format_scientific(out, x, digits_);
  }
  /// Digits after the decimal point of fixed and scientific, kMinDigits .. kMaxDigits.
  void set_digits(int digits) { digits_ = digits; }
  int digits() const { return digits_; }
  /// "%d".
  void integer(long long v) { pos_ = format_integer(room(kMaxNumberChars), v); }

  /// Writes the buffer out; false once any write has failed.
  bool flush();
  /// Appends everything that can still be read from `fd`, read straight into the buffer;
  /// returns 0, or the errno of a failed read.
  int append_from(int fd);

  /// The first write of any byte from now on fails with `error` (a descriptor that stands in
  /// for a closed one): a writer that writes nothing does not fail.
  void fail_first_write(int error) { pending_error_ = error; }
  /// errno of the first failed write, 0 while none failed (EPIPE on a trace does not count).
  int error() const { return error_; }
  /// True for a writer that drops everything: work done only to be traced can be skipped.
  bool discards() const { return kind_ == Kind::kDiscard; }
  /// True once the reader of a trace has gone: later output is dropped silently.
  bool reader_gone() const { return reader_gone_; }

 private:
  // Output leaves in whole chunks at offsets that are multiples of the chunk size, which lets
  // the kernel keep a file's pages in large blocks (writes of other sizes cost it about twice
  // as much). The slack past the chunk takes the value that crosses its end.
  // A trace is read by people and pipes more often than kept, so it takes smaller chunks.
  static constexpr std::size_t kFileChunkSize = std::size_t{1} << 18;
  static constexpr std::size_t kTraceChunkSize = std::size_t{1} << 16;
  static constexpr std::size_t kSlack = 4096;
  static_assert(kMaxNumberChars <= kSlack);

  char* room(std::size_t n) {
    if (n > static_cast<std::size_t>(end_ - pos_)) emit_whole_chunks();
    return pos_;
  }
  void emit_whole_chunks();
  void drain();
  void emit(const char* data, std::size_t size);

  // A file's pages are handed to the disk every kWritebackStep bytes, while the run goes on, so
  // that syncing it at the end waits only for the last of them.
  static constexpr long long kWritebackStep = 1LL << 25;
  void start_writeback();

  std::size_t chunk_size_;
  int fd_ = -1;
  std::string* capture_ = nullptr;
  Kind kind_ = Kind::kFile;
  std::unique_ptr<char[]> buffer_;
  char* pos_ = nullptr;
  char* end_ = nullptr;
  int digits_ = kDefaultDigits;
  long long written_ = 0;
  long long written_back_ = 0;
  int error_ = 0;
  int pending_error_ = 0;
  bool reader_gone_ = false;
};

}  // namespace simplex_weights::detail
