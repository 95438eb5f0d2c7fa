// The file calls of publication behind one seam: the system's own, or a test's fake that
// records the order of the calls, fails any of them or loses what was never synced.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace simplex_weights::cli {

/// Each call returns what the system call returns, with errno set on failure.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  /// A new file, exclusively and never through a link, for reading and writing.
  virtual int create_exclusive(const std::string& path) {
    return ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  }
  /// The lock of a run's own file, never waited for.
  virtual int lock(int fd) { return ::flock(fd, LOCK_EX | LOCK_NB); }
  virtual int sync_data(int fd) { return ::fdatasync(fd); }
  virtual int close(int fd) { return ::close(fd); }
  virtual int rename(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str());
  }
  virtual int unlink(const std::string& path) { return ::unlink(path.c_str()); }
};

/// The system's own calls.
FileSystem& system_file_system();

}  // namespace simplex_weights::cli
