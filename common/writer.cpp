#include "writer.h"

#include <unistd.h>

#include <cerrno>

namespace weights {

Writer::Writer(int fd, Kind kind)
    : fd_(fd),
      kind_(kind),
      buffer_(new char[kBufferSize]),
      pos_(buffer_.get()),
      end_(buffer_.get() + kBufferSize) {}

Writer::Writer(std::string* capture)
    : capture_(capture),
      kind_(Kind::kTrace),
      buffer_(new char[kBufferSize]),
      pos_(buffer_.get()),
      end_(buffer_.get() + kBufferSize) {}

Writer::~Writer() { flush(); }

bool Writer::flush() {
  drain();
  return error_ == 0;
}

void Writer::drain() {
  const std::size_t size = static_cast<std::size_t>(pos_ - buffer_.get());
  pos_ = buffer_.get();
  emit(buffer_.get(), size);
}

void Writer::write_through(const char* data, std::size_t size) {
  drain();
  emit(data, size);
}

void Writer::emit(const char* data, std::size_t size) {
  if (capture_ != nullptr) {
    capture_->append(data, size);
    return;
  }
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
  }
}

}  // namespace weights
