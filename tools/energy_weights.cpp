// energy_weights m N: weight vectors of least Riesz s-energy, the simplex's vertices held.
#include "common/exit_status.h"
#include "common/program.h"
#include "common/runs.h"

namespace simplex_weights::cli {
namespace {

constexpr const char* kArgumentHelp =
    "  m  number of objectives, 2 .. 1000\n"
    "  N  number of weight vectors, m (at least 3) .. 20000\n"
    "Exactly N distinct rows on the simplex, the m vertices among them, that minimise the sum\n"
    "of d^-s over all pairs (s = 2m unless --exponent says otherwise). The start is the\n"
    "simplex lattice of the largest level with at most N points, completed by the points of\n"
    "a finer lattice farthest from the rows so far (ties ordered by the seed): where N is a\n"
    "lattice's size the lattice is the set, in between it already holds the boundary's\n"
    "rows, so that an inertial descent needs only local moves. Pairs beyond the distance at\n"
    "which a pair's term is 1e-4 of the closest pair's are left out of the steps; the\n"
    "energy printed is taken over all pairs.\n"
    "A run over about two seconds shows its progress on standard error unless -q.\n";

const ProgramInfo kProgram{
    .name = "energy_weights",
    .syntax = "Syntax: %s [options] m(number of objectives) N(number of weight vectors)\n",
    .exactly_two_arguments = true,
    .failure_status = kExitFailure,
    .seeds_random = true,
    .descends_energy = true,
    .argument_help = []() -> std::string { return kArgumentHelp; },
};

}  // namespace
}  // namespace simplex_weights::cli

int main(int argc, char** argv) {
  return simplex_weights::cli::run_program(simplex_weights::cli::kProgram, argc, argv,
                                           simplex_weights::cli::run_energy_weights);
}
