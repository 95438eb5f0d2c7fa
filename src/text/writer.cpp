#include "text/writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace simplex_weights::detail {

Writer::Writer(int fd, Kind kind)
    : chunk_size_(kind == Kind::kFile ? kFileChunkSize : kTraceChunkSize),
      fd_(fd),
      kind_(kind),
      buffer_(new char[chunk_size_ + kSlack]),
      pos_(buffer_.get()),
      end_(buffer_.get() + chunk_size_ + kSlack) {}

Writer::Writer(std::string* capture)
    : chunk_size_(kTraceChunkSize),
      capture_(capture),
      kind_(Kind::kTrace),
      buffer_(new char[chunk_size_ + kSlack]),
      pos_(buffer_.get()),
      end_(buffer_.get() + chunk_size_ + kSlack) {}

Writer::~Writer() {
  // A capture that cannot grow while the stack unwinds must not end the process.
  try {
    flush();
  } catch (const std::bad_alloc&) {
    error_ = ENOMEM;
  }
}

bool Writer::flush() {
  drain();
  return error_ == 0;
}

void Writer::drain() {
  const std::size_t size = static_cast<std::size_t>(pos_ - buffer_.get());
  pos_ = buffer_.get();
  emit(buffer_.get(), size);
}

void Writer::emit_whole_chunks() {
  char* const start = buffer_.get();
  const std::size_t buffered = static_cast<std::size_t>(pos_ - start);
  const std::size_t whole = buffered - buffered % chunk_size_;
  emit(start, whole);
  std::memmove(start, start + whole, buffered - whole);
  pos_ = start + (buffered - whole);
}

int Writer::append_from(int fd) {
  char* const chunk_end = buffer_.get() + chunk_size_;
  for (;;) {
    if (pos_ >= chunk_end) emit_whole_chunks();
    const ssize_t got = ::read(fd, pos_, static_cast<std::size_t>(chunk_end - pos_));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno;
    if (got == 0) return 0;
    pos_ += got;
  }
}

void Writer::emit(const char* data, std::size_t size) {
  if (capture_ != nullptr) {
    capture_->append(data, size);
    return;
  }
  if (kind_ == Kind::kDiscard) return;
  if (pending_error_ != 0 && size > 0 && error_ == 0) error_ = pending_error_;
  // After the first failure nothing more is written, so a file never gets a hole.
  while (size > 0 && error_ == 0 && !reader_gone_) {
    const ssize_t written = ::write(fd_, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      if (kind_ == Kind::kTrace && errno == EPIPE) {
        reader_gone_ = true;
      } else {
        error_ = errno;
      }
      return;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
    written_ += written;
  }
  if (kind_ == Kind::kFile && written_ - written_back_ >= kWritebackStep) start_writeback();
}

void Writer::start_writeback() {
  // Only a hint: where the kernel cannot, the final sync does all the work.
  ::sync_file_range(fd_, written_back_, written_ - written_back_, SYNC_FILE_RANGE_WRITE);
  written_back_ = written_;
}

}  // namespace simplex_weights::detail
