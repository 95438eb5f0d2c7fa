// The floor of the benchmark: writes rows x columns values to a file with the suite's fastest
// exact formatting, computing nothing; with "sync" it also syncs the file to disk before it
// closes it, as a published weight file is. bench_floor ROWS COLUMNS FORMAT(f|e|lf) FILE [sync]
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "text/rows.h"
#include "text/writer.h"

int main(int argc, char** argv) {
  if (argc != 5 && argc != 6) return 2;
  const bool sync = argc == 6 && std::strcmp(argv[5], "sync") == 0;
  const long rows = std::atol(argv[1]);
  const int columns = std::atoi(argv[2]);
  const simplex_weights::RowFormat format =
      std::strcmp(argv[3], "e") == 0    ? simplex_weights::RowFormat::kScientific
      : std::strcmp(argv[3], "lf") == 0 ? simplex_weights::RowFormat::kFixedSeparated
                                        : simplex_weights::RowFormat::kFixed;
  const int fd = ::open(argv[4], O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (fd < 0) return 1;
  simplex_weights::detail::Writer out(fd, simplex_weights::detail::Writer::Kind::kFile);
  std::vector<double> row(static_cast<std::size_t>(columns));
  for (long i = 0; i < rows; ++i) {
    // Values of the same kind as weights: six varying digits in (0, 1).
    for (int j = 0; j < columns; ++j) {
      row[static_cast<std::size_t>(j)] =
          static_cast<double>((i * 7919 + j * 104729) % 999983) / 999983.0;
    }
    simplex_weights::detail::print(out, row.data(), columns, format);
  }
  if (!out.flush()) return 1;
  if (sync && ::fdatasync(fd) != 0) return 1;
  return ::close(fd) == 0 ? 0 : 1;
}
