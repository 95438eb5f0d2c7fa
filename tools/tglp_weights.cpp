// tglp_weights dimension samples: transformed good-lattice-point weight vectors.
#include <string>

#include "arguments.h"
#include "exit_status.h"
#include "good_lattice.h"
#include "prime_table.h"
#include "program.h"
#include "runs.h"

namespace {

const simplex_weights::ProgramInfo kProgram{
    .name = "tglp_weights",
    .syntax = "Syntax: %s dimension samples\n",
    .failure_status = simplex_weights::kExitFailure,
    .seeds_random = true,
    .chooses_modulus = true,
    .argument_help =
        "  dimension  number of objectives m, " +
        simplex_weights::range_text(simplex_weights::kMinTglpDimension,
                                    simplex_weights::kMaxLatticeDimension) +
        "\n  samples    requested number of points N, " +
        simplex_weights::range_text(simplex_weights::kMinSamples, simplex_weights::kMaxSamples) +
        "; the run uses the first prime >= N\n"
        "             from the prime table (exactly N with --exact)\n",
    .notes = std::string("The prime table is ") + simplex_weights::kPrimeTablePlaces + ".\n",
};

}  // namespace

int main(int argc, char** argv) {
  return simplex_weights::run_program(kProgram, argc, argv, simplex_weights::run_tglp_weights);
}
