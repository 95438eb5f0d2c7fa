#include "failure.h"
#include "publication.h"
#include "runs.h"
#include "simplex_lattice.h"

namespace simplex_weights {
namespace {

// No period after the file names in this program's messages.
constexpr FileMessages kMsldMessages = {"Error to open the file %s\n",
                                        "Error to write the file %s (%s)\n"};

}  // namespace

void run_msld_weights(int M, int K, Run& run) {
  const long long expected_rows = check_msld_arguments(M, K);
  Publication publication("msld", M, K, run.options.digits, kMsldMessages);
  // The header comes first: the count follows from M and K, and the run must then match it.
  write_header(publication.rows(), expected_rows, M);
  RowPrinter printer(publication.rows(), RowFormat::kFixed);
  LayerRowWriter rows{printer, K};
  simplex_lattice_design(rows, run.trace, M, K);
  publication.open_final();
  run.trace.text("count ");
  run.trace.integer(rows.count);
  run.trace.put('\n');
  if (rows.count != expected_rows) {
    throw Failure("Error... the run wrote another number of rows than its header states\n");
  }
  publication.finish();
}

}  // namespace simplex_weights
