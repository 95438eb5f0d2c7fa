#include "math/good_lattice.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <numeric>
#include <set>
#include <string>

#include "math/discrepancy.h"
#include "math/simplex_mapping.h"
#include "math/simplex_search.h"
#include "support/arguments.h"
#include "support/cancel.h"
#include "support/failure.h"
#include "support/fan_out.h"

namespace simplex_weights::detail {
namespace {

constexpr unsigned kRandMax = RandomSource::kMax;

int euler_phi(int n) {
  int result = n;
  for (int p = 2; p * p <= n; ++p) {
    if (n % p != 0) continue;
    while (n % p == 0) n /= p;
    result -= result / p;
  }
  if (n > 1) result -= result / n;
  return result;
}

// Remembers each candidate's test result: for a composite n the test costs up to n steps.
class CandidateCache {
 public:
  CandidateCache(int n, ComponentTest test)
      : n_(n), test_(test), known_(static_cast<std::size_t>(n), -1) {}
  bool passes(int b);

 private:
  int n_;
  ComponentTest test_;
  std::vector<signed char> known_;
};

// Keeps what a candidate's draw tells its observer, to be told again should it win: draws as
// themselves (at least 2), components taken as their negatives.
class DrawRecorder final : public Observer {
 public:
  DrawRecorder(std::vector<int>& events, bool recording) : events_(events), recording_(recording) {}
  bool observing() const override { return recording_; }
  void draw(int value) override {
    if (recording_) events_.push_back(value);
  }
  void component(int h) override {
    if (recording_) events_.push_back(-h);
  }

