// The second stage of tglp's search: CD2 is the same for every ordering of a generating
// vector's components while the mapping onto the simplex is not, so among the vectors of
// least CD2 the ordering is chosen by how the mapped points spread on the simplex.
#pragma once

#include <cstddef>
#include <vector>

#include "math/good_lattice.h"
#include "simplex_weights/random.h"

namespace simplex_weights::detail {

/// The ordering chosen: which candidate, its components in that order, and its figures.
struct OrderingChoice {
  std::size_t candidate = 0;
  std::vector<int> h;
  double coverage = 0;  // against the coarse lattice
  double closest = 0;
};

/// Largest number of orderings tried per vector: all s! while s! <= this many, else the drawn
/// order and this many minus one drawn from the run's generator.
inline constexpr int kMaxOrderings = 120;
/// Point sets from which a search's candidates and orderings are spread over the cores.
inline constexpr int kPointsForSearchThreads = 500;
/// Largest coarse lattice the coverage radius of the choice is measured against.
inline constexpr int kCoarseLatticePoints = 2000;

/// Maps every ordering of every candidate's s >= 1 components onto the simplex of s + 1
/// objectives exactly as tglp does (n points), and keeps the least ratio of coverage radius
/// (against the coarse simplex lattice {c / H : sum c = H} of at most kCoarseLatticePoints
/// points, the vertices among them) to closest pair (exact); ties go to the earlier candidate,
/// then the earlier ordering. Orderings beyond the first are drawn from `random` when s! is
/// over kMaxOrderings. `candidates` is not empty.
OrderingChoice best_ordering_on_simplex(const std::vector<Candidate>& candidates, int n,
                                        RandomSource& random);

/// How many orderings are tried for s components: s! up to kMaxOrderings, else kMaxOrderings.
std::size_t ordering_count(int s);

/// Seconds taken to lay out the lattice of h on the simplex and to measure it as an ordering is
/// measured (closest pair, and coverage radius without giving up early): the price of one
/// ordering of a search.
double ordering_seconds(const std::vector<int>& h, int n);

/// The orderings tried for s components: all permutations in lexicographic order while s! <=
/// kMaxOrderings, else the identity and kMaxOrderings - 1 shuffles drawn from `random`.
std::vector<std::vector<int>> component_orderings(int s, RandomSource& random);

/// The coarse lattice of m objectives: all c / H with non-negative integers c summing to the
/// largest H whose lattice has at most kCoarseLatticePoints points (row-major, m columns).
std::vector<double> coarse_simplex_lattice(int m);

/// The least distance between two of the n points (m columns, row-major), exactly; 0 when two
/// coincide, infinity for fewer than two.
double closest_pair_distance(const double* points, std::size_t n, std::size_t m);

/// The largest distance from a reference point to its nearest point, or a value of at least
/// `give_up` as soon as it is clear the radius reaches it.
double coverage_radius(const double* points, std::size_t n, const std::vector<double>& reference,
                       std::size_t m, double give_up);

}  // namespace simplex_weights::detail
