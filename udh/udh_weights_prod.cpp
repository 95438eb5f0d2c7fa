// udh_weights_prod numObjectives numWeightVectors: Hammersley-type weight vectors.
#include "exit_status.h"
#include "hammersley.h"
#include "program.h"

namespace {

constexpr weights::ProgramInfo kProgram = {
    "udh_weights_prod",
    "Syntax error! %s numObjectives numWeightVectors\n",
    true,
    weights::kExitHammersleyFailure,
    false,
    "  numObjectives     number of objectives k, 1 .. 22\n"
    "  numWeightVectors  number of weight vectors N (k * N at most 2147483647; N <= 0 writes no "
    "rows)\n",
};

int run(int k, int N, weights::Writer& trace) {
  return weights::run_hammersley(weights::kUdhWeightsProd, k, N, trace);
}

}  // namespace

int main(int argc, char** argv) { return weights::run_program(kProgram, argc, argv, run); }
