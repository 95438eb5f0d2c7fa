#include "failure.h"
#include "publication.h"
#include "runs.h"

namespace simplex_weights {

void run_lattice_weights(const LatticeBuild& build, int m, int N, Run& run) {
  check_lattice_weights_arguments(m);
  Publication publication("gwud", m, N, run.options.digits);
  // The header comes first: the count is known before the rows, one per sample.
  const int count = N > 0 ? N : 0;
  write_header(publication.rows(), count, m);
  RowPrinter rows(publication.rows(), RowFormat::kScientific);
  if (LowSequences_lattices_weights(rows, N, m, build, run.trace) != count) {
    throw Failure("Error... the run wrote another number of rows than its header states\n");
  }
  publication.open_final();
  publication.finish();
}

}  // namespace simplex_weights
