#include "tglp_run.h"

#include <cstddef>

#include "good_lattice.h"
#include "memory.h"
#include "publication.h"
#include "simplex_mapping.h"

namespace weights {

void run_tglp_weights(int m, int samples, Writer& trace) {
  check_lattice_arguments(m, samples, kMinTglpDimension);
  const int n = choose_modulus(readPrimes(samples), samples);
  trace.text("value = ");
  trace.integer(n);
  trace.put('\n');

  Publication publication("tglp", m, n);
  const std::size_t points = static_cast<std::size_t>(n);
  const auto cube = allocate_for_overwrite<double>(static_cast<std::size_t>(m - 1) * points);
  glp(publication.rows(), trace, m - 1, n, cube.get());
  const auto weight_vectors = allocate_for_overwrite<double>(static_cast<std::size_t>(m) * points);
  transformation(publication.rows(), trace, m, n, cube.get(), weight_vectors.get());
  publication.open_final();
  publication.finish();
}

}  // namespace weights
