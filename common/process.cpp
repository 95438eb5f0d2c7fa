#include "process.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace weights {

void prepare_process() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
      // open returns the lowest free descriptor, which is this one.
      ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    }
  }
  std::signal(SIGPIPE, SIG_IGN);
}

DirectoryLock::DirectoryLock(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  fd_ = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return;
  while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
  }
}

DirectoryLock::~DirectoryLock() {
  if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

}  // namespace weights
