// Publication of a weight file: the rows are written once, into a hidden file beside the
// weight file, which becomes the weight file by rename(2) once it is complete and closed. The
// weight file's name therefore only ever refers to a complete file (the new one, or whatever
// was there before), and it is replaced, never opened or written through.
#pragma once

#include <string>

#include "files/file_claim.h"
#include "text/writer.h"

namespace simplex_weights::detail {

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
/// file, whatever ended the run.
class Publication {
 public:
  /// Publication of `final_name` through a hidden file of its own beside it (FileClaim).
  /// With `reports_hidden_name`, a hidden file that cannot be created is reported by the hidden
  /// name without its suffix; otherwise every failure is reported by `final_name` as given.
  /// With `dash_is_standard_output`, a `final_name` of "-" writes the bytes to standard output
  /// instead, with no hidden file. The rows' values take `digits` digits. Every file call goes
  /// through `files`.
  Publication(std::string final_name, bool reports_hidden_name, const FileMessages& messages,
              int digits, FileSystem& files, bool dash_is_standard_output);
  Publication(const Publication&) = delete;
  Publication& operator=(const Publication&) = delete;
  ~Publication();

  /// The hidden file's stream: the header line, if any, then the rows.
  detail::Writer& rows() { return writer_; }
  /// Checks that the weight file's name can take a file: absent, a file, or a link to a file
  /// outside /dev and /proc. Anything else (a directory, a FIFO, a socket, a device, a link to
  /// one of those or to a stream such as /dev/stdout) fails with the open message.
  void open_final();
  /// Writes out, syncs and closes the hidden file, and renames it onto the weight file.
  void finish();

  /// The family of hidden names ("./output/.weight_03D_101.tglp"), which messages name; the
  /// file itself carries a random suffix (FileClaim).
  const std::string& hidden_name() const { return hidden_name_; }
  const std::string& final_name() const { return final_name_; }

 private:
  /// Throws the open message for `path`.
  [[noreturn]] void fail_open(const std::string& path, const std::string& reason);
  [[noreturn]] void fail_write(int error);

  FileSystem& files_;
  std::string hidden_name_;
  std::string final_name_;
  bool reports_hidden_name_;
  bool to_standard_output_;
  const FileMessages& messages_;
  FileClaim claim_;
  int fd_;  // the writer's own descriptor of the hidden file; the claim holds the lock
  detail::Writer writer_;
};

}  // namespace simplex_weights::detail
