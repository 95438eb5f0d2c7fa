// A file system that records its calls, fails the one it is told to and can lose, as a power
// cut would, the rows of a file renamed before they were synced.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "files/file_system.h"

namespace simplex_weights::test_support {

// The system's calls, recorded in order, with one kind of call made to fail and a power cut
// that loses the data of every file renamed before it was synced.
class RecordingFileSystem final : public detail::FileSystem {
 public:
  std::string calls;
  std::string failing;  // the call that fails, with failure_errno
  int failure_errno = EIO;
  bool power_cut = false;

  int create_exclusive(const std::string& path) override {
    return record("create", [&] { return detail::FileSystem::create_exclusive(path); });
  }
  int lock(int fd) override {
    return record("lock", [&] { return detail::FileSystem::lock(fd); });
  }
  int sync_data(int fd) override {
    return record("sync", [&] {
      struct stat status {};
      ::fstat(fd, &status);
      synced_.push_back(status.st_ino);
      return detail::FileSystem::sync_data(fd);
    });
  }
  int close(int fd) override {
    return record("close", [&] { return detail::FileSystem::close(fd); });
  }
  int rename(const std::string& from, const std::string& to) override {
    return record("rename", [&] {
      struct stat status {};
      ::lstat(from.c_str(), &status);
      if (power_cut && std::find(synced_.begin(), synced_.end(), status.st_ino) == synced_.end()) {
        // The name reached the disk, the rows did not.
        EXPECT_EQ(::truncate(from.c_str(), 0), 0);
      }
      return detail::FileSystem::rename(from, to);
    });
  }
  int unlink(const std::string& path) override {
    return record("unlink", [&] { return detail::FileSystem::unlink(path); });
  }

 private:
  template <typename Call>
  int record(const char* name, Call call) {
    calls += calls.empty() ? name : std::string(" ") + name;
    if (failing == name) {
      // close still closes: the descriptor is gone whatever close reports.
      if (failing == "close") call();
      errno = failure_errno;
      return -1;
    }
    return call();
  }
  std::vector<ino_t> synced_;
};

}  // namespace simplex_weights::test_support
