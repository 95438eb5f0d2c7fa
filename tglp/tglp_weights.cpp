// tglp_weights dimension samples: transformed good-lattice-point weight vectors.
#include <string>

#include "arguments.h"
#include "exit_status.h"
#include "good_lattice.h"
#include "program.h"
#include "tglp_run.h"

namespace {

const weights::ProgramInfo kProgram{
    .name = "tglp_weights",
    .syntax = "Syntax: %s dimension samples\n",
    .failure_status = weights::kExitFailure,
    .seeds_random = true,
    .argument_help =
        "  dimension  number of objectives m, " +
        weights::range_text(weights::kMinTglpDimension, weights::kMaxLatticeDimension) +
        "\n  samples    requested number of points N, " +
        weights::range_text(weights::kMinSamples, weights::kMaxSamples) +
        "; the run uses the first prime >= N\n"
        "             from the prime table\n",
    .notes = std::string("The prime table is ") + weights::kPrimeTablePlaces + ".\n",
};

}  // namespace

int main(int argc, char** argv) {
  return weights::run_program(kProgram, argc, argv, weights::run_tglp_weights);
}
