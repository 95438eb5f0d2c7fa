#include "files/publication.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "support/failure.h"
#include "text/rows.h"

namespace simplex_weights::detail {

namespace {

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

// Whether a link leads to a system's stream or device: /dev/stdout, /proc/self/fd/1 and their
// like, which a file put in their place would replace for every later user.
bool in_system_tree(const std::string& path) {
  return path.rfind("/dev/", 0) == 0 || path.rfind("/proc/", 0) == 0;
}

std::string resolved_path(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return {};
  std::string result = resolved;
  std::free(resolved);
  return result;
}

bool leads_to_system_file(const std::string& path) {
  char target[4096];
  const ssize_t length = ::readlink(path.c_str(), target, sizeof target - 1);
  if (length < 0) return false;
  const std::string text(target, static_cast<std::size_t>(length));
  // Where the link lives or what it names, as written and as resolved: /proc/self/fd/1 names a
  // pipe or a terminal that no path resolves to.
  if (in_system_tree(resolved_path(directory_of(path)) + "/") || in_system_tree(text)) {
    return true;
  }
  const std::string resolved = resolved_path(path);
  if (resolved.empty()) return false;  // dangling: the link itself is replaced
  struct stat status {};
  return in_system_tree(resolved) || ::stat(resolved.c_str(), &status) != 0 ||
         !S_ISREG(status.st_mode);
}

// What stands at a weight file's name and cannot be replaced by a weight file, or nullptr.
const char* unfit_for_weight_file(const std::string& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0) return nullptr;
  if (S_ISLNK(status.st_mode)) {
    return leads_to_system_file(path) ? "a link to a device or stream" : nullptr;
  }
  if (S_ISREG(status.st_mode)) return nullptr;
  if (S_ISDIR(status.st_mode)) return "a directory";
  if (S_ISFIFO(status.st_mode)) return "a FIFO";
  if (S_ISSOCK(status.st_mode)) return "a socket";
  return "a device";
}

// The descriptor of a publication refused for a link to a system file.
constexpr int kRefusedLink = -2;

// The writer gets a descriptor of its own: closing it reports the write errors that only show
// at close, while the claim's descriptor keeps the lock until the rename.
int open_file(FileClaim& claim, const std::string& family) {
  if (!claim.claim(family)) return -1;
  return ::fcntl(claim.fd(), F_DUPFD_CLOEXEC, 3);
}

}  // namespace

Publication::Publication(std::string final_name, bool reports_hidden_name,
                         const FileMessages& messages, int digits, FileSystem& files,
                         bool dash_is_standard_output)
    : files_(files),
      hidden_name_(hidden_name_of(final_name)),
      final_name_(std::move(final_name)),
      reports_hidden_name_(reports_hidden_name),
      to_standard_output_(dash_is_standard_output && final_name_ == "-"),
      messages_(messages),
      claim_(files),
      fd_(to_standard_output_                 ? ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3)
          : leads_to_system_file(final_name_) ? kRefusedLink
                                              : open_file(claim_, hidden_name_)),
      writer_(fd_, Writer::Kind::kFile) {
  writer_.set_digits(digits);
  if (to_standard_output_) final_name_ = "standard output";
  // Refused before anything is created beside it: nothing is ever written into /dev.
  if (fd_ == kRefusedLink) {
    fail_open(final_name_, final_name_ + ": is a link to a device or stream, not a file");
  }
  if (fd_ < 0) {
    const int error = errno;
    const std::string& reported = reports_hidden_name_ ? hidden_name_ : final_name_;
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
  throw Failure(format_message(messages_.write_failed, final_name_, std::strerror(error)));
}

}  // namespace simplex_weights::detail
