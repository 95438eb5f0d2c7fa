// glp_points dimension samples: the good-lattice-point set in the unit cube.
#include "exit_status.h"
#include "glp_cube.h"
#include "program.h"

namespace {

constexpr weights::ProgramInfo kProgram = {
    "glp_points",
    "Syntax: %s dimension samples\n",
    false,
    weights::kExitFailure,
    true,
    "  dimension  dimension m of the cube, 1 .. 1000\n"
    "  samples    number of points N, also the lattice modulus, 3 .. 20000\n",
};

}  // namespace

int main(int argc, char** argv) {
  return weights::run_program(kProgram, argc, argv, weights::run_glp_points);
}
