#include <cerrno>
#include <cstring>

#include "common/process.h"
#include "common/runs.h"
#include "support/failure.h"
#include "text/exact_sums.h"
#include "text/rows.h"

namespace simplex_weights::cli {

using namespace simplex_weights::detail;
namespace {

void replace_all(std::string& text, const std::string& word, const std::string& by) {
  for (std::size_t at = text.find(word); at != std::string::npos;
       at = text.find(word, at + by.size())) {
    text.replace(at, word.size(), by);
  }
}

}  // namespace

void RowPrinter::row(const double* values, int count) {
  if (exact_sums_) {
    print_exact_sum(stream_, values, count, format_);
  } else {
    print(stream_, values, count, format_);
  }
}

std::string weight_file_path(const Run& run, const std::string& default_path, long long columns,
                             long long rows) {
  std::string path = run.options.output;
  if (path.empty()) return default_path;
  if (path == "-") return path;
  replace_all(path, "{m}", std::to_string(columns));
  replace_all(path, "{n}", std::to_string(rows));
  return path;
}

std::string staged_file_name(const char* extension, int first, int second) {
  return file_name((std::string("./output/weight_%.2dD_%d.") + extension).c_str(), first, second);
}

Publication publish_weight_file(const Run& run, const std::string& default_path, long long columns,
                                long long rows, bool staged, const FileMessages& messages) {
  // Rows for a closed standard output would vanish into the descriptor that stands in for it.
  if (run.options.output == "-" && standard_output_was_closed()) {
    throw Failure(format_message(messages.write_failed, "standard output", std::strerror(EBADF)));
  }
  return Publication(weight_file_path(run, default_path, columns, rows),
                     staged && run.options.output.empty(), messages, run.options.digits,
                     system_file_system(), true);
}

bool writes_header(const Run& run, bool program_default) {
  return run.options.header.value_or(program_default);
}

}  // namespace simplex_weights::cli
