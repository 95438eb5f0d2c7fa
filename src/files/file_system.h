// The file calls of publication behind one seam: the system's own, or a test's fake that
// records the order of the calls, fails any of them or loses what was never synced. A program
// adds what only a program does: removing its hidden files when a signal ends it.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace simplex_weights::detail {

/// Each call returns what the system call returns, with errno set on failure.
class FileSystem {
 public:
  FileSystem() = default;
  FileSystem(const FileSystem&) = delete;
  FileSystem& operator=(const FileSystem&) = delete;
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

  /// While a hidden file is created and registered, or renamed and forgotten, the signals
  /// that would remove it wait (a program's; nothing here).
  virtual void defer_signals() {}
  virtual void resume_signals() {}
  /// Registers a hidden file that a terminating signal must remove: a slot, or -1 for none.
  virtual int remove_on_signal(const std::string& /*path*/) { return -1; }
  virtual void forget_on_signal(int /*slot*/) {}
};

/// The directory part of a path ("." for a bare name) and its file part.
inline std::string directory_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}
inline std::string file_part_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

/// The system's own calls, with no signal handling: the library's callers keep their own.
FileSystem& plain_file_system();

/// Keeps the file system's signals waiting for the lifetime of the object.
class SignalsWaiting {
 public:
  explicit SignalsWaiting(FileSystem& files) : files_(files) { files_.defer_signals(); }
  SignalsWaiting(const SignalsWaiting&) = delete;
  SignalsWaiting& operator=(const SignalsWaiting&) = delete;
  ~SignalsWaiting() { files_.resume_signals(); }

 private:
  FileSystem& files_;
};

}  // namespace simplex_weights::detail
