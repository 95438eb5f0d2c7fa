#include "support/fan_out.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>

namespace simplex_weights::detail {
namespace {

// The pages of the address space in use (the first figure of statm), or 0 when unknown. Read
// with no allocation: the caller may be where malloc fails, and stdio's buffers would.
unsigned long long pages_in_use() {
  const int statm = ::open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
  if (statm < 0) return 0;
  char text[64] = {};
  const ssize_t read = ::read(statm, text, sizeof text - 1);
  ::close(statm);
  if (read <= 0) return 0;
  return std::strtoull(text, nullptr, 10);
}

}  // namespace

bool room_for_threads(std::size_t threads) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return true;
  const unsigned long long pages = pages_in_use();
  if (pages == 0) return true;
  const unsigned long long used = pages * static_cast<unsigned long long>(::sysconf(_SC_PAGESIZE));
  // A thread's stack (8 MiB by default) and a margin for its thread-local data and arena.
  constexpr unsigned long long kPerThread = 16ULL << 20;
  return used + threads * kPerThread <= limit.rlim_cur;
}

ThreadStarter& system_threads() {
  // Stateless: every caller and thread may share it.
  static ThreadStarter starter;
  return starter;
}

}  // namespace simplex_weights::detail
