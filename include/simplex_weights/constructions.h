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
  kEnergy,       ///< energy_weights: rows of least Riesz s-energy, the vertices held
};

/// Largest candidate count of the lattice search.
inline constexpr int kMaxSearchCandidates = 100000;

/// How tglp draws and chooses its generating vector.
struct TglpOptions {
  /// Seed of the generator (the program's --seed).
  unsigned seed = 1;
  /// Candidate generating vectors drawn (1 .. kMaxSearchCandidates); with more than one, the
  /// ordering of the best vectors' components whose rows spread best on the simplex is kept.
  int search = 1;
  /// The further components drawn among the units modulo n (gcd(h, n) = 1) instead of the
  /// primitive roots, which serves any modulus.
  bool units = false;
  /// Exactly `samples` points (n = N, no prime chosen); implies `units`.
  bool exact = false;
  /// The m unit vectors as rows, each in place of the row nearest to it (see SetOptions).
  bool vertices = false;
};

/// How glp_cube draws and chooses its generating vector.
struct CubeOptions {
  unsigned seed = 1;
  /// With more than one candidate, the vector of least centred L2 discrepancy is kept.
  int search = 1;
  bool units = false;
};

/// What msld can leave out.
struct DesignOptions {
  /// Each distinct row once, in the order of first appearance.
  bool unique = false;
  /// Accepted for every construction alike: the design holds the vertices already.
  bool vertices = false;
};

/// What the Hammersley and irrational-constant sets can add.
struct SetOptions {
  /// The m unit vectors (the simplex's vertices) as rows, each in place of the row nearest to
  /// it: the row count stays, the rows stay distinct, and the set reaches the corners that
  /// NSGA-III's normalisation looks for. Costs a pass over the rows.
  bool vertices = false;
};

/// m objectives (2 .. 1000), samples N (3 .. 20000): the first prime n >= N points, or N
/// with `exact`.
SIMPLEX_WEIGHTS_EXPORT WeightSet tglp(int m, int samples, const TglpOptions& options = {});
/// k objectives (1 .. 22), N vectors (k * N <= 2^31 - 1; N <= 0 gives none).
SIMPLEX_WEIGHTS_EXPORT WeightSet udh(int k, int N, const SetOptions& options = {});
SIMPLEX_WEIGHTS_EXPORT WeightSet udh_product(int k, int N, const SetOptions& options = {});
/// m objectives (1 .. 10), N vectors (N <= 0 gives none).
SIMPLEX_WEIGHTS_EXPORT WeightSet gwud(int m, int N, const SetOptions& options = {});
SIMPLEX_WEIGHTS_EXPORT WeightSet gwud_product(int m, int N, const SetOptions& options = {});
/// M objectives (1 or more), K layers (at least 1 when M = 2); at most 2^31 - 1 rows.
SIMPLEX_WEIGHTS_EXPORT WeightSet msld(int M, int K, const DesignOptions& options = {});
/// Dimension m (1 .. 1000), N points (3 .. 20000), N itself the lattice modulus.
SIMPLEX_WEIGHTS_EXPORT WeightSet glp_cube(int m, int N, const CubeOptions& options = {});

/// How energy starts and what it minimises.
struct EnergyOptions {
  /// Seed of the generator that orders the start's equally far candidates (the program's
  /// --seed).
  unsigned seed = 1;
  /// The exponent s of the energy, the sum of d^-s over all pairs; 0 takes 2m.
  double exponent = 0;
};

/// m objectives (2 .. 1000), N rows (m .. 20000): exactly N distinct rows on the simplex of
/// least Riesz s-energy that a descent finds from the simplex lattice of the largest level with
/// at most N points, completed by the points of a finer lattice farthest from the rows so far
/// (the vertices are rows and stay).
SIMPLEX_WEIGHTS_EXPORT WeightSet energy(int m, int N, const EnergyOptions& options = {});

/// The rows of `start` (distinct, on the simplex) moved by the same descent: the row count
/// stays, rows that are vertices stay where they are. `options.seed` is not used.
SIMPLEX_WEIGHTS_EXPORT WeightSet refine_energy(const WeightSet& start,
                                               const EnergyOptions& options = {});

/// log of the mean of d^-s over all pairs of rows (s = 0 takes 2m, as weights_inspect's
/// energy does).
SIMPLEX_WEIGHTS_EXPORT double riesz_energy(const WeightSet& set, double exponent = 0);

/// Every construction's options at once, for the calls that take any construction: each
/// construction reads its own and leaves the others.
struct Options {
  unsigned seed = 1;
  int search = 1;
  bool unique = false;
  bool units = false;
  bool exact = false;
  bool vertices = false;
  double exponent = 0;
};

/// Any construction by its enumerator.
SIMPLEX_WEIGHTS_EXPORT WeightSet generate(Construction construction, int first, int second,
                                          const Options& options = {});

/// The rows `generate` returns for these arguments, known before generating (tglp's prime
/// choice, msld's design size), so that a caller can size its population first. Throws as
/// `generate` does for arguments out of range.
SIMPLEX_WEIGHTS_EXPORT long long planned_rows(Construction construction, int first, int second,
                                              const Options& options = {});

/// Columns of the rows of a construction for its first argument: the first argument itself,
/// for every construction.
SIMPLEX_WEIGHTS_EXPORT int planned_columns(Construction construction, int first);

}  // namespace simplex_weights
