// A process that glibc would end ("cannot allocate memory for thread-local data: ABORT") if the
// fan-out started a thread: a thread has ended (its stack is cached), modules with thread-local
// data have been loaded since (the cached stack's table of blocks must grow), and the address
// space is full under RLIMIT_AS (the growth cannot be allocated). The fan-out must run the
// blocks on the caller instead. Ends with 0 when every item was covered.
//
//   thread_stack_reuse MODULE
#include <dlfcn.h>
#include <sys/resource.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "support/fan_out.h"

namespace {

// Each copy takes one more slot in every thread's table of thread-local blocks. The copies live
// in a fresh folder only until they are loaded.
bool load_copies(const std::filesystem::path& module) {
  std::string folder = (std::filesystem::temp_directory_path() / "thread_stack_reuse.XXXXXX");
  if (::mkdtemp(folder.data()) == nullptr) return false;
  bool loaded = true;
  for (int copy = 0; copy < 40 && loaded; ++copy) {
    const std::filesystem::path path =
        std::filesystem::path(folder) / ("module" + std::to_string(copy) + ".so");
    std::filesystem::copy_file(module, path);
    loaded = ::dlopen(path.c_str(), RTLD_NOW) != nullptr;
  }
  std::filesystem::remove_all(folder);
  return loaded;
}

// Every block taken, each holding the last, so that the compiler cannot drop the calls.
void take_every_block(std::size_t size, void*& last) {
  while (void* block = std::malloc(size)) {
    *static_cast<void**>(block) = last;
    last = block;
  }
}

// The limit set 1 MiB above what is mapped and everything up to it taken by malloc, as by a
// caller that filled its address space; then every other one of 64 blocks of 256 bytes given
// back. Small requests (the fan-out's own vectors, a thread's state) can still be met from
// those, but nothing of a kilobyte or more: the size glibc asks for when it grows the table of
// thread-local blocks. Returns false when the address space could not be filled.
bool fill_address_space_but_small_blocks() {
  long pages = 0;
  if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
    std::fclose(statm);
  }
  const rlimit limit{static_cast<rlim_t>(pages * ::sysconf(_SC_PAGESIZE)) + (1 << 20),
                     RLIM_INFINITY};
  if (pages == 0 || ::setrlimit(RLIMIT_AS, &limit) != 0) return false;
  std::array<void*, 64> small{};
  for (void*& block : small) block = std::malloc(256);
  void* last = nullptr;
  for (std::size_t size = 1 << 20; size >= sizeof(void*); size /= 2) take_every_block(size, last);
  for (std::size_t block = 0; block < small.size(); block += 2) std::free(small[block]);
  return last != nullptr && small.back() != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::thread([] {}).join();
  if (!load_copies(argv[1])) return 3;
  if (!fill_address_space_but_small_blocks()) return 5;
  std::atomic<std::size_t> items{0};
  simplex_weights::detail::fan_out(
      1000, 2, [&](std::size_t first, std::size_t last, std::size_t) { items += last - first; });
  return items == 1000 ? 0 : 4;
}
