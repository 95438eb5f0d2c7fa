// udh_weights numObjectives numWeightVectors: Hammersley-type weight vectors.
#include "exit_status.h"
#include "hammersley.h"
#include "program.h"
#include "runs.h"

namespace {

const simplex_weights::ProgramInfo kProgram{
    .name = "udh_weights",
    .syntax = "Syntax error! %s numObjectives numWeightVectors\n",
    .usage = "Usage: %s [options] numObjectives numWeightVectors\n",
    .exactly_two_arguments = true,
    .failure_status = simplex_weights::kExitMinusOne,
    .argument_help = simplex_weights::hammersley_argument_help(),
};

}  // namespace

int main(int argc, char** argv) {
  return simplex_weights::run_program(
      kProgram, argc, argv, [](int k, int N, simplex_weights::Run& run) {
        simplex_weights::run_hammersley(simplex_weights::kUdhWeights, k, N, run);
      });
}
