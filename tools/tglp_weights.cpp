// tglp_weights dimension samples: transformed good-lattice-point weight vectors.
#include <string>

#include "common/exit_status.h"
#include "common/prime_table.h"
#include "common/program.h"
#include "common/runs.h"
#include "math/good_lattice.h"
#include "support/arguments.h"

namespace simplex_weights::cli {
namespace {

using namespace simplex_weights::detail;

const ProgramInfo kProgram{
    .name = "tglp_weights",
    .syntax = "Syntax: %s dimension samples\n",
    .failure_status = kExitFailure,
    .seeds_random = true,
    .chooses_modulus = true,
    .argument_help = []() -> std::string {
      return "  dimension  number of objectives m, " +
             range_text(kMinTglpDimension, kMaxLatticeDimension) +
             "\n  samples    requested number of points N, " +
             range_text(kMinSamples, kMaxSamples) +
             "; the run uses the first prime >= N\n"
             "             from the prime table (exactly N with --exact)\n";
    },
    .notes = []() -> std::string {
      return std::string("The prime table is ") + kPrimeTablePlaces + ".\n";
    },
};

}  // namespace
}  // namespace simplex_weights::cli

int main(int argc, char** argv) {
  return simplex_weights::cli::run_program(simplex_weights::cli::kProgram, argc, argv,
                                           simplex_weights::cli::run_tglp_weights);
}
