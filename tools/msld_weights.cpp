// msld_weights M K: multi-layer simplex-lattice weight vectors.
#include <string>

#include "exit_status.h"
#include "program.h"
#include "runs.h"
#include "simplex_lattice.h"

namespace {

const simplex_weights::ProgramInfo kProgram{
    .name = "msld_weights",
    .syntax = "Syntax: %s M(number of objectives) K(number of layers)\n",
    .failure_status = simplex_weights::kExitFailure,
    .argument_help =
        "  M  number of objectives, 1 or more\n"
        "  K  number of layers (at least 1 when M = 2); the design may hold at most " +
        std::to_string(simplex_weights::kMaxDesignRows) + " rows\n",
};

}  // namespace

int main(int argc, char** argv) {
  return simplex_weights::run_program(kProgram, argc, argv, simplex_weights::run_msld_weights);
}
