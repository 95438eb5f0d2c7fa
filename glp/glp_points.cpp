// glp_points dimension samples: the good-lattice-point set in the unit cube.
#include "arguments.h"
#include "exit_status.h"
#include "glp_cube.h"
#include "good_lattice.h"
#include "program.h"

namespace {

const weights::ProgramInfo kProgram{
    .name = "glp_points",
    .syntax = "Syntax: %s dimension samples\n",
    .failure_status = weights::kExitFailure,
    .seeds_random = true,
    .argument_help =
        "  dimension  dimension m of the cube, " +
        weights::range_text(weights::glp_cube::kMinDimension, weights::kMaxLatticeDimension) +
        "\n  samples    number of points N, also the lattice modulus, " +
        weights::range_text(weights::kMinSamples, weights::kMaxSamples) + "\n",
};

}  // namespace

int main(int argc, char** argv) {
  return weights::run_program(kProgram, argc, argv, weights::glp_cube::run_glp_points);
}
