// gwud_weights_prod dimension samples: irrational-constant lattice weight vectors.
#include "exit_status.h"
#include "lattice_weights.h"
#include "program.h"

namespace {

const weights::ProgramInfo kProgram{
    .name = "gwud_weights_prod",
    .syntax = "Syntax: %s dimension samples\n",
    .failure_status = weights::kExitFailure,
    .argument_help = weights::lattice_weights_argument_help(),
};

}  // namespace

int main(int argc, char** argv) {
  return weights::run_program(kProgram, argc, argv, [](int m, int N, weights::Writer& trace) {
    weights::run_lattice_weights(weights::kGwudWeightsProd, m, N, trace);
  });
}
