// The good-lattice-point cube set behind glp_points: the lattice itself, N points with modulus
// N, no prime chosen and no draw discarded.
#pragma once

#include <vector>

#include "math/good_lattice.h"
#include "simplex_weights/weight_set.h"
#include "support/observer.h"

namespace simplex_weights::detail::cube_lattice {

/// Smallest dimension of the cube.
inline constexpr int kMinDimension = 1;

/// The generating vector of s components modulo N; only the components taken are observed.
VectorChoice choose_vector(int s, int N, const VectorDraw& how, Observer& observer);

/// The N points of the lattice of h, each handed to `rows` as it is formed. An observer sees
/// every point's indices first, then every point.
void cube_rows(const std::vector<int>& h, int N, RowSink& rows, Observer& observer);

}  // namespace simplex_weights::detail::cube_lattice
