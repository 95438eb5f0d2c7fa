// The transformed good-lattice-point weights: the lattice carried onto the simplex.
#pragma once

#include "writer.h"

namespace weights {

/// Smallest number of objectives: the cube needs one dimension.
inline constexpr int kMinTglpDimension = 2;

/// One run for m objectives and the requested number of samples: checks the inputs, chooses
/// the prime n from the prime table, builds the lattice, maps it onto the simplex and publishes
/// ./output/weight_<m>D_<n>.tglp. Throws Failure.
void run_tglp_weights(int m, int samples, Writer& trace);

}  // namespace weights
