// The constructions of the suite, in memory: each takes the two integers its program takes and
// returns the rows that program writes, exactly the doubles it formats. Failures are thrown as
// InvalidArgument (an argument out of range, with the program's message) or Error.
#pragma once

#include "simplex_weights/export.h"
#include "simplex_weights/weight_set.h"

namespace simplex_weights {

/// The constructions, one per program (the two builds of a family differ in completion).
enum class Construction {
  kTglp,         ///< tglp_weights: good lattice points carried onto the simplex
  kUdh,          ///< udh_weights: Hammersley-type points, corrected completion
  kUdhProduct,   ///< udh_weights_prod: the same with product completion
  kGwud,         ///< gwud_weights: irrational-constant lattice, corrected completion
  kGwudProduct,  ///< gwud_weights_prod: the same with product completion
  kMsld,         ///< msld_weights: multi-layer simplex-lattice design
  kGlpCube,      ///< glp_points: the good-lattice-point set in the unit cube
};

/// Largest candidate count of the lattice search.
inline constexpr int kMaxSearchCandidates = 100000;

struct Options {
  /// Seed of the generator of tglp and glp_cube (the programs' --seed); the others draw nothing.
  unsigned seed = 1;
  /// tglp and glp_cube: candidate generating vectors drawn (1 .. kMaxSearchCandidates); with
  /// more than one, the one whose lattice has the least centred L2 discrepancy is kept.
  int search = 1;
  /// msld: each distinct row once, in the order of first appearance.
  bool unique = false;
  /// tglp and glp_cube: the generating vector's further components drawn among the units
  /// modulo n (gcd(h, n) = 1) instead of the primitive roots, which serves any modulus.
  bool units = false;
  /// tglp: exactly `samples` points (n = N, no prime chosen); implies `units`.
  bool exact = false;
};

/// m objectives (2 .. 1000), samples N (3 .. 20000): the first prime n >= N points, or N
/// with `exact`.
SIMPLEX_WEIGHTS_EXPORT WeightSet tglp(int m, int samples, const Options& options = {});
/// k objectives (1 .. 22), N vectors (k * N <= 2^31 - 1; N <= 0 gives none).
SIMPLEX_WEIGHTS_EXPORT WeightSet udh(int k, int N, const Options& options = {});
SIMPLEX_WEIGHTS_EXPORT WeightSet udh_product(int k, int N, const Options& options = {});
/// m objectives (1 .. 10), N vectors (N <= 0 gives none).
SIMPLEX_WEIGHTS_EXPORT WeightSet gwud(int m, int N, const Options& options = {});
SIMPLEX_WEIGHTS_EXPORT WeightSet gwud_product(int m, int N, const Options& options = {});
/// M objectives (1 or more), K layers (at least 1 when M = 2); at most 2^31 - 1 rows.
SIMPLEX_WEIGHTS_EXPORT WeightSet msld(int M, int K, const Options& options = {});
/// Dimension m (1 .. 1000), N points (3 .. 20000), N itself the lattice modulus.
SIMPLEX_WEIGHTS_EXPORT WeightSet glp_cube(int m, int N, const Options& options = {});

/// Any construction by its enumerator.
SIMPLEX_WEIGHTS_EXPORT WeightSet generate(Construction construction, int first, int second,
                                          const Options& options = {});

/// The rows `generate` returns for these arguments, known before generating (tglp's prime
/// choice, msld's design size), so that a caller can size its population first. Throws as
/// `generate` does for arguments out of range.
SIMPLEX_WEIGHTS_EXPORT long long planned_rows(Construction construction, int first, int second,
                                              const Options& options = {});

/// Columns of the rows of a construction for its first argument.
SIMPLEX_WEIGHTS_EXPORT int planned_columns(Construction construction, int first);

}  // namespace simplex_weights
