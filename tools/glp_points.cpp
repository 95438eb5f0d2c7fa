// glp_points dimension samples: the good-lattice-point set in the unit cube.
#include "common/exit_status.h"
#include "common/program.h"
#include "common/runs.h"
#include "constructions/glp_cube.h"
#include "math/good_lattice.h"
#include "support/arguments.h"

namespace simplex_weights::cli {
namespace {

using namespace simplex_weights::detail;

const ProgramInfo kProgram{
    .name = "glp_points",
    .syntax = "Syntax: %s dimension samples\n",
    .failure_status = kExitFailure,
    .seeds_random = true,
    .weight_vectors = false,
    .argument_help = []() -> std::string {
      return "  dimension  dimension m of the cube, " +
             range_text(cube_lattice::kMinDimension, kMaxLatticeDimension) +
             "\n  samples    number of points N, also the lattice modulus, " +
             range_text(kMinSamples, kMaxSamples) + "\n";
    },
};

}  // namespace
}  // namespace simplex_weights::cli

int main(int argc, char** argv) {
  return simplex_weights::cli::run_program(simplex_weights::cli::kProgram, argc, argv,
                                           simplex_weights::cli::run_glp_points);
}
