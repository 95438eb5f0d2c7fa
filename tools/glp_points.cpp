// glp_points dimension samples: the good-lattice-point set in the unit cube.
#include "arguments.h"
#include "exit_status.h"
#include "glp_cube.h"
#include "good_lattice.h"
#include "program.h"
#include "runs.h"

namespace {

const simplex_weights::ProgramInfo kProgram{
    .name = "glp_points",
    .syntax = "Syntax: %s dimension samples\n",
    .failure_status = simplex_weights::kExitFailure,
    .seeds_random = true,
    .weight_vectors = false,
    .argument_help =
        "  dimension  dimension m of the cube, " +
        simplex_weights::range_text(simplex_weights::cube_lattice::kMinDimension,
                                    simplex_weights::kMaxLatticeDimension) +
        "\n  samples    number of points N, also the lattice modulus, " +
        simplex_weights::range_text(simplex_weights::kMinSamples, simplex_weights::kMaxSamples) +
        "\n",
};

}  // namespace

int main(int argc, char** argv) {
  return simplex_weights::run_program(kProgram, argc, argv, simplex_weights::run_glp_points);
}
