// msld_weights M K: multi-layer simplex-lattice weight vectors.
#include <string>

#include "common/exit_status.h"
#include "common/program.h"
#include "common/runs.h"
#include "constructions/layered_design.h"

namespace simplex_weights::cli {
namespace {

using namespace simplex_weights::detail;

constexpr const char* kDesignRows =
    "The design has M + 1 + 3 M K (K + 1) / 2 rows (K + 1 for M = 2, M + 1 for K <= 0), many\n"
    "of them repeated; with --unique each distinct one once: 1 + M K + M K (K + 1) / 2 rows\n"
    "for M >= 3 and K >= 1 (all K + 1 for M = 2, one for M = 1).\n";

std::string argument_help() {
  return "  M  number of objectives, 1 or more\n"
         "  K  number of layers (at least 1 when M = 2); the design may hold at most " +
         std::to_string(kMaxDesignRows) + " rows\n" + kDesignRows;
}

const ProgramInfo kProgram{
    .name = "msld_weights",
    .syntax = "Syntax: %s M(number of objectives) K(number of layers)\n",
    .failure_status = kExitFailure,
    .repeats_rows = true,
    .argument_help = argument_help,
};

}  // namespace
}  // namespace simplex_weights::cli

int main(int argc, char** argv) {
  return simplex_weights::cli::run_program(simplex_weights::cli::kProgram, argc, argv,
                                           simplex_weights::cli::run_msld_weights);
}
