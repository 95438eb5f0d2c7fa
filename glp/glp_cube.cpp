#include "glp_cube.h"

#include <unistd.h>

#include <cstddef>
#include <string>
#include <vector>

#include "good_lattice.h"
#include "publication.h"
#include "rows.h"

namespace weights::glp_cube {
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

// Every candidate sharing a factor with a composite N passes the primitive-root test, and then
// its column runs through the multiples of that factor only.
void warn_composite_modulus(int N) {
  Writer err(STDERR_FILENO, Writer::Kind::kTrace);
  err.text("glp_points: note: N = ");
  err.integer(N);
  err.text(" is not prime, so every column but the first repeats values\n");
}

}  // namespace

void glp(Writer& stream, Writer& trace, int s, int N) {
  const std::vector<int> h = choose_generating_vector(
      s, N,
      [](int components, int modulus, Writer& draws) {
        return generating_vector(components, modulus, draws, nullptr);
      },
      trace);
  const std::size_t width = static_cast<std::size_t>(s);
  // Every index line comes before the first coordinate line. Stepping through the indices is
  // cheaper than holding them, so the second pass steps through them again.
  LatticeIndices indices(h, N);
  for (int k = 1; k <= N; ++k) {
    indices.advance();
    for (std::size_t j = 0; j < width; ++j) {
      trace.text("q = ");
      trace.integer(indices[j]);
      trace.put('\t');
    }
    trace.put('\n');
  }
  LatticeIndices again(h, N);
  std::vector<double> point(width);
  for (int k = 1; k <= N; ++k) {
    again.advance();
    for (std::size_t j = 0; j < width; ++j) {
      point[j] = lattice_coordinate(again[j], N);
      trace.text("x = ");
      trace.fixed(point[j]);
      trace.put('\t');
    }
    print(stream, point.data(), s, RowFormat::kScientific);
    trace.put('\n');
  }
}

void run_glp_points(int m, int N, Writer& trace) {
  check_lattice_arguments(m, N, kMinDimension);
  if (m >= 2 && !is_prime(N)) warn_composite_modulus(N);
  Publication publication("glp", m, N);
  write_header(publication.rows(), N, m);  // one row per lattice point
  glp(publication.rows(), trace, m, N);
  publication.open_final();
  publication.finish();
  print_self_test(trace);
}

}  // namespace weights::glp_cube
