#include "common/publication.h"
#include "common/runs.h"
#include "support/failure.h"

namespace simplex_weights::cli {

using namespace simplex_weights::detail;

void run_lattice_weights(const LatticeBuild& build, int m, int N, Run& run) {
  check_lattice_weights_arguments(m);
  const int count = N > 0 ? N : 0;
  Publication publication(weight_file_path(run, staged_file_name("gwud", m, N), m, count), true,
                          kStandardMessages, run.options.digits);
  // The header comes first: the count is known before the rows, one per sample.
  if (writes_header(run, true)) write_header(publication.rows(), count, m);
  RowPrinter rows(publication.rows(), RowFormat::kScientific, run.options.exact_sums);
  if (LowSequences_lattices_weights(rows, N, m, build, run.trace) != count) {
    throw Failure("Error... the run wrote another number of rows than its header states\n");
  }
  publication.open_final();
  publication.finish();
}

}  // namespace simplex_weights::cli
