#include "simplex_weights/constructions.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <new>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "constructions/energy_set.h"
#include "constructions/glp_cube.h"
#include "constructions/hammersley.h"
#include "constructions/irrational_set.h"
#include "constructions/layered_design.h"
#include "constructions/vertices.h"
#include "math/good_lattice.h"
#include "simplex_weights/errors.h"
#include "simplex_weights/random.h"
#include "support/arguments.h"
#include "support/fan_out.h"
#include "support/filling_sink.h"
#include "support/memory.h"
#include "support/observer.h"

namespace simplex_weights {

using namespace detail;
namespace {

void check_search(int search) {
  if (search < 1 || search > kMaxSearchCandidates) {
    throw InvalidArgument(
        range_message("the candidate count of the search", 1, kMaxSearchCandidates));
  }
}

// The prime the program would read from its table: the first `samples` entries decide.
int tglp_modulus(int samples) {
  const std::vector<int>& table = builtin_prime_table();
  const std::size_t read = std::min(table.size(), static_cast<std::size_t>(samples));
  return choose_modulus(std::vector<int>(table.begin(), table.begin() + static_cast<long>(read)),
                        samples);
}

// Rows are independent of each other: blocks of them are computed on every core (a thread
// that cannot start leaves its block to the caller's thread). `range(first, last, out)` fills
// rows first .. last - 1.
// A thread is worth its start for this many rows or more.
constexpr int kRowsPerThread = 1 << 16;

template <typename Range>
void fill_rows_in_parallel(int rows, std::size_t columns, double* values, Range range,
                           int rows_per_thread = kRowsPerThread) {
  const std::size_t n = static_cast<std::size_t>(rows);
  fan_out(n, block_count(n, static_cast<std::size_t>(rows_per_thread)),
          [&](std::size_t first, std::size_t last, std::size_t /*block*/) {
            range(static_cast<int>(first), static_cast<int>(last), values + first * columns);
          });
}

// N rows (none for N <= 0) of `columns` values, each block of them formed by `range`.
template <typename Range>
WeightSet independent_rows(int N, int columns, Range range) {
  const int rows = std::max(N, 0);
  const std::size_t width = static_cast<std::size_t>(columns);
  WeightSet set{.rows = static_cast<std::size_t>(rows),
                .columns = width,
                .values = allocate_values(static_cast<std::size_t>(rows) * width)};
  fill_rows_in_parallel(rows, width, set.values.data(), range);
  return set;
}

WeightSet hammersley_set(const HammersleyBuild& build, int k, int N) {
  check_hammersley_arguments(k, N);
  return independent_rows(N, k, [&](int first, int last, double* out) {
    FillingSink block(out);
    hammersley_rows(build, k, N, first, last, block);
  });
}

WeightSet irrational_set(const IrrationalBuild& build, int m, int N) {
  check_irrational_arguments(m);
  return independent_rows(N, m, [&](int first, int last, double* out) {
    FillingSink block(out);
    irrational_rows(build, m, N, first, last, block);
  });
}

ComponentTest component_test(bool units) {
  return units ? ComponentTest::kUnit : ComponentTest::kPrimitiveRoot;
}

WeightSet build_tglp(int m, int samples, const TglpOptions& options) {
  check_search(options.search);
  check_lattice_arguments(m, samples, kMinTglpDimension);
  const int n = options.exact ? samples : tglp_modulus(samples);
  const std::size_t points = static_cast<std::size_t>(n);
  const std::size_t columns = static_cast<std::size_t>(m);
  WeightSet set{.rows = points, .columns = columns, .values = allocate_values(points * columns)};
  GlibcRandom random(options.seed);
  const VectorChoice choice =
      choose_generating_vector(m - 1, n, tglp_candidate,
                               VectorDraw{.random = random,
                                          .candidates = options.search,
                                          .test = component_test(options.units || options.exact),
                                          .on_simplex = true},
                               no_observer());
  // Each cube point is mapped as soon as it is formed: the rows are the only buffer.
  FillingSink rows(set.values.data());
  lattice_simplex_rows(choice.h, n, rows, no_observer());
  return set;
}

WeightSet build_udh(int k, int N) { return hammersley_set(kUdhWeights, k, N); }

WeightSet build_udh_product(int k, int N) { return hammersley_set(kUdhWeightsProd, k, N); }

WeightSet build_gwud(int m, int N) { return irrational_set(kGwudWeights, m, N); }

WeightSet build_gwud_product(int m, int N) { return irrational_set(kGwudWeightsProd, m, N); }

WeightSet build_msld(int M, int K, const DesignOptions& options) {
  const long long rows = check_msld_arguments(M, K);
  const std::size_t columns = static_cast<std::size_t>(M);
  WeightSet set;
  if (M >= 3 && K >= 1) {
    // The vertices and the centroid, then each vertex's edges on every layer, a block of rows
    // of its own: the blocks are computed on every core.
    set = {.rows = static_cast<std::size_t>(rows),
           .columns = columns,
           .values = allocate_values(static_cast<std::size_t>(rows) * columns)};
    FillingSink head(set.values.data());
    DesignRows head_rows{head, K};
    design_head_rows(head_rows, no_observer(), M);
    const std::size_t block = static_cast<std::size_t>(3LL * K * (K + 1) / 2) * columns;
    double* first_block = set.values.data() + (columns + 1) * columns;
    const int vertices_per_thread = rows >= 2LL * kRowsPerThread ? 1 : M;
    fill_rows_in_parallel(
        M, block, first_block,
        [&](int first, int last, double* out) {
          FillingSink sink(out);
          DesignRows edges{sink, K};
          for (int i = first; i < last; ++i) design_vertex_rows(edges, no_observer(), M, K, i);
        },
        vertices_per_thread);
  } else {
    CollectingSink sink(static_cast<std::size_t>(rows), columns);
    DesignRows layer_rows{sink, K};
    layered_design_rows(layer_rows, no_observer(), M, K);
    set = sink.take();
    set.columns = columns;
  }
  if (options.unique) return unique_rows(set);
  return set;
}

WeightSet build_glp_cube(int m, int N, const CubeOptions& options) {
  check_search(options.search);
  check_lattice_arguments(m, N, cube_lattice::kMinDimension);
  check_allocation<double>(static_cast<std::size_t>(N) * static_cast<std::size_t>(m));
  CollectingSink sink(static_cast<std::size_t>(N), static_cast<std::size_t>(m));
  GlibcRandom random(options.seed);
  const VectorChoice choice = cube_lattice::choose_vector(
      m, N,
      VectorDraw{
          .random = random, .candidates = options.search, .test = component_test(options.units)},
      no_observer());
  cube_lattice::cube_rows(choice.h, N, sink, no_observer());
  return sink.take();
}

}  // namespace

// Every allocation the constructions make may fail: the caller gets the library's own error.
template <typename Build>
WeightSet memory_guarded(Build build) {
  try {
    return build();
  } catch (const std::bad_alloc&) {
    throw Error(kOutOfMemoryMessage, {}, ErrorCode::kOutOfMemory);
  }
}

// The set as built, with the vertices put in their places when asked for.
WeightSet with_vertices(WeightSet set, bool vertices) {
  if (vertices) place_vertices(set);
  return set;
}

WeightSet tglp(int m, int samples, const TglpOptions& options) {
  return memory_guarded(
      [&] { return with_vertices(build_tglp(m, samples, options), options.vertices); });
}
WeightSet udh(int k, int N, const SetOptions& options) {
  return memory_guarded([&] { return with_vertices(build_udh(k, N), options.vertices); });
}
WeightSet udh_product(int k, int N, const SetOptions& options) {
  return memory_guarded([&] { return with_vertices(build_udh_product(k, N), options.vertices); });
}
WeightSet gwud(int m, int N, const SetOptions& options) {
  return memory_guarded([&] { return with_vertices(build_gwud(m, N), options.vertices); });
}
WeightSet gwud_product(int m, int N, const SetOptions& options) {
  return memory_guarded([&] { return with_vertices(build_gwud_product(m, N), options.vertices); });
}
WeightSet msld(int M, int K, const DesignOptions& options) {
  return memory_guarded([&] { return build_msld(M, K, options); });
}
WeightSet glp_cube(int m, int N, const CubeOptions& options) {
  return memory_guarded([&] { return build_glp_cube(m, N, options); });
}

double energy_exponent(double exponent, int m) {
  return exponent == 0 ? default_exponent(static_cast<std::size_t>(std::max(m, 0))) : exponent;
}

WeightSet energy(int m, int N, const EnergyOptions& options) {
  return memory_guarded([&] {
    GlibcRandom random(options.seed);
    return energy_set(m, N, random, energy_exponent(options.exponent, m)).set;
  });
}

WeightSet refine_energy(const WeightSet& start, const EnergyOptions& options) {
  const int m = static_cast<int>(start.columns);
  const double s = energy_exponent(options.exponent, m);
  if (start.values.size() != start.rows * start.columns || start.columns < 2) {
    throw InvalidArgument("Error... the set to refine needs rows of at least 2 columns\n");
  }
  if (!(s > 0) || !std::isfinite(s)) {
    throw InvalidArgument("Error... the exponent should be a positive number\n");
  }
  return memory_guarded([&] {
    WeightSet set = start;
    if (!std::isfinite(detail::riesz_energy(set.values.data(), set.rows, set.columns, s))) {
      throw InvalidArgument("Error... the rows to refine must be distinct\n");
    }
    descend(set.values.data(), set.rows, set.columns, s);
    return set;
  });
}

double riesz_energy(const WeightSet& set, double exponent) {
  return detail::riesz_energy(set.values.data(), set.rows, set.columns,
                              energy_exponent(exponent, static_cast<int>(set.columns)));
}

WeightSet generate(Construction construction, int first, int second, const Options& options) {
  switch (construction) {
    case Construction::kTglp:
      return tglp(first, second,
                  {.seed = options.seed,
                   .search = options.search,
                   .units = options.units,
                   .exact = options.exact,
                   .vertices = options.vertices});
    case Construction::kUdh:
      return udh(first, second, {.vertices = options.vertices});
    case Construction::kUdhProduct:
      return udh_product(first, second, {.vertices = options.vertices});
    case Construction::kGwud:
      return gwud(first, second, {.vertices = options.vertices});
    case Construction::kGwudProduct:
      return gwud_product(first, second, {.vertices = options.vertices});
    case Construction::kMsld:
      return msld(first, second, {.unique = options.unique, .vertices = options.vertices});
    case Construction::kGlpCube:
      return glp_cube(first, second,
                      {.seed = options.seed, .search = options.search, .units = options.units});
    case Construction::kEnergy:
      return energy(first, second, {.seed = options.seed, .exponent = options.exponent});
  }
  throw InvalidArgument("Error... unknown construction\n");
}

long long planned_rows(Construction construction, int first, int second, const Options& options) {
  switch (construction) {
    case Construction::kTglp:
      check_search(options.search);
      check_lattice_arguments(first, second, kMinTglpDimension);
      return options.exact ? second : tglp_modulus(second);
    case Construction::kUdh:
    case Construction::kUdhProduct:
      check_hammersley_arguments(first, second);
      return std::max(second, 0);
    case Construction::kGwud:
    case Construction::kGwudProduct:
      check_irrational_arguments(first);
      return std::max(second, 0);
    case Construction::kMsld:
      if (options.unique) {
        check_msld_arguments(first, second);
        return design_distinct_row_count(first, second);
      }
      return check_msld_arguments(first, second);
    case Construction::kGlpCube:
      check_search(options.search);
      check_lattice_arguments(first, second, cube_lattice::kMinDimension);
      return second;
    case Construction::kEnergy:
      check_energy_arguments(first, second, energy_exponent(options.exponent, first));
      return second;
  }
  throw InvalidArgument("Error... unknown construction\n");
}

int planned_columns(Construction construction, int first) {
  switch (construction) {
    case Construction::kTglp:
    case Construction::kUdh:
    case Construction::kUdhProduct:
    case Construction::kGwud:
    case Construction::kGwudProduct:
    case Construction::kMsld:
    case Construction::kGlpCube:
    case Construction::kEnergy:
      return first;
  }
  throw InvalidArgument("Error... unknown construction\n");
}

}  // namespace simplex_weights
