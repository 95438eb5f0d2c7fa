// udh_weights numObjectives numWeightVectors: Hammersley-type weight vectors.
#include "common/exit_status.h"
#include "common/program.h"
#include "common/runs.h"
#include "constructions/hammersley.h"

namespace simplex_weights::cli {
namespace {

using namespace simplex_weights::detail;

const ProgramInfo kProgram{
    .name = "udh_weights",
    .syntax = "Syntax error! %s numObjectives numWeightVectors\n",
    .usage = "Usage: %s [options] numObjectives numWeightVectors\n",
    .exactly_two_arguments = true,
    .failure_status = kExitMinusOne,
    .argument_help = hammersley_argument_help,
};

}  // namespace
}  // namespace simplex_weights::cli

int main(int argc, char** argv) {
  return simplex_weights::cli::run_program(
      simplex_weights::cli::kProgram, argc, argv, [](int k, int N, simplex_weights::cli::Run& run) {
        simplex_weights::cli::run_hammersley(simplex_weights::cli::kUdhProgram, k, N, run);
      });
}
