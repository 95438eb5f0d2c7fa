#include "common/publication.h"
#include "common/runs.h"

namespace simplex_weights::cli {

using namespace simplex_weights::detail;
namespace {

constexpr FileMessages kHammersleyMessages = {"Error! File %s could not be opened!\n",
                                              "Error! File %s could not be written (%s)!\n"};

}  // namespace

void run_hammersley(const HammersleyBuild& build, int k, int N, Run& run) {
  check_hammersley_arguments(k, N);
  if (build.traces_and_heads && !run.trace.discards()) {
    trace_sums(build, k, N, run.trace);
    run.trace.flush();
  }
  const long long count = N > 0 ? N : 0;
  Publication publication(weight_file_path(run, hammersley_file_name(build, k, N), k, count), false,
                          kHammersleyMessages, run.options.digits);
  if (writes_header(run, build.traces_and_heads)) write_header(publication.rows(), N, k);
  RowPrinter rows(publication.rows(), RowFormat::kFixedSeparated, run.options.exact_sums);
  hammersley_rows(build, k, N, rows);
  publication.open_final();
  publication.finish();
}

}  // namespace simplex_weights::cli
