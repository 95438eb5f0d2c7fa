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
    .repeats_rows = true,
    .argument_help =
        "  M  number of objectives, 1 or more\n"
        "  K  number of layers (at least 1 when M = 2); the design may hold at most " +
        std::to_string(simplex_weights::kMaxDesignRows) +
        " rows\n"
        "The design has M + 1 + 3 M K (K + 1) / 2 rows (K + 1 for M = 2, M + 1 for K <= 0), many\n"
        "of them repeated; with --unique each distinct one once: 1 + M K + M K (K + 1) / 2 rows\n"
        "for M >= 3 and K >= 1 (all K + 1 for M = 2, one for M = 1).\n",
};

}  // namespace

int main(int argc, char** argv) {
  return simplex_weights::run_program(kProgram, argc, argv, simplex_weights::run_msld_weights);
}
