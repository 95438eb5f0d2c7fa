// gwud_weights dimension samples: irrational-constant lattice weight vectors.
#include "common/exit_status.h"
#include "common/program.h"
#include "common/runs.h"
#include "constructions/irrational_set.h"

namespace simplex_weights::cli {
namespace {

using namespace simplex_weights::detail;

const ProgramInfo kProgram{
    .name = "gwud_weights",
    .syntax = "Syntax: %s dimension samples\n",
    .failure_status = kExitFailure,
    .argument_help = irrational_argument_help,
};

}  // namespace
}  // namespace simplex_weights::cli

int main(int argc, char** argv) {
  return simplex_weights::cli::run_program(
      simplex_weights::cli::kProgram, argc, argv, [](int m, int N, simplex_weights::cli::Run& run) {
        simplex_weights::cli::run_irrational(simplex_weights::cli::kGwudProgram, m, N, run);
      });
}
