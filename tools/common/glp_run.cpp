#include <unistd.h>

#include "common/runs.h"
#include "constructions/glp_cube.h"
#include "files/publication.h"

namespace simplex_weights::cli {

using namespace simplex_weights::detail;
namespace {

void print_self_test(Writer& trace) {
  for (int b = 2; b <= 6; ++b) {
    trace.text("test primitive root 7, ");
    trace.integer(b);
    trace.text(" = ");
    trace.integer(primitive_root(7, b));
    trace.text(" \n");
  }
}

}  // namespace

void run_glp_points(int m, int N, Run& run) {
  check_lattice_arguments(m, N, cube_lattice::kMinDimension);
  // Units keep every column free of repeats, whatever N.
  if (m >= 2 && !run.options.units && !is_prime(N)) warn_composite_modulus(run.program, "N", N, "");
  Publication publication =
      publish_weight_file(run, staged_file_name("glp", m, N), m, N, true, kStandardMessages);
  if (writes_header(run, true)) write_header(publication.rows(), N, m);  // one row per point
  RowPrinter rows(publication.rows(), RowFormat::kScientific);
  CubeTrace trace(run.trace);
  const VectorChoice choice = cube_lattice::choose_vector(m, N, vector_draw(run, false), trace);
  cube_lattice::cube_rows(choice.h, N, rows, trace);
  report_search(run, choice);
  publication.open_final();
  publication.finish();
  print_self_test(run.trace);
}

}  // namespace simplex_weights::cli
