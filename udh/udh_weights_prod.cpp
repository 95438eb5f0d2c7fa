// udh_weights_prod numObjectives numWeightVectors: Hammersley-type weight vectors.
#include "exit_status.h"
#include "hammersley.h"
#include "program.h"

namespace {

const weights::ProgramInfo kProgram{
    .name = "udh_weights_prod",
    .syntax = "Syntax error! %s numObjectives numWeightVectors\n",
    .usage = "Usage: %s [options] numObjectives numWeightVectors\n",
    .exactly_two_arguments = true,
    .failure_status = weights::kExitMinusOne,
    .argument_help = weights::hammersley_argument_help(),
};

}  // namespace

int main(int argc, char** argv) {
  return weights::run_program(kProgram, argc, argv, [](int k, int N, weights::Writer& trace) {
    weights::run_hammersley(weights::kUdhWeightsProd, k, N, trace);
  });
}
