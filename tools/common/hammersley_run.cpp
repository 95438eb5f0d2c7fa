#include "common/runs.h"
#include "files/publication.h"
#include "support/arguments.h"
#include "support/filling_sink.h"
#include "text/rows.h"

namespace simplex_weights::cli {

using namespace simplex_weights::detail;
namespace {

constexpr FileMessages kHammersleyMessages = {"Error! File %s could not be opened!\n",
                                              "Error! File %s could not be written (%s)!\n"};

}  // namespace

std::string hammersley_argument_help() {
  return "  numObjectives     number of objectives k, " +
         range_text(kMinObjectives, kMaxObjectives) +
         "\n  numWeightVectors  number of weight vectors N (k * N at most " +
         std::to_string(kMaxValues) + "; N <= 0 writes no rows)\n";
}

std::string hammersley_file_name(const HammersleyProgram& program, int k, int N) {
  return file_name(k <= 9 ? program.short_pattern : program.long_pattern, k, N);
}

void run_hammersley(const HammersleyProgram& program, int k, int N, Run& run) {
  check_hammersley_arguments(k, N);
  if (program.traces_and_heads && !run.trace.discards()) {
    // Every row's sum is traced before the weight file is opened: the rows are computed twice
    // rather than held.
    SumTrace sums(run.trace);
    DiscardingSink nowhere;
    hammersley_rows(program.build, k, N, 0, N, nowhere, sums);
    run.trace.flush();
  }
  const long long count = N > 0 ? N : 0;
  Publication publication = publish_weight_file(run, hammersley_file_name(program, k, N), k, count,
                                                false, kHammersleyMessages);
  if (writes_header(run, program.traces_and_heads)) write_header(publication.rows(), N, k);
  RowPrinter printer(publication.rows(), RowFormat::kFixedSeparated, run.options.exact_sums);
  RowsWritten rows(printer, k, run.options.vertices,
                   [&](RowSink& places) { hammersley_rows(program.build, k, N, 0, N, places); });
  hammersley_rows(program.build, k, N, 0, N, rows.sink());
  publication.open_final();
  publication.finish();
}

}  // namespace simplex_weights::cli
