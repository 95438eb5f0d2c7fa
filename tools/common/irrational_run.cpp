#include "common/runs.h"
#include "files/publication.h"
#include "support/arguments.h"
#include "support/failure.h"
#include "text/rows.h"

namespace simplex_weights::cli {

using namespace simplex_weights::detail;

std::string irrational_argument_help() {
  return "  dimension  number of objectives m, " +
         range_text(kMinIrrationalObjectives, kMaxIrrationalObjectives) +
         "\n  samples    number of weight vectors N (N <= 0 writes a header-only file)\n";
}

void run_irrational(const IrrationalProgram& program, int m, int N, Run& run) {
  check_irrational_arguments(m);
  const int count = N > 0 ? N : 0;
  Publication publication =
      publish_weight_file(run, staged_file_name("gwud", m, N), m, count, true, kStandardMessages);
  // The header comes first: the count is known before the rows, one per sample.
  if (writes_header(run, true)) write_header(publication.rows(), count, m);
  run.trace.text("trans = ");
  run.trace.fixed(kIrrationalConstants[6]);
  run.trace.put('\n');
  CoordinateTrace coordinates(run.trace);
  Observer& observer = program.full_trace ? static_cast<Observer&>(coordinates) : no_observer();
  // A point is cheap to form again, so none is held: the traced build first traces every
  // point, then forms each again (the same doubles) as it maps it.
  if (observer.observing()) irrational_points(m, N, observer);
  RowPrinter printer(publication.rows(), RowFormat::kScientific, run.options.exact_sums);
  RowsWritten written(printer, m, run.options.vertices, [&](RowSink& places) {
    irrational_rows(program.build, m, N, 0, count, places);
  });
  CountingSink rows(written.sink());
  irrational_rows(program.build, m, N, 0, count, rows, observer);
  check_row_count(rows.rows(), count);
  publication.open_final();
  publication.finish();
}

}  // namespace simplex_weights::cli
