// tglp_weights: transformed good-lattice-point weight vectors.
#pragma once

#include "writer.h"

namespace weights {

/// One run for m objectives and the requested number of samples: checks the inputs, chooses
/// the prime n from the prime table, builds the lattice, maps it onto the simplex and publishes
/// ./output/weight_<m>D_<n>.tglp. Returns the exit status or throws Failure.
int run_tglp_weights(int m, int samples, Writer& trace);

}  // namespace weights
