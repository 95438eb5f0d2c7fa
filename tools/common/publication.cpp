#include "common/publication.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "support/failure.h"
#include "text/rows.h"

namespace simplex_weights::cli {

using namespace simplex_weights::detail;
namespace {

std::string directory_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string hidden_name_of(const std::string& final_name) {
  const std::size_t slash = final_name.rfind('/');
  const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
  return final_name.substr(0, base) + "." + final_name.substr(base);
}

std::string open_reason(const std::string& path, int error) {
  std::string reason = path + ": " + std::strerror(error);
  struct stat status {};
  const std::string directory = directory_of(path);
  if (error == ENOENT && ::stat(directory.c_str(), &status) != 0) {
    reason += " (create the directory " + directory + " first)";
  }
  return reason;
}

// What stands at a weight file's name and cannot be replaced by a weight file, or nullptr.
const char* unfit_for_weight_file(const std::string& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0) return nullptr;
  if (S_ISREG(status.st_mode) || S_ISLNK(status.st_mode)) return nullptr;
  if (S_ISDIR(status.st_mode)) return "a directory";
  if (S_ISFIFO(status.st_mode)) return "a FIFO";
  if (S_ISSOCK(status.st_mode)) return "a socket";
  return "a device";
}

// The writer gets a descriptor of its own: closing it reports the write errors that only show
// at close, while the claim's descriptor keeps the lock until the rename.
int open_file(FileClaim& claim, const std::string& family) {
  if (!claim.claim(family)) return -1;
  return ::fcntl(claim.fd(), F_DUPFD_CLOEXEC, 3);
}

}  // namespace

std::string staged_file_name(const char* extension, int first, int second) {
  return file_name((std::string("./output/weight_%.2dD_%d.") + extension).c_str(), first, second);
}

Publication::Publication(std::string final_name, bool staged, const FileMessages& messages,
                         int digits, FileSystem& files)
    : files_(files),
      hidden_name_(hidden_name_of(final_name)),
      final_name_(std::move(final_name)),
      staged_(staged),
      to_standard_output_(final_name_ == "-"),
      messages_(messages),
      claim_(files),
      fd_(to_standard_output_ ? ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3)
                              : open_file(claim_, hidden_name_)),
      writer_(fd_, Writer::Kind::kFile) {
  writer_.set_digits(digits);
  if (to_standard_output_) final_name_ = "standard output";
  if (fd_ < 0) {
    const int error = errno;
    const std::string& reported = staged_ ? hidden_name_ : final_name_;
    fail_open(reported, open_reason(reported, error));
  }
}

Publication::~Publication() {
  writer_.flush();  // rows kept behind in a staging file must be whole
  if (fd_ >= 0) files_.close(fd_);
}

void Publication::open_final() {
  if (to_standard_output_) return;
  if (const char* unfit = unfit_for_weight_file(final_name_)) {
    fail_open(final_name_, final_name_ + ": is " + unfit + ", not a file");
  }
}

void Publication::finish() {
  if (!writer_.flush()) fail_write(writer_.error());
  // The rename may reach the disk before the rows unless they are synced first, and then a
  // power cut would leave a partial file under the weight file's name.
  if (!to_standard_output_ && files_.sync_data(fd_) != 0 && errno != EINVAL) fail_write(errno);
  const int fd = fd_;
  fd_ = -1;
  if (files_.close(fd) != 0) fail_write(errno);
  if (to_standard_output_) return;
  if (const int error = claim_.publish_as(final_name_); error != 0) {
    fail_open(final_name_, final_name_ + ": " + std::strerror(error));
  }
}

void Publication::fail_open(const std::string& path, const std::string& reason) {
  // The claim's end removes the hidden file: a refused name leaves only what was there before.
  throw Failure(format_message(messages_.open_failed, path), reason);
}

void Publication::fail_write(int error) {
  const std::string message = format_message(messages_.write_failed, final_name_);
  throw Failure(format_message(message, std::strerror(error)));
}

}  // namespace simplex_weights::cli
