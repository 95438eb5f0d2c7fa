#include "weight_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "failure.h"

namespace weights {
namespace {

constexpr std::size_t kNameBufferSize = 100;

int open_flags(std::string_view mode) {
  if (mode == "r") return O_RDONLY;
  if (mode == "w+") return O_RDWR | O_CREAT | O_TRUNC;
  return O_WRONLY | O_CREAT | O_TRUNC;
}

void remove_quietly(const std::string& path) { ::unlink(path.c_str()); }

#ifdef WEIGHTS_LEGACY_IO
// Line by line through stdio, as a first version would copy.
void copy_blocks(OutputFile& source, OutputFile& destination) {
  FILE* in = ::fdopen(::dup(source.fd()), "r");
  if (in == nullptr) source.fail_write(errno);
  std::rewind(in);
  char* line = nullptr;
  std::size_t capacity = 0;
  ssize_t length = 0;
  while ((length = ::getline(&line, &capacity, in)) > 0) {
    destination.writer().text(std::string_view(line, static_cast<std::size_t>(length)));
  }
  std::free(line);
  std::fclose(in);
}
#else
// Read straight into the destination's buffer, behind the header, so that the weight file is
// written in whole chunks like every other file (an in-kernel copy_file_range to the
// header's odd offset costs the kernel more than this).
void copy_blocks(OutputFile& source, OutputFile& destination) {
  if (::lseek(source.fd(), 0, SEEK_SET) < 0) source.fail_write(errno);
  const int error = destination.writer().append_from(source.fd());
  if (error != 0) source.fail_write(error);
}
#endif

}  // namespace

void print(Writer& stream, const double* values, int count, RowFormat format) {
  for (int j = 0; j < count; ++j) {
    switch (format) {
      case RowFormat::kFixed:
        stream.fixed(values[j]);
        stream.put(' ');
        break;
      case RowFormat::kScientific:
        stream.scientific(values[j]);
        stream.put(' ');
        break;
      case RowFormat::kFixedSeparated:
        if (j > 0) stream.put(' ');
        stream.fixed(values[j]);
        break;
    }
  }
  stream.put('\n');
}

void write_header(Writer& stream, long long first, long long second) {
  stream.text("# ");
  stream.integer(first);
  stream.put(' ');
  stream.integer(second);
  stream.put('\n');
}

std::string file_name(const char* pattern, int first, int second) {
  char buffer[kNameBufferSize];
  std::snprintf(buffer, sizeof buffer, pattern, first, second);
  return buffer;
}

OutputFile::OutputFile(int fd, std::string path, const FileMessages& messages)
    : fd_(fd), path_(std::move(path)), messages_(messages), writer_(fd, Writer::Kind::kFile) {}

OutputFile::~OutputFile() {
  if (fd_ < 0) return;
  writer_.flush();  // rows kept behind on a failed run must be whole
  ::close(fd_);
}

void OutputFile::close() {
  const bool flushed = writer_.flush();
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 && flushed) fail_write(errno);
  if (!flushed) fail_write(writer_.error());
}

void OutputFile::fail_write(int error) const {
  const std::string message = format_message(messages_.write_failed, path_);
  throw Failure(format_message(message, std::strerror(error)));
}

std::unique_ptr<OutputFile> open_file(const std::string& path, const char* mode,
                                      const FileMessages& messages) {
  const int fd = ::open(path.c_str(), open_flags(mode) | O_CLOEXEC, 0666);
  if (fd < 0) throw Failure(format_message(messages.open_failed, path));
  return std::make_unique<OutputFile>(fd, path, messages);
}

void copy_file(OutputFile& source, OutputFile& destination) {
  if (!source.writer().flush()) source.fail_write(source.writer().error());
  copy_blocks(source, destination);
}

StagedPublication::StagedPublication(std::string staging_name, std::string final_name,
                                     const FileMessages& messages)
    : lock_(final_name),
      staging_name_(std::move(staging_name)),
      final_name_(std::move(final_name)),
      messages_(messages),
      staging_(open_file(staging_name_, "w+", messages)) {}

StagedPublication::~StagedPublication() {
  if (done_) return;
  if (final_) {
    final_.reset();
    remove_quietly(final_name_);
  }
  staging_.reset();
  if (!keep_staging_) remove_quietly(staging_name_);
}

void StagedPublication::open_final() {
  // A weight file that cannot be opened leaves the finished rows in the staging file.
  keep_staging_ = true;
  final_ = open_file(final_name_, "w", messages_);
  keep_staging_ = false;
}

void StagedPublication::finish() {
  copy_file(*staging_, *final_);
  staging_->close();
  final_->close();
  done_ = true;
  if (std::remove(staging_name_.c_str()) != 0) {
    throw Failure(format_message(messages_.remove_failed, staging_name_));
  }
}

DirectPublication::DirectPublication(const std::string& name, const FileMessages& messages)
    : lock_(name), file_(open_file(name, "w", messages)) {}

DirectPublication::~DirectPublication() {
  if (done_) return;
  const std::string path = file_->path();
  file_.reset();
  remove_quietly(path);
}

void DirectPublication::finish() {
  file_->close();
  done_ = true;
}

}  // namespace weights
