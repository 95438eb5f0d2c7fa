// tglp_weights dimension samples: transformed good-lattice-point weight vectors.
#include "exit_status.h"
#include "program.h"
#include "tglp_run.h"

namespace {

constexpr weights::ProgramInfo kProgram = {
    "tglp_weights",
    "Syntax: %s dimension samples\n",
    false,
    weights::kExitFailure,
    true,
    "  dimension  number of objectives m, 2 .. 1000\n"
    "  samples    requested number of points N, 3 .. 20000; the run uses the first prime >= N\n"
    "             from primes.dat in the working directory\n",
};

}  // namespace

int main(int argc, char** argv) {
  return weights::run_program(kProgram, argc, argv, weights::run_tglp_weights);
}
