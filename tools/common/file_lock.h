// Claims on hidden files: a run creates its file under a hidden name and holds a lock on it
// until the file is published, so that runs writing the same weight file take turns while
// runs writing different ones never wait for each other. Nothing is left behind: the lock
// lives on the run's own file.
#pragma once

#include <string>

namespace simplex_weights {

class FileClaim {
 public:
  FileClaim() = default;
  FileClaim(const FileClaim&) = delete;
  FileClaim& operator=(const FileClaim&) = delete;
  /// Removes the claimed file unless it was published, then releases the lock.
  ~FileClaim();

  /// Creates `path` for this run, exclusively and never through a link, and locks it; until
  /// the claim ends, SIGINT, SIGTERM and SIGHUP remove it. Whatever else is found at `path`
  /// and held by no run (a file left by a killed run, a link, a FIFO) is removed first. While
  /// another run holds `path`, says once on standard error "waiting for another run writing
  /// <announced>" and waits. Returns false, with errno set, when the file cannot be created.
  bool claim(const std::string& path, const std::string& announced);

  /// The descriptor of the claimed file, open for reading and writing.
  int fd() const { return fd_; }

  /// Renames the claimed file onto `final_path` and ends the claim; returns 0 or the errno of
  /// the failed rename (the claim then goes on).
  int publish_as(const std::string& final_path);

 private:
  void release();

  std::string path_;
  int fd_ = -1;
  int signal_slot_ = -1;
};

}  // namespace simplex_weights
