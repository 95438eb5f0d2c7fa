// msld_weights M K: multi-layer simplex-lattice weight vectors.
#include "exit_status.h"
#include "program.h"
#include "simplex_lattice.h"

namespace {

constexpr weights::ProgramInfo kProgram = {
    "msld_weights",
    "Syntax: %s M(number of objectives) K(number of layers)\n",
    false,
    weights::kExitFailure,
    false,
    "  M  number of objectives, 1 or more\n"
    "  K  number of layers (at least 1 when M = 2); the design may hold at most 2147483647 rows\n",
};

}  // namespace

int main(int argc, char** argv) {
  return weights::run_program(kProgram, argc, argv, weights::run_msld_weights);
}
