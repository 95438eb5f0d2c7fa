// gwud_weights_prod dimension samples: irrational-constant lattice weight vectors.
#include "exit_status.h"
#include "lattice_weights.h"
#include "program.h"
#include "runs.h"

namespace {

const simplex_weights::ProgramInfo kProgram{
    .name = "gwud_weights_prod",
    .syntax = "Syntax: %s dimension samples\n",
    .failure_status = simplex_weights::kExitFailure,
    .argument_help = simplex_weights::lattice_weights_argument_help(),
};

}  // namespace

int main(int argc, char** argv) {
  return simplex_weights::run_program(
      kProgram, argc, argv, [](int m, int N, simplex_weights::Run& run) {
        simplex_weights::run_lattice_weights(simplex_weights::kGwudWeightsProd, m, N, run);
      });
}
