// Weight files: their names, the row writer, and the two ways a run publishes its rows
// (staged through a hidden file, or written directly), each leaving either a complete file
// or none.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "process.h"
#include "writer.h"

namespace weights {

/// The texts a program prints when a file step fails; each %s takes the path, the second %s
/// of `write_failed` the system's reason.
struct FileMessages {
  const char* open_failed;
  const char* remove_failed;
  const char* write_failed;
};

/// The messages of the staged tools.
inline constexpr FileMessages kStandardMessages = {"Error to open the file %s.\n",
                                                   "Error to remove file %s.",
                                                   "Error to write the file %s (%s).\n"};

/// Number forms of a row: every value followed by a blank ("%f ", "%e "), or values separated
/// by single blanks with none after the last ("%lf").
enum class RowFormat { kFixed, kScientific, kFixedSeparated };

/// The row writer: values[0 .. count - 1] in `format`, then "\n".
void print(Writer& stream, const double* values, int count, RowFormat format);

/// The header line "# %d %d\n".
void write_header(Writer& stream, long long first, long long second);

/// Formats a file name from a printf pattern with two integers, as into a 100-character buffer.
std::string file_name(const char* pattern, int first, int second);

/// An open file of the run. Errors while writing are kept by its writer and reported by close.
class OutputFile {
 public:
  OutputFile(int fd, std::string path, const FileMessages& messages);
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  Writer& writer() { return writer_; }
  const std::string& path() const { return path_; }
  int fd() const { return fd_; }
  /// Flushes and closes; throws the write Failure if any write, the flush or the close failed.
  void close();
  /// Throws the write Failure for this file with the given errno.
  [[noreturn]] void fail_write(int error) const;

 private:
  int fd_;
  std::string path_;
  const FileMessages& messages_;
  Writer writer_;
};

/// Opens `path` with a stdio mode ("r", "w" or "w+"); on failure throws `open_failed`.
std::unique_ptr<OutputFile> open_file(const std::string& path, const char* mode,
                                      const FileMessages& messages = kStandardMessages);

/// Copies everything written to `source` so far, from its start, to the end of `destination`.
void copy_file(OutputFile& source, OutputFile& destination);

/// Staged publication: rows go to the staging file; `open_final`, the header, then `finish`
/// turn it into the weight file. If the run fails before finishing, the destructor removes
/// what must not be left: a partial weight file, and the staging file unless the weight file
/// could not be opened (its rows then stay behind in it).
class StagedPublication {
 public:
  /// Locks the directory, then opens the staging file with mode "w+".
  StagedPublication(std::string staging_name, std::string final_name,
                    const FileMessages& messages = kStandardMessages);
  StagedPublication(const StagedPublication&) = delete;
  StagedPublication& operator=(const StagedPublication&) = delete;
  ~StagedPublication();

  Writer& rows() { return staging_->writer(); }
  /// Opens the weight file with mode "w".
  void open_final();
  /// The weight file, for the header line (after open_final).
  Writer& final_file() { return final_->writer(); }
  /// Copies the rows behind the header, closes both files and removes the staging file.
  void finish();

 private:
  DirectoryLock lock_;
  std::string staging_name_;
  std::string final_name_;
  const FileMessages& messages_;
  std::unique_ptr<OutputFile> staging_;
  std::unique_ptr<OutputFile> final_;
  bool keep_staging_ = false;
  bool done_ = false;
};

/// Direct publication: the weight file is opened, written and closed while the directory is
/// locked; a file that failed to be written completely is removed.
class DirectPublication {
 public:
  DirectPublication(const std::string& name, const FileMessages& messages);
  DirectPublication(const DirectPublication&) = delete;
  DirectPublication& operator=(const DirectPublication&) = delete;
  ~DirectPublication();

  Writer& rows() { return file_->writer(); }
  void finish();

 private:
  DirectoryLock lock_;
  std::unique_ptr<OutputFile> file_;
  bool done_ = false;
};

}  // namespace weights
