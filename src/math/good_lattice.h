// The good-lattice-point construction: the prime choice, random candidates, the primitive-root
// test, the generating vector, the search among candidate vectors and the lattice itself.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "simplex_weights/random.h"
#include "simplex_weights/weight_set.h"
#include "support/observer.h"

namespace simplex_weights::detail {

/// Smallest and largest number of samples the lattice tools accept.
inline constexpr int kMinSamples = 3;
inline constexpr int kMaxSamples = 20000;
/// Largest lattice modulus: below it every product of two residues fits a signed 32-bit int.
inline constexpr int kMaxModulus = 46340;
/// Smallest number of objectives of tglp_weights: the cube needs one dimension.
inline constexpr int kMinTglpDimension = 2;
/// Largest dimension of the lattice tools; with kMaxModulus, (m - 1) * n stays far below 2^31
/// and the point sets below 400 MB.
inline constexpr int kMaxLatticeDimension = 1000;

/// Checks the two arguments of a lattice program: too many samples first, then too few, then
/// a dimension outside lowest_dimension .. kMaxLatticeDimension; throws the refusal.
void check_lattice_arguments(int dimension, int samples, int lowest_dimension);

/// The prime choice: the first entry of `table` not below `samples`, or the last of `samples`
/// entries when none is. Throws Failure when the table is too short for the choice or the
/// chosen number lies outside 3 .. kMaxModulus; `table_name` names the table in the message.
int choose_modulus(const std::vector<int>& table, int samples,
                   const char* table_name = "primes.dat");

/// The primes from 2 to 20011, the table the suite ships, compiled in.
const std::vector<int>& builtin_prime_table();

/// A uniform integer of [lo, hi] by rejection sampling on `random`; lo <= hi.
int rand_interval(int lo, int hi, RandomSource& random);

/// 1 when no power b^p (1 <= p <= n - 3) is 1 modulo n, else 0: for a prime n, whether b is a
/// primitive root. 2 <= b <= n - 1.
int primitive_root(int n, int b);

/// Whether n is prime.
bool is_prime(int n);

/// What a further component of a generating vector must pass: the primitive-root test (the
/// construction's own), or being a unit modulo n (gcd(h, n) = 1), which serves any modulus.
enum class ComponentTest { kPrimitiveRoot, kUnit };

/// Whether candidate b of [2, n - 1] passes `test`.
bool passes(ComponentTest test, int n, int b);

/// How many candidates of [2, n - 1] pass `test`, n >= 3.
int passing_candidate_count(int n, ComponentTest test = ComponentTest::kPrimitiveRoot);

/// The generating vector (1, h_2, ..., h_s) modulo n: every further component a candidate of
/// [2, n - 1] drawn with rand_interval (each draw told to the observer when `report_draws`)
/// that passes `test`, each component taken told to the observer. Components differ from one
/// another while unused passing candidates remain; after that repeats are accepted, so it
/// always ends.
std::vector<int> generating_vector(int s, int n, RandomSource& random, Observer& observer,
                                   bool report_draws,
                                   ComponentTest test = ComponentTest::kPrimitiveRoot);

/// Largest number of candidate generating vectors a search draws.
inline constexpr int kMaxCandidates = 100000;

/// How many distinct vectors generating_vector (s, n, ...) can give, at most 2^62.
long long distinct_vector_count(int s, int n, ComponentTest test = ComponentTest::kPrimitiveRoot);

/// One candidate generating vector of s components modulo n, drawn as a construction draws it,
/// telling the observer what that construction reports of its draws.
using CandidateDraw = std::vector<int> (*)(int s, int n, ComponentTest test, RandomSource& random,
                                           Observer& observer);

/// How a lattice construction draws its generating vector: its random source, how many
/// candidates to draw (1: the one vector, traced as drawn), and whom to tell, before a search
/// that will take more than about two seconds, how many vectors it will compare.
struct VectorDraw {
  RandomSource& random;
  int candidates = 1;
  ComponentTest test = ComponentTest::kPrimitiveRoot;
  /// tglp: a search keeps the 8 vectors of least CD2 and, of every ordering of their
  /// components, the one whose points on the simplex have the least ratio of coverage radius
  /// to closest pair.
  bool on_simplex = false;
  std::function<void(long long vectors, double seconds)> on_long_search = {};
};

/// A search priced above this many seconds is announced to on_long_search. The price is taken
/// from the first candidate, before the others are drawn: its CD2's time for each candidate,
/// and for a choice on the simplex one ordering's layout and figures for every ordering tried.
inline constexpr double kLongSearchSeconds = 2;

/// The vector a construction chose, and for a search how many vectors it compared and the CD2
/// of the winner; for a search on the simplex also the winner's figures there.
struct VectorChoice {
  std::vector<int> h;
  long long compared = 0;
  double discrepancy = 0;
  bool on_simplex = false;
  double coverage = 0;  // against the coarse lattice of the search
  double closest = 0;
};

/// A candidate of a search: the vector, what its draw told the observer (draws as themselves,
/// components taken as their negatives; only where somebody observes), and the CD2 of its
/// lattice.
struct Candidate {
  std::vector<int> h;
  std::vector<int> draws;
  double discrepancy;
};

/// The draws of a search: up to how.candidates distinct candidates (all there are, when fewer),
/// drawn one after another; returns the `keep` of least CD2, by CD2 and then in the order they
/// were drawn, and sets `compared` to the distinct vectors drawn. With `record`, each keeps
/// what its draw would tell an observer.
std::vector<Candidate> least_discrepancy_candidates(int s, int n, CandidateDraw draw,
                                                    const VectorDraw& how, std::size_t keep,
                                                    long long& compared, bool record = false);

/// The generating vector of a lattice construction. With one candidate it is the one `draw`
/// gives, observed as drawn. Otherwise up to that many distinct candidates (all there are, when
/// fewer) are drawn one after another, the CD2 of each one's n-point lattice is computed, and
/// the least wins (the first drawn on ties): the observer is told its draw alone.
VectorChoice choose_generating_vector(int s, int n, CandidateDraw draw, const VectorDraw& how,
                                      Observer& observer);

/// The CD2 of the n-point lattice of generating vector h (its cube points, by columns).
double lattice_discrepancy(const std::vector<int>& h, int n);

/// Lattice index q(k, j) = k * h_j mod n, with n in place of 0.
inline int lattice_index(int k, int h, int n) {
  const int q = static_cast<int>(static_cast<long long>(k) * h % n);
  return q == 0 ? n : q;
}

/// The lattice indices of the points k = 1, 2, ... in turn: each step adds h_j modulo n, which
/// gives lattice_index without a division.
class LatticeIndices {
 public:
  /// Components 1 <= h_j < n; positioned before the first point.
  LatticeIndices(const std::vector<int>& h, int n) : h_(h), n_(n), residues_(h.size(), 0) {}
  /// Moves on to the next point.
  void advance() {
    for (std::size_t j = 0; j < h_.size(); ++j) {
      residues_[j] += h_[j];
      if (residues_[j] >= n_) residues_[j] -= n_;
    }
  }
  /// lattice_index(k, h_j, n) of the current point k.
  int operator[](std::size_t j) const { return residues_[j] == 0 ? n_ : residues_[j]; }

 private:
  const std::vector<int>& h_;
  int n_;
  std::vector<int> residues_;
};

/// Cell midpoint (2q - 1) / (2n) of lattice index q.
inline double lattice_coordinate(int q, int n) {
  return static_cast<double>(2 * q - 1) / static_cast<double>(2 * n);
}

/// tglp's draw of one candidate generating vector: a draw made and discarded, then the vector,
/// every draw reported.
std::vector<int> tglp_candidate(int s, int n, ComponentTest test, RandomSource& random,
                                Observer& observer);

/// tglp's rows: the n points of the lattice of h (s = h.size() >= 1 components), each carried
/// onto the simplex of s + 1 objectives in product-first order with corrected completion as it
/// is formed, and handed to `rows`. An observer sees every cube point first, then every row.
void lattice_simplex_rows(const std::vector<int>& h, int n, RowSink& rows, Observer& observer);

}  // namespace simplex_weights::detail
