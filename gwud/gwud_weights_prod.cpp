// gwud_weights_prod dimension samples: irrational-constant lattice weight vectors.
#include "exit_status.h"
#include "lattice_weights.h"
#include "program.h"

namespace {

constexpr weights::ProgramInfo kProgram = {
    "gwud_weights_prod",
    "Syntax: %s dimension samples\n",
    false,
    weights::kExitFailure,
    false,
    "  dimension  number of objectives m, 1 .. 10\n"
    "  samples    number of weight vectors N (N <= 0 writes a header-only file)\n",
};

int run(int m, int N, weights::Writer& trace) {
  return weights::run_lattice_weights(weights::kGwudWeightsProd, m, N, trace);
}

}  // namespace

int main(int argc, char** argv) { return weights::run_program(kProgram, argc, argv, run); }
