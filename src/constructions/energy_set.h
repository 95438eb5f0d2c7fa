// Weight sets of least Riesz s-energy: rows on the simplex pushed apart by a projected descent
// of the sum of d^-s over their pairs, the simplex's vertices held in place. A descent only
// finds the minimum nearest its start, so the start decides the result: the lattice of exactly
// N points carried onto the simplex (tglp's rows with n = N), already spread evenly, and with
// the vertices in their places, so that only local moves remain.
#pragma once

#include <cstddef>

#include "simplex_weights/random.h"
#include "simplex_weights/weight_set.h"

namespace simplex_weights::detail {

/// The exponent s when none is given: 2m, for which the energy is ruled by near pairs.
inline double default_exponent(std::size_t m) { return 2.0 * static_cast<double>(m); }

/// Starts descended by energy_set for N rows, the one of least energy kept: four where a
/// descent is cheap, one for large sets, whose lattices differ less.
inline constexpr int kEnergyStarts = 4;
inline constexpr int kManyRows = 1000;
inline int energy_starts(int N) { return N <= kManyRows ? kEnergyStarts : 1; }

/// Accepted steps of a descent at most.
inline constexpr int kMaxDescentSteps = 10000;
/// A descent ends when kStallSteps accepted steps lower the log of the mean energy by less
/// than kStall.
inline constexpr double kStall = 1e-5;
inline constexpr int kStallSteps = 50;

/// What a descent tells as it goes.
class DescentProgress {
 public:
  virtual ~DescentProgress() = default;
  /// After each accepted step of start `start` (0 ..); `energy` as riesz_energy gives it,
  /// over the pairs within the cut-off.
  virtual void step(int start, int starts, int step, double energy) = 0;
};

struct DescentOutcome {
  double start_energy;  // riesz_energy of the rows as given
  double energy;        // riesz_energy of the rows as left
  int steps;            // accepted steps
};

/// log of the mean of d^-s over all pairs of rows, exactly (each term taken relative to the
/// closest pair's, so that no power overflows); infinite when two rows coincide.
double riesz_energy(const double* values, std::size_t rows, std::size_t m, double s);

/// Moves every row that is not a vertex of the simplex down the gradient of the s-energy,
/// projected back onto the simplex after each step, until a step no longer lowers the energy
/// by a useful amount. Pairs farther apart than the cut-off are left out of the descent: each
/// contributes less than 1e-4 of the start's closest pair's term, and the outcome's energies
/// are taken over all pairs. The rows are never left with more energy than they came with.
/// Needs distinct rows.
DescentOutcome descend(double* values, std::size_t rows, std::size_t m, double s,
                       DescentProgress* progress = nullptr, int start = 0, int starts = 1);

struct EnergySet {
  WeightSet set;
  DescentOutcome outcome;  // of the start kept
};

/// m objectives (2 .. 1000), N rows (m .. 20000): energy_starts(N) lattices of exactly N points
/// (their generating vectors drawn from `random` as tglp draws them, among the units), each
/// with the vertices placed and descended; the one of least energy.
EnergySet energy_set(int m, int N, RandomSource& random, double s,
                     DescentProgress* progress = nullptr);

/// Throws InvalidArgument for arguments energy_set does not take.
void check_energy_arguments(int m, int N, double s);

}  // namespace simplex_weights::detail