 private:
  std::vector<int>& events_;
  bool recording_;
};

void replay_draws(const std::vector<int>& events, Observer& observer) {
  for (int event : events) {
    if (event > 0) {
      observer.draw(event);
    } else {
      observer.component(-event);
    }
  }
}

}  // namespace

bool is_prime(int n) {
  if (n < 2) return false;
  for (int d = 2; d * d <= n; ++d) {
    if (n % d == 0) return false;
  }
  return true;
}

namespace {

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

long long distinct_vector_count(int s, int n, ComponentTest test) {
  constexpr long long kLimit = 1LL << 62;
  const long long passing = passing_candidate_count(n, test);
  long long count = 1;
  // Distinct components while unused passing values remain, then any passing value.
  for (int j = 0; j < s - 1 && count < kLimit; ++j) {
    const long long choices = j < passing ? passing - j : passing;
    count = choices > 0 && count > kLimit / choices ? kLimit : count * choices;
  }
  return count;
}

double lattice_discrepancy(const std::vector<int>& h, int n) {
  ColumnPoints points(static_cast<std::size_t>(n), h.size());
  LatticeIndices q(h, n);
  for (std::size_t k = 0; k < static_cast<std::size_t>(n); ++k) {
    q.advance();
    for (std::size_t j = 0; j < h.size(); ++j) points.column(j)[k] = lattice_coordinate(q[j], n);
  }
  return centred_l2_discrepancy(points);
}

namespace {

// Up to `wanted` distinct candidates, in the order they are drawn.
std::vector<Candidate> distinct_candidates(int s, int n, CandidateDraw draw, const VectorDraw& how,
                                           long long wanted, bool record) {
  std::set<std::vector<int>> seen;
  std::vector<Candidate> candidates;
  // Every distinct vector turns up in time; the bound only guards against a miscount.
  const long long most_draws = std::max<long long>(100 * wanted, 1000000);
  for (long long drawn = 0; static_cast<long long>(seen.size()) < wanted && drawn < most_draws;
       ++drawn) {
    throw_if_cancelled();
    Candidate candidate{{}, {}, 0};
    {
      DrawRecorder recorder(candidate.draws, record);
      candidate.h = draw(s, n, how.test, how.random, recorder);
    }
    if (seen.insert(candidate.h).second) candidates.push_back(std::move(candidate));
  }
  return candidates;
}

}  // namespace

std::vector<Candidate> least_discrepancy_candidates(int s, int n, CandidateDraw draw,
                                                    const VectorDraw& how, std::size_t keep,
                                                    long long& compared, bool record) {
  const long long wanted =
      std::min<long long>(how.candidates, distinct_vector_count(s, n, how.test));
  std::vector<Candidate> candidates = distinct_candidates(s, n, draw, how, wanted, record);
  compared = static_cast<long long>(candidates.size());
  if (candidates.empty()) return {};
  // The first candidate prices the search: its own CD2 for each candidate, shared among the
  // threads, and, where the choice is made on the simplex, one ordering's layout and figures
  // for every ordering of the vectors kept.
  const std::size_t threads =
      n >= kPointsForSearchThreads ? block_count(candidates.size() - 1, 1) : std::size_t{1};
  const auto started = std::chrono::steady_clock::now();
  candidates.front().discrepancy = lattice_discrepancy(candidates.front().h, n);
  if (how.on_long_search) {
    double seconds =
        static_cast<double>(wanted) * seconds_since(started) / static_cast<double>(threads);
    if (how.on_simplex && s >= 1) {
      const std::size_t orderings = std::min(keep, candidates.size()) * ordering_count(s);
      // Their figures are shared among the threads too.
      const std::size_t ordering_threads =
          n >= kPointsForSearchThreads ? block_count(orderings, 1) : std::size_t{1};
      seconds += static_cast<double>(orderings) * ordering_seconds(candidates.front().h, n) /
                 static_cast<double>(ordering_threads);
    }
    if (seconds > kLongSearchSeconds) how.on_long_search(wanted, seconds);
  }
  // The others' CD2 over the threads: each is the same whichever thread computes it.
  fan_out(candidates.size() - 1, threads, [&](std::size_t begin, std::size_t end, std::size_t) {
    for (std::size_t c = begin + 1; c < end + 1; ++c) {
      candidates[c].discrepancy = lattice_discrepancy(candidates[c].h, n);
    }
  });
  std::vector<Candidate> best;  // by CD2, the earlier drawn first among equals
  for (Candidate& candidate : candidates) {
    if (best.size() == keep && !(candidate.discrepancy < best.back().discrepancy)) continue;
    const auto place =
        std::upper_bound(best.begin(), best.end(), candidate.discrepancy,
                         [](double d, const Candidate& other) { return d < other.discrepancy; });
    best.insert(place, std::move(candidate));
    if (best.size() > keep) best.pop_back();
  }
  return best;
}

VectorChoice choose_generating_vector(int s, int n, CandidateDraw draw, const VectorDraw& how,
                                      Observer& observer) {
  if (how.candidates <= 1) return {draw(s, n, how.test, how.random, observer)};
  VectorChoice choice;
  std::vector<Candidate> best = least_discrepancy_candidates(
      s, n, draw, how, how.on_simplex ? 8 : 1, choice.compared, observer.observing());
  if (how.on_simplex && s >= 1) {
    const OrderingChoice ordering = best_ordering_on_simplex(best, n, how.random);
    Candidate& winner = best[ordering.candidate];
    replay_draws(winner.draws, observer);
    choice.h = ordering.h;
    choice.discrepancy = winner.discrepancy;
    choice.on_simplex = true;
    choice.coverage = ordering.coverage;
    choice.closest = ordering.closest;
    return choice;
  }
  replay_draws(best.front().draws, observer);
  choice.h = best.front().h;
  choice.discrepancy = best.front().discrepancy;
  return choice;
}

void check_lattice_arguments(int dimension, int samples, int lowest_dimension) {
  if (samples > kMaxSamples) {
    throw InvalidArgument("Error... the number of samples should be lower than " +
                          std::to_string(kMaxSamples) + "\n");
  }
  if (samples < kMinSamples) {
    throw InvalidArgument("Error... the number of samples should be at least " +
                          std::to_string(kMinSamples) + "\n");
  }
  if (dimension < lowest_dimension || dimension > kMaxLatticeDimension) {
    throw InvalidArgument(range_message("the dimension", lowest_dimension, kMaxLatticeDimension));
  }
}

int choose_modulus(const std::vector<int>& table, int samples, const char* table_name) {
  int chosen = 0;
  bool found = false;
  for (int entry : table) {
    if (entry >= samples) {
      chosen = entry;
      found = true;
      break;
    }
  }
  if (!found) {
    if (static_cast<int>(table.size()) < samples) {
      throw Failure("Error... the prime table " + std::string(table_name) +
                    " holds too few numbers for " + std::to_string(samples) + " samples.\n");
    }
    chosen = table.back();
  }
  if (chosen < 3 || chosen > kMaxModulus) {
    throw Failure("Error... the prime table " + std::string(table_name) + " gives " +
                  std::to_string(chosen) + " points; the number of points must lie in 3 .. " +
                  std::to_string(kMaxModulus) + ".\n");
  }
  return chosen;
}

int rand_interval(int lo, int hi, RandomSource& random) {
  const unsigned range = static_cast<unsigned>(hi) - static_cast<unsigned>(lo) + 1u;
  const unsigned bucket = kRandMax / range;
  const unsigned limit = bucket * range;
  unsigned r = 0;
  do {
    r = static_cast<unsigned>(random.next());
  } while (r >= limit);
  return lo + static_cast<int>(r / bucket);
}

namespace {

// b^e modulo n by repeated squaring.
long long power_modulo(long long b, int e, int n) {
  long long result = 1;
  for (b %= n; e > 0; e >>= 1) {
    if ((e & 1) != 0) result = result * b % n;
    b = b * b % n;
  }
  return result;
}

// For a prime n >= 5 and b not a multiple of n, the order of b divides n - 1; every proper
// divisor is at most (n - 1) / 2 <= n - 3, so b passes exactly when its order is n - 1, that
// is when b^((n - 1) / q) is not 1 for any prime factor q of n - 1.
bool has_full_order(int n, int b) {
  int rest = n - 1;
  for (int q = 2; q <= rest; ++q) {
    if (rest % q != 0) continue;
    while (rest % q == 0) rest /= q;
    if (power_modulo(b, (n - 1) / q, n) == 1) return false;
  }
  return true;
}

}  // namespace

int primitive_root(int n, int b) {
  // A common factor of b and n divides every power's residue, so none is 1.
  if (std::gcd(b, n) > 1) return 1;
  if (n >= 5 && is_prime(n)) return has_full_order(n, b) ? 1 : 0;
  // Otherwise the powers come one by one, up to the order of b, which is small.
  long long residue = 1;
  for (int p = 1; p <= n - 3; ++p) {
    residue = residue * b % n;
    if (residue == 1) return 0;
  }
  return 1;
}

bool passes(ComponentTest test, int n, int b) {
  return test == ComponentTest::kUnit ? std::gcd(b, n) == 1 : primitive_root(n, b) == 1;
}

bool CandidateCache::passes(int b) {
  signed char& entry = known_[static_cast<std::size_t>(b)];
  if (entry < 0) entry = static_cast<signed char>(detail::passes(test_, n_, b) ? 1 : 0);
  return entry == 1;
}

int passing_candidate_count(int n, ComponentTest test) {
  // Units: every residue prime to n but 1.
  if (test == ComponentTest::kUnit) return euler_phi(n) - 1;
  // Prime n: the primitive roots. Composite n: no power of a candidate sharing a factor with n
  // is 1, and a candidate prime to n has order at most phi(n) <= n - 3, except 3 modulo 4.
  if (is_prime(n)) return euler_phi(n - 1);
  return n - 1 - euler_phi(n) + (n == 4 ? 1 : 0);
}

std::vector<int> generating_vector(int s, int n, RandomSource& random, Observer& observer,
                                   bool report_draws, ComponentTest test) {
  std::vector<int> h{1};
  std::vector<char> chosen(static_cast<std::size_t>(n), 0);
  CandidateCache checked(n, test);
  int distinct = 0;
  int passing = -1;  // counted when first needed
  while (static_cast<int>(h.size()) < s) {
    const int g = rand_interval(2, n - 1, random);
    if (report_draws) observer.draw(g);
    char& used = chosen[static_cast<std::size_t>(g)];
    if (used != 0) {
      if (passing < 0) passing = passing_candidate_count(n, test);
      if (distinct < passing) continue;  // drawn again: another passing value is still free
    } else if (!checked.passes(g)) {
      continue;
    }
    if (used == 0) ++distinct;
    used = 1;
    h.push_back(g);
    observer.component(g);
  }
  return h;
}

std::vector<int> tglp_candidate(int s, int n, ComponentTest test, RandomSource& random,
                                Observer& observer) {
  // One draw is made and discarded first, as the construction has always done.
  observer.draw(rand_interval(2, n - 1, random));
  return generating_vector(s, n, random, observer, true, test);
}

void lattice_simplex_rows(const std::vector<int>& h, int n, RowSink& rows, Observer& observer) {
  const std::size_t s = h.size();
  const int m = static_cast<int>(s) + 1;
  std::vector<double> u(s);
  CancelCheck check;
  if (observer.observing()) {
    observer.points_begin();
    LatticeIndices q(h, n);
    for (int k = 1; k <= n; ++k) {
      check();
      q.advance();
      for (std::size_t j = 0; j < s; ++j) u[j] = lattice_coordinate(q[j], n);
      observer.cube_point(u.data(), static_cast<int>(s));
    }
    observer.points_end();
  }
  observer.rows_begin();
  SimplexMapping mapping(m, MultiplicationOrder::kProductFirst, Completion::kCorrected);
  std::vector<double> w(s + 1);
  LatticeIndices q(h, n);
  for (int k = 1; k <= n; ++k) {
    check();
    q.advance();
    for (std::size_t j = 0; j < s; ++j) u[j] = lattice_coordinate(q[j], n);
    mapping.map(u.data(), w.data());
    observer.row(w.data(), m);
    rows.row(w.data(), m);
  }
  observer.rows_end();
}

}  // namespace simplex_weights::detail
