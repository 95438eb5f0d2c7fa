#include "constructions/glp_cube.h"

#include <cstddef>
#include <string>
#include <vector>

#include "math/good_lattice.h"

namespace simplex_weights::detail::cube_lattice {

VectorChoice glp(RowSink& rows, Writer& trace, int s, int N, const VectorDraw& how) {
  VectorChoice choice = choose_generating_vector(
      s, N,
      [](int components, int modulus, ComponentTest test, RandomSource& random, Writer& draws) {
        return generating_vector(components, modulus, random, draws, nullptr, test);
      },
      how, trace);
  const std::vector<int>& h = choice.h;
  const std::size_t width = static_cast<std::size_t>(s);
  // Every index line comes before the first coordinate line. Stepping through the indices is
  // cheaper than holding them, so the second pass steps through them again.
  const bool tracing = !trace.discards();  // trace-only work is skipped when nobody reads it
  LatticeIndices indices(h, N);
  for (int k = 1; k <= N && tracing; ++k) {
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
      if (!tracing) continue;
      trace.text("x = ");
      trace.fixed(point[j]);
      trace.put('\t');
    }
    rows.row(point.data(), s);
    if (tracing) trace.put('\n');
  }
  return choice;
}

}  // namespace simplex_weights::detail::cube_lattice
