#include "support/fan_out.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

namespace simplex_weights::detail {

bool room_for_threads(std::size_t threads) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return true;
  // The first figure of statm: the pages of the address space in use.
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return true;
  unsigned long long pages = 0;
  const bool read = std::fscanf(statm, "%llu", &pages) == 1;
  std::fclose(statm);
  if (!read) return true;
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
