#include "prime_table.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <string>

#include "arguments.h"
#include "failure.h"

namespace simplex_weights {
namespace {

// The table that every accepted request needs is about 12 KB; reading stops far beyond that.
constexpr std::size_t kMaxPrimeTableBytes = std::size_t{16} << 20;

std::string directory_of_executable() {
  char path[4096];
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  const std::string executable(path, static_cast<std::size_t>(length));
  return executable.substr(0, executable.rfind('/'));
}

// Where the table is looked for, in order: the working directory, beside the executable (a
// build tree), and the installed tree the executable belongs to, whatever its prefix.
std::vector<std::string> prime_table_places() {
  std::vector<std::string> places{kPrimeTableFile};
  const std::string bin = directory_of_executable();
  if (!bin.empty()) {
    places.push_back(bin + "/" + kPrimeTableFile);
    places.push_back(bin + "/../share/simplex-weights/" + kPrimeTableFile);
  }
  return places;
}

// The first place that holds something under the table's name.
std::string find_prime_table() {
  const std::vector<std::string> places = prime_table_places();
  std::string searched;
  for (const std::string& place : places) {
    struct stat status {};
    if (::lstat(place.c_str(), &status) == 0 || errno != ENOENT) return place;
    searched += (searched.empty() ? "" : ", ") + place;
  }
  throw Failure(std::string("Error to open the file ") + kPrimeTableFile + ".\n",
                std::string(kPrimeTableFile) + ": not found; looked for " + searched);
}

// The prime table file's text, at most kMaxPrimeTableBytes of it. Only a regular file is read:
// a FIFO, a device or a directory under that name is refused before anything is read from it.
std::string read_prime_table() {
  const std::string path = find_prime_table();
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    throw Failure(std::string("Error to open the file ") + kPrimeTableFile + ".\n",
                  path + ": " + std::strerror(error));
  }
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    throw Failure("Error... the prime table " + path + " is not a regular file.\n");
  }
  std::string text;
  char chunk[65536];
  while (text.size() < kMaxPrimeTableBytes) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    text.append(chunk, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return text;
}

}  // namespace

std::vector<int> readPrimes(int count) {
  const std::string text = read_prime_table();
  std::vector<int> table;
  IntegerPrefix next = read_integer_prefix(text);
  while (static_cast<int>(table.size()) < count && next.kind == IntegerPrefix::Kind::kValue) {
    table.push_back(next.value);
    next = read_integer_prefix(text, next.end);
  }
  return table;
}

}  // namespace simplex_weights
