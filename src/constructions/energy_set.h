// Weight sets of least Riesz s-energy: rows on the simplex pushed apart by a projected descent
// of the sum of d^-s over their pairs, the simplex's vertices held in place. A descent only
// finds the minimum nearest its start, so the start decides the result: the simplex lattice of
// the largest level with at most N points, completed by the points of a finer lattice farthest
// from the rows so far. Where N is a lattice's size, that lattice is where the descent ends; in
// between, the lattice already holds the boundary's rows (where a set of least energy has most
// of them, from m = 5 on nearly all), so that only local moves remain.
#pragma once

#include <cstddef>

#include "simplex_weights/random.h"
#include "simplex_weights/weight_set.h"

namespace simplex_weights::detail {

/// The exponent s when none is given: 2m, for which the energy is ruled by near pairs.
inline double default_exponent(std::size_t m) { return 2.0 * static_cast<double>(m); }

/// Steps of a descent at most.
inline constexpr int kMaxDescentSteps = 10000;
/// A descent ends when kStallSteps steps lower the log of the mean energy by less than kStall.
inline constexpr double kStall = 1e-3;
inline constexpr int kStallSteps = 30;

/// What a descent tells as it goes.
class DescentProgress {
 public:
  virtual ~DescentProgress() = default;
  /// After each step; `energy`, the least so far, as riesz_energy gives it, over the pairs
  /// within the cut-off.
  virtual void step(int step, double energy) = 0;
};

struct DescentOutcome {
  double start_energy;  // riesz_energy of the rows as given
  double energy;        // riesz_energy of the rows as left
  int steps;            // steps taken
};

/// log of the mean of d^-s over all pairs of rows, exactly (each term taken relative to the
/// closest pair's, so that no power overflows); infinite when two rows coincide.
double riesz_energy(const double* values, std::size_t rows, std::size_t m, double s);

/// Moves every row that is not a vertex of the simplex down the s-energy, by an inertial
/// descent (each row's force its gradient within the simplex's plane over its stiffness),
/// projected back onto the simplex after each step, until the steps no longer lower the energy
/// by a useful amount; the rows are left where the energy was least. Pairs farther apart than the
/// cut-off are left out of the descent: each contributes less than 1e-4 of the start's closest
/// pair's term, and the outcome's energies are taken over all pairs. The rows are never left with
/// more energy than they came with. Needs distinct rows.
DescentOutcome descend(double* values, std::size_t rows, std::size_t m, double s,
                       DescentProgress* progress = nullptr);

struct EnergySet {
  WeightSet set;
  DescentOutcome outcome;
};

/// The start of a descent for m objectives and N rows: the simplex lattice of the largest level
/// H with at most N points (the vertices among them), then the points of the lattice of level
/// 3H (or the finest below it with at most 20 N points) farthest from the rows so far, one at a
/// time, ties taken in an order drawn from `random`. Where even level H + 1 would hold more,
/// the candidates are tglp's rows for n = N with the vertices placed.
WeightSet energy_start(int m, int N, RandomSource& random);

/// m objectives (2 .. 1000), N rows (m .. 20000): energy_start descended.
EnergySet energy_set(int m, int N, RandomSource& random, double s,
                     DescentProgress* progress = nullptr);

/// Throws InvalidArgument for arguments energy_set does not take.
void check_energy_arguments(int m, int N, double s);

}  // namespace simplex_weights::detail
