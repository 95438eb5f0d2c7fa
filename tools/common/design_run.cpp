#include "common/runs.h"
#include "constructions/layered_design.h"
#include "files/publication.h"
#include "text/rows.h"

namespace simplex_weights::cli {

using namespace simplex_weights::detail;
namespace {

// No period after the file names in this program's messages.
constexpr FileMessages kMsldMessages = {"Error to open the file %s\n",
                                        "Error to write the file %s (%s)\n"};

}  // namespace

void run_msld_weights(int M, int K, Run& run) {
  const long long design_rows = check_msld_arguments(M, K);
  const long long expected_rows =
      run.options.unique ? design_distinct_row_count(M, K) : design_rows;
  Publication publication = publish_weight_file(run, staged_file_name("msld", M, K), M,
                                                expected_rows, true, kMsldMessages);
  // The header comes first: the count follows from M and K, and the run must then match it.
  if (writes_header(run, true)) write_header(publication.rows(), expected_rows, M);
  RowPrinter printer(publication.rows(), RowFormat::kFixed, run.options.exact_sums);
  DistinctRows distinct(printer);
  DesignRows rows{run.options.unique ? static_cast<RowSink&>(distinct) : printer, K};
  DesignTrace trace(run.trace);
  layered_design_rows(rows, trace, M, K);
  publication.open_final();
  run.trace.text("count ");
  run.trace.integer(rows.count);
  run.trace.put('\n');
  check_row_count(run.options.unique ? distinct.passed() : rows.count, expected_rows);
  publication.finish();
}

}  // namespace simplex_weights::cli
