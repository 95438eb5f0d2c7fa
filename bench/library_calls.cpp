// Times one construction of the library in memory, the way a C++ caller uses it: REPEATS calls,
// then the median seconds, the rows, and the peak resident memory of the process.
// Usage: bench_library_calls CONSTRUCTION FIRST SECOND [REPEATS [SEARCH]]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "simplex_weights/simplex_weights.h"

namespace {

namespace sw = simplex_weights;

bool construction_named(const char* name, sw::Construction& construction) {
  const struct {
    const char* name;
    sw::Construction construction;
  } kNames[] = {{"tglp", sw::Construction::kTglp},
                {"udh", sw::Construction::kUdh},
                {"udh_product", sw::Construction::kUdhProduct},
                {"gwud", sw::Construction::kGwud},
                {"gwud_product", sw::Construction::kGwudProduct},
                {"msld", sw::Construction::kMsld},
                {"glp_cube", sw::Construction::kGlpCube}};
  for (const auto& entry : kNames) {
    if (std::strcmp(name, entry.name) == 0) {
      construction = entry.construction;
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  sw::Construction construction{};
  if (argc < 4 || !construction_named(argv[1], construction)) {
    std::fprintf(stderr, "usage: %s CONSTRUCTION FIRST SECOND [REPEATS [SEARCH]]\n", argv[0]);
    return 2;
  }
  const int first = std::atoi(argv[2]);
  const int second = std::atoi(argv[3]);
  const int repeats = argc > 4 ? std::atoi(argv[4]) : 5;
  const sw::Options options{.seed = 1, .search = argc > 5 ? std::atoi(argv[5]) : 1};
  std::vector<double> seconds;
  std::size_t rows = 0;
  for (int i = 0; i < repeats; ++i) {
    const auto start = std::chrono::steady_clock::now();
    const sw::WeightSet set = sw::generate(construction, first, second, options);
    seconds.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    rows = set.rows;
  }
  std::sort(seconds.begin(), seconds.end());
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  std::printf("%s %d %d: %zu rows, median %.4f s of %d calls, peak %.1f MB\n", argv[1], first,
              second, rows, seconds[seconds.size() / 2], repeats,
              static_cast<double>(usage.ru_maxrss) / 1024.0);
  return 0;
}
