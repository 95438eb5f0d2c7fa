#include "common/prime_table.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/arguments.h"
#include "support/failure.h"

namespace simplex_weights::cli {

using namespace simplex_weights::detail;
namespace {

// The table that every accepted request needs is about 12 KB; reading stops far beyond that.
constexpr std::size_t kMaxPrimeTableBytes = std::size_t{16} << 20;

std::string directory_part(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
}

// The program's directory: from /proc where there is one, else from how it was invoked (a path
// with a slash, or the first directory of PATH that holds an executable of that name).
std::string directory_of_executable(const char* invocation) {
  char path[4096];
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (length > 0) return directory_part(std::string(path, static_cast<std::size_t>(length)));
  const std::string invoked = invocation != nullptr ? invocation : "";
  if (invoked.empty()) return {};
  if (invoked.find('/') != std::string::npos) return directory_part(invoked);
  const char* search = std::getenv("PATH");
  std::string rest = search != nullptr ? search : "";
  while (!rest.empty()) {
    const std::size_t colon = rest.find(':');
    // An empty entry of PATH is the working directory.
    std::string directory = colon == 0 ? std::string(1, '.') : rest.substr(0, colon);
    rest = colon == std::string::npos ? std::string() : rest.substr(colon + 1);
    std::string candidate = directory;
    candidate += '/';
    candidate += invoked;
    if (::access(candidate.c_str(), X_OK) == 0) return directory;
  }
  return {};
}

// Where the table is looked for, in order: the working directory, beside the executable (a
// build tree), and the installed tree the executable belongs to, whatever its prefix.
std::vector<std::string> prime_table_places(const char* invocation) {
  std::vector<std::string> places{kPrimeTableFile};
  const std::string bin = directory_of_executable(invocation);
  if (!bin.empty()) {
    places.push_back(bin + "/" + kPrimeTableFile);
    places.push_back(bin + "/../share/simplex-weights/" + kPrimeTableFile);
  }
  return places;
}

// The first place that holds something under the table's name.
std::string find_prime_table(const char* invocation) {
  const std::vector<std::string> places = prime_table_places(invocation);
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
std::string read_prime_table(const char* invocation) {
  const std::string path = find_prime_table(invocation);
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

std::vector<int> readPrimes(int count, const char* invocation) {
  const std::string text = read_prime_table(invocation);
  std::vector<int> table;
  IntegerPrefix next = read_integer_prefix(text);
  while (static_cast<int>(table.size()) < count && next.kind == IntegerPrefix::Kind::kValue) {
    table.push_back(next.value);
    next = read_integer_prefix(text, next.end);
  }
  return table;
}

}  // namespace simplex_weights::cli
