// Hidden files of a run's own: each run writes its weight file under a hidden name that no one
// can predict, created exclusively, and publishes it by rename(2). Runs that write the same
// weight file therefore never share a file and never wait for each other: each publishes a
// complete file, the last rename the one that stays. A run holds a lock on its own hidden file,
// taken without ever blocking, only so that later runs can tell a file left by a killed run
// (whose lock is free) from one a live run is writing.
#pragma once

#include <string>

#include "files/file_system.h"

namespace simplex_weights::detail {

class FileClaim {
 public:
  explicit FileClaim(FileSystem& files) : files_(files) {}
  FileClaim(const FileClaim&) = delete;
  FileClaim& operator=(const FileClaim&) = delete;
  /// Removes the claimed file unless it was published, then releases the lock.
  ~FileClaim();

  /// Creates this run's hidden file for `family` (a hidden name such as
  /// "./output/.weight_03D_101.tglp"): `family` followed by ".sw-partial." and six random
  /// letters or digits (the family's file part shortened where the whole would pass NAME_MAX),
  /// exclusively and never through a link. Until the claim ends, every terminating signal
  /// removes it. Files of that exact form that killed runs of this user left behind (regular
  /// files no run holds) are removed first; nothing else is. Never waits for another process.
  /// Returns false, with errno set, when no file can be created.
  bool claim(const std::string& family);

  /// The descriptor of the claimed file, open for reading and writing.
  int fd() const { return fd_; }
  /// The claimed file's name.
  const std::string& path() const { return path_; }

  /// Renames the claimed file onto `final_path` and ends the claim; returns 0 or the errno of
  /// the failed rename (the claim then goes on). Refuses (ENOENT) when the claimed name no
  /// longer names this run's file.
  int publish_as(const std::string& final_path);

 private:
  void release();

  FileSystem& files_;
  std::string path_;
  int fd_ = -1;
  int signal_slot_ = -1;
};

/// What marks a hidden file as a run's own: no name a user gives a file has it.
inline constexpr const char* kHiddenMarker = ".sw-partial.";

/// The file part of a family's hidden files before their random suffix: `family_name` (a
/// file name without directory) and the marker, `family_name` shortened so that the hidden
/// name stays within NAME_MAX.
std::string hidden_prefix(const std::string& family_name);

/// Whether `name` (a file name without directory) is hidden_prefix(family_name) followed by
/// six letters or digits: a hidden file of that family, and only such a file.
bool in_hidden_family(const std::string& name, const std::string& family_name);

}  // namespace simplex_weights::detail
