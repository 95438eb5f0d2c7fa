#include "tglp_run.h"

#include <cstddef>
#include <string>

#include "exit_status.h"
#include "failure.h"
#include "good_lattice.h"
#include "memory.h"
#include "simplex_mapping.h"
#include "weight_file.h"

namespace weights {

int run_tglp_weights(int m, int samples, Writer& trace) {
  if (samples > kMaxSamples) {
    throw Failure("Error... the number of samples should be lower than 20000\n");
  }
  if (samples < 3) throw Failure("Error... the number of samples should be at least 3\n");
  if (m < 2 || m > kMaxLatticeDimension) {
    throw Failure("Error... the dimension should lie in 2 .. " +
                  std::to_string(kMaxLatticeDimension) + "\n");
  }
  const int n = choose_modulus(readPrimes(samples), samples);
  trace.text("value = ");
  trace.integer(n);
  trace.put('\n');

  StagedPublication publication(file_name("./output/.weight_%.2dD_%d.tglp", m, n),
                                file_name("./output/weight_%.2dD_%d.tglp", m, n));
  const std::size_t points = static_cast<std::size_t>(n);
  const auto cube = allocate_for_overwrite<double>(static_cast<std::size_t>(m - 1) * points);
  glp(publication.rows(), trace, m - 1, n, cube.get());
  const auto weight_vectors = allocate_for_overwrite<double>(static_cast<std::size_t>(m) * points);
  transformation(publication.rows(), trace, m, n, cube.get(), weight_vectors.get());
  publication.open_final();
  publication.finish();
  return kExitSuccess;
}

}  // namespace weights
