// A build without the k-d tree library: the figures are refused, the checks are there.
#include "simplex_weights/errors.h"
#include "simplex_weights/figures.h"

namespace simplex_weights {

Figures figures(const double* /*values*/, std::size_t /*rows*/, std::size_t /*columns*/,
                PointKind /*kind*/) {
  throw Error("Error... this build of the library has no figures (built without nanoflann)\n");
}

Figures figures(const WeightSet& set, PointKind kind) {
  return figures(set.values.data(), set.rows, set.columns, kind);
}

}  // namespace simplex_weights
