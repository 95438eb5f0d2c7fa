#include "constructions/glp_cube.h"

#include <cstddef>

#include "support/cancel.h"

namespace simplex_weights::detail::cube_lattice {

VectorChoice choose_vector(int s, int N, const VectorDraw& how, Observer& observer) {
  return choose_generating_vector(
      s, N,
      [](int components, int modulus, ComponentTest test, RandomSource& random, Observer& draws) {
        return generating_vector(components, modulus, random, draws, false, test);
      },
      how, observer);
}

void cube_rows(const std::vector<int>& h, int N, RowSink& rows, Observer& observer) {
  const std::size_t s = h.size();
  CancelCheck check;
  // Stepping through the indices is cheaper than holding them, so the points' pass steps
  // through them again.
  if (observer.observing()) {
    std::vector<int> q(s);
    LatticeIndices indices(h, N);
    for (int k = 1; k <= N; ++k) {
      check();
      indices.advance();
      for (std::size_t j = 0; j < s; ++j) q[j] = indices[j];
      observer.lattice_indices(q.data(), static_cast<int>(s));
    }
  }
  LatticeIndices indices(h, N);
  std::vector<double> point(s);
  for (int k = 1; k <= N; ++k) {
    check();
    indices.advance();
    for (std::size_t j = 0; j < s; ++j) point[j] = lattice_coordinate(indices[j], N);
    observer.cube_point(point.data(), static_cast<int>(s));
    rows.row(point.data(), static_cast<int>(s));
  }
}

}  // namespace simplex_weights::detail::cube_lattice
