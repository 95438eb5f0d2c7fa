// The good-lattice-point cube set behind glp_points.
#pragma once

#include "writer.h"

namespace weights::glp_cube {

/// Smallest dimension of the cube.
inline constexpr int kMinDimension = 1;

/// The good-lattice-point set of N points in dimension s with modulus N, no prime chosen and no
/// draw discarded; traces the indices ("q = %d\t") and coordinates ("x = %f\t") and writes
/// every point as a "%e " row to stream as soon as it is computed.
void glp(Writer& stream, Writer& trace, int s, int N);

/// One run: checks m and N, publishes ./output/weight_<m>D_<N>.glp headed by "# N m", then
/// prints the self-test lines of the primitive-root test.
void run_glp_points(int m, int N, Writer& trace);

}  // namespace weights::glp_cube
