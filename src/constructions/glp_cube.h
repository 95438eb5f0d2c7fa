// The good-lattice-point cube set behind glp_points.
#pragma once

#include "math/good_lattice.h"
#include "simplex_weights/weight_set.h"
#include "text/writer.h"

namespace simplex_weights::detail::cube_lattice {

/// Smallest dimension of the cube.
inline constexpr int kMinDimension = 1;

/// The good-lattice-point set of N points in dimension s with modulus N, no prime chosen and no
/// draw discarded; traces the indices ("q = %d\t") and coordinates ("x = %f\t") and hands
/// every point to `rows` as soon as it is computed. Returns the chosen vector.
VectorChoice glp(RowSink& rows, Writer& trace, int s, int N, const VectorDraw& how);

}  // namespace simplex_weights::detail::cube_lattice
