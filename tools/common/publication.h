// Publication of a weight file: the rows are written once, into a hidden file beside the
// weight file, which becomes the weight file by rename(2) once it is complete and closed. The
// weight file's name therefore only ever refers to a complete file (the new one, or whatever
// was there before), and it is replaced, never opened or written through.
#pragma once

#include <string>

#include "file_lock.h"
#include "writer.h"

namespace simplex_weights {

/// The texts a program prints when a file step fails; each %s takes the path, the second %s
/// of `write_failed` the system's reason.
struct FileMessages {
  const char* open_failed;
  const char* write_failed;
};

/// The messages of the staged programs.
inline constexpr FileMessages kStandardMessages = {"Error to open the file %s.\n",
                                                   "Error to write the file %s (%s).\n"};

/// One weight file in the making. Until `finish` succeeds, the destructor removes the hidden
/// file, except where `open_final` keeps a staging file's finished rows.
class Publication {
 public:
  /// Staged publication: the staging file "./output/.weight_%.2dD_%d.<extension>" becomes
  /// "./output/weight_%.2dD_%d.<extension>", both names formed from `first` and `second`. A
  /// staging file that cannot be created is reported by its own name.
  /// The rows' values take `digits` digits after the point.
  Publication(const char* extension, int first, int second, int digits,
              const FileMessages& messages = kStandardMessages);
  /// Direct publication of `final_name`: its hidden file is the same name with a dot before the
  /// file part, and every failure is reported by the weight file's name.
  Publication(const std::string& final_name, const FileMessages& messages,
              int digits = kDefaultDigits);
  Publication(const Publication&) = delete;
  Publication& operator=(const Publication&) = delete;
  ~Publication();

  /// The hidden file's stream: the header line, if any, then the rows.
  Writer& rows() { return writer_; }
  /// Checks that the weight file's name can take a file: absent, a file or a link. Anything
  /// else (a directory, a FIFO, a socket, a device) fails with the open message; a staging
  /// file then stays behind with its finished rows.
  void open_final();
  /// Writes out, syncs and closes the hidden file, and renames it onto the weight file.
  void finish();

  const std::string& hidden_name() const { return hidden_name_; }
  const std::string& final_name() const { return final_name_; }

 private:
  Publication(std::string hidden_name, std::string final_name, bool staged,
              const FileMessages& messages, int digits);
  /// Throws the open message for `path`; `keep_rows` leaves the hidden file with its rows.
  [[noreturn]] void fail_open(const std::string& path, const std::string& reason, bool keep_rows);
  [[noreturn]] void fail_write(int error);

  std::string hidden_name_;
  std::string final_name_;
  bool staged_;
  const FileMessages& messages_;
  FileClaim claim_;
  int fd_;  // the writer's own descriptor of the hidden file; the claim holds the lock
  Writer writer_;
};

}  // namespace simplex_weights
