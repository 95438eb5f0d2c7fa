#include "support/memory.h"

#include <unistd.h>

namespace simplex_weights::detail {

std::size_t physical_memory_bytes() {
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long page_size = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || page_size <= 0) return 0;
  return static_cast<std::size_t>(pages) * static_cast<std::size_t>(page_size);
}

void fail_allocation(std::size_t count, std::size_t element_size) {
  const unsigned long long bytes = static_cast<unsigned long long>(count) * element_size;
  throw Failure(format_message(kAllocationMessage, std::to_string(count), std::to_string(bytes)),
                {}, ErrorCode::kOutOfMemory);
}

}  // namespace simplex_weights::detail
