#include "file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "process.h"
#include "writer.h"

namespace simplex_weights {
namespace {

void lock_waiting(int fd) {
  while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
  }
}

bool names_file(const std::string& path, int fd) {
  struct stat opened {};
  struct stat named {};
  return ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 &&
         opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

void announce_waiting(const std::string& announced) {
  Writer err(STDERR_FILENO, Writer::Kind::kTrace);
  err.text("waiting for another run writing ");
  err.text(announced);
  err.put('\n');
}

// Something at `path` that is not a claim in progress: a run's file whose run is gone (its lock
// is free), or whatever else was put there. Waits while a run holds it; returns false, with
// errno set, only when it cannot be removed.
bool clear_path(const std::string& path, const std::string& announced, bool& announced_once) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return true;  // gone meanwhile
    // A link, a socket, or a file this run may not read: no run of ours holds it.
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
  }
  struct stat status {};
  const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
  if (regular && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (!announced_once) announce_waiting(announced);
    announced_once = true;
    lock_waiting(fd);
  }
  // Once the holder has published, the name is free or already another run's new file.
  bool cleared = true;
  if (!regular || names_file(path, fd)) cleared = ::unlink(path.c_str()) == 0 || errno == ENOENT;
  const int error = errno;
  ::close(fd);
  errno = error;
  return cleared;
}

}  // namespace

FileClaim::~FileClaim() {
  if (fd_ < 0) return;
  {
    SignalsDeferred deferred;
    ::unlink(path_.c_str());  // still locked: the file removed is this run's own
    forget_on_signal(signal_slot_);
  }
  release();
}

bool FileClaim::claim(const std::string& path, const std::string& announced) {
  bool announced_once = false;
  for (;;) {
    {
      SignalsDeferred deferred;
      const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
      if (fd >= 0) {
        lock_waiting(fd);
        // In the moment before the lock another run may have taken the new file for a leftover
        // and removed it; then start again.
        if (names_file(path, fd)) {
          path_ = path;
          fd_ = fd;
          signal_slot_ = remove_on_signal(path);
          return true;
        }
        ::close(fd);
        continue;
      }
      if (errno != EEXIST) return false;
    }
    if (!clear_path(path, announced, announced_once)) return false;
  }
}

int FileClaim::publish_as(const std::string& final_path) {
  {
    SignalsDeferred deferred;
    if (::rename(path_.c_str(), final_path.c_str()) != 0) return errno;
    forget_on_signal(signal_slot_);
  }
  release();
  return 0;
}

void FileClaim::release() {
  ::close(fd_);  // closing releases the lock
  fd_ = -1;
  signal_slot_ = -1;
}

}  // namespace simplex_weights
