// Process set-up that makes every run safe to start in any environment, and the lock that
// serialises runs writing into the same directory.
#pragma once

#include <string>

namespace weights {

/// Reopens standard input, output and error on /dev/null where they are closed, so that no
/// file of the run can take descriptor 0, 1 or 2, and ignores SIGPIPE so that a trace reader
/// that goes away ends the trace instead of the run.
void prepare_process();

/// Exclusive lock on a directory, held while a run creates, fills and publishes its files
/// there, so that simultaneous runs with the same names publish one after the other.
class DirectoryLock {
 public:
  /// Locks the directory holding `path` (waits for other holders). A directory that cannot be
  /// opened is not locked: the open of the file itself then fails and reports it.
  explicit DirectoryLock(const std::string& path);
  DirectoryLock(const DirectoryLock&) = delete;
  DirectoryLock& operator=(const DirectoryLock&) = delete;
  ~DirectoryLock();

 private:
  int fd_ = -1;
};

}  // namespace weights
